// Linked in only where -Wl,--wrap=__cxa_throw asks for it: every throw of such a program, the
// standard library's included, comes through here first. It stays out of other programs, which
// would otherwise need the option for __real___cxa_throw.
#include <typeinfo>

#include "framework/ThrowSite.h"

extern "C" [[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*));

extern "C" [[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*)) {
    framework::RecordThrowSite(__builtin_return_address(0));
    __real___cxa_throw(object, type, destructor);
}
