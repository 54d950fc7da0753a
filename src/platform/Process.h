#pragma once
// This process, as the system sees it.

namespace platform {

// Standard output passes bytes unchanged (Windows would turn each LF into
// CR LF), so a command writes the same bytes on every system.
void SetStandardOutputBinary();

// Ends this process at once, the way a power cut or a kill does: no handler,
// no destructor and no buffered output runs after it. The parent sees a crash.
[[noreturn]] void EndThisProcessAtOnce();

} // namespace platform
