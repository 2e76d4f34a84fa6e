// Where the exception in flight was thrown: the linker routes every throw through a wrapper
// that records its call site, which the application-error box reports.
#pragma once

namespace framework {

// The code address of the most recent throw on this thread, or null before any.
void* LastThrowSite() noexcept;

}  // namespace framework
