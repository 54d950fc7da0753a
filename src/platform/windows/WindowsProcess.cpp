#include "platform/Process.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

namespace platform {

namespace {
HANDLE StreamHandle(StandardStream stream) {
    return GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}
} // namespace

bool HasStream(StandardStream stream) {
    const HANDLE handle = StreamHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void WriteText(StandardStream stream, const QString& text) {
    std::FILE* file = stream == StandardStream::Output ? stdout : stderr;
    std::fflush(file);              // what the C library holds goes first
    if (!HasStream(stream)) return; // a program without one
    const HANDLE handle = StreamHandle(stream);
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = text.toStdWString();
        WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}

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
