#pragma once
// This process, as the system sees it.

namespace platform {

// Ends this process at once, the way a power cut or a kill does: no handler,
// no destructor and no buffered output runs after it. The parent sees a crash.
[[noreturn]] void EndThisProcessAtOnce();

} // namespace platform
