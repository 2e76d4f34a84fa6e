#include "framework/ThrowSite.h"

#include <typeinfo>

namespace {

thread_local void* t_lastThrowSite = nullptr;

}  // namespace

// Linked with --wrap=__cxa_throw: every throw in the executable, the standard library's
// included, comes through here first.
extern "C" [[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*));

extern "C" [[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*)) {
    t_lastThrowSite = __builtin_return_address(0);
    __real___cxa_throw(object, type, destructor);
}

namespace framework {

void* LastThrowSite() noexcept {
    return t_lastThrowSite;
}

}  // namespace framework
