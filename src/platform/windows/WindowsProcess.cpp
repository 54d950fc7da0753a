#include "platform/Process.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

void SetStandardOutputBinary() {
    _setmode(_fileno(stdout), _O_BINARY);
}

void EndThisProcessAtOnce() {
    // An exit code in the range of the system's own crash codes, so that a
    // parent reads a crash, as it reads SIGKILL on POSIX.
    TerminateProcess(GetCurrentProcess(), 0xC000013A);
    std::_Exit(3); // not reached
}

} // namespace platform
