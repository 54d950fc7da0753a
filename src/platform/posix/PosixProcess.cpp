#include "platform/Process.h"

#include <csignal>
#include <cstdlib>

namespace platform {

void SetStandardOutputBinary() {}

void EndThisProcessAtOnce() {
    std::raise(SIGKILL);
    std::_Exit(137); // not reached: SIGKILL cannot be caught
}

} // namespace platform
