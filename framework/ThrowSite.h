// Where the exception in flight was thrown, for the application-error box. A program linked with
// -Wl,--wrap=__cxa_throw routes every throw through a wrapper (ThrowSiteWrapper.cpp) that records
// its call site; in any other program nothing is recorded.
#pragma once

namespace framework {

// The code address of the most recent throw on this thread, or null before any.
void* LastThrowSite() noexcept;
// Records the call site of a throw; the wrapper calls it for each one.
void RecordThrowSite(void* site) noexcept;

}  // namespace framework
