#include "framework/ThrowSite.h"

namespace framework {

namespace {

thread_local void* t_lastThrowSite = nullptr;

}  // namespace

void* LastThrowSite() noexcept {
    return t_lastThrowSite;
}

void RecordThrowSite(void* site) noexcept {
    t_lastThrowSite = site;
}

}  // namespace framework
