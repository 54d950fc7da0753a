// Windows: file handles shared for reading, writing and deleting, and
// LockFileEx over the whole file, which a Windows file server (and Samba)
// honours across machines. Windows locks are mandatory: a read inside a
// range another handle holds fails, and that reads as "held", not as an error.
#include "platform/File.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <windows.h>
// The system's own ReplaceFile is a macro that would rename ours.
#undef ReplaceFile

namespace platform {
namespace {
HANDLE Native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The Windows codes the program meets, as the error numbers it decides on;
// each number's first code is the one whose text the user is shown.
struct CodeNumber {
    DWORD code;
    int number;
};
constexpr CodeNumber kCodeNumbers[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},       {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},     {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_WRITE_PROTECT, EACCES},     {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_LOCK_VIOLATION, EAGAIN},    {ERROR_SHARING_VIOLATION, EAGAIN},
    {ERROR_DISK_FULL, ENOSPC},         {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_NOT_SUPPORTED, ENOLCK},     {ERROR_INVALID_FUNCTION, ENOSYS},
    {ERROR_DIRECTORY, ENOTDIR},        {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_FILE_EXISTS, EEXIST},       {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_GEN_FAILURE, EIO},          {ERROR_NETNAME_DELETED, EIO},
    {ERROR_UNEXP_NET_ERR, EIO},        {ERROR_SEM_TIMEOUT, EIO},
    {ERROR_INVALID_PARAMETER, EINVAL}, {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM}, {ERROR_OPERATION_ABORTED, EINTR},
};

int NumberOf(DWORD code) {
    for (const CodeNumber& entry : kCodeNumbers)
        if (entry.code == code) return entry.number;
    return EIO;
}

int LastError() {
    return NumberOf(GetLastError());
}

std::wstring WidePath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

OVERLAPPED At(qint64 offset) {
    OVERLAPPED at{};
    at.Offset = DWORD(quint64(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(quint64(offset) >> 32);
    return at;
}

// The largest piece one ReadFile or WriteFile call takes.
constexpr qint64 kMaxPiece = 1 << 30;
} // namespace

File::~File() {
    if (isOpen()) CloseHandle(Native(handle_));
}

int File::open(const QString& path, Access access) {
    const bool write = access == Access::ReadWrite;
    // Other processes may read, write and delete or rename the file meanwhile,
    // as on POSIX; the locks, not the sharing mode, keep them apart.
    const HANDLE handle =
        CreateFileW(WidePath(path).c_str(), GENERIC_READ | (write ? GENERIC_WRITE : 0),
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const int error = LastError();
        // A folder in the file's place refuses to open as a file.
        if (error == EACCES && QFileInfo(path).isDir()) return EISDIR;
        return error;
    }
    if (isOpen()) CloseHandle(Native(handle_));
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    return 0;
}

bool File::isOpen() const {
    return Native(handle_) != INVALID_HANDLE_VALUE;
}

int File::size(qint64& bytes) const {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(Native(handle_), &length)) return LastError();
    bytes = length.QuadPart;
    return 0;
}

int File::readAt(char* buffer, qint64 length, qint64 offset, qint64& done) const {
    done = 0;
    while (done < length) {
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        if (!ReadFile(Native(handle_), buffer + done, DWORD(qMin(length - done, kMaxPiece)), &n,
                      &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return LastError();
        }
        if (n == 0) break;
        done += n;
    }
    return 0;
}

int File::writeAt(const char* buffer, qint64 length, qint64 offset) const {
    while (length > 0) {
        OVERLAPPED at = At(offset);
        DWORD n = 0;
        if (!WriteFile(Native(handle_), buffer, DWORD(qMin(length, kMaxPiece)), &n, &at))
            return LastError();
        buffer += n;
        length -= n;
        offset += n;
    }
    return 0;
}

int File::sync() const {
    return FlushFileBuffers(Native(handle_)) ? 0 : LastError();
}

int File::truncate(qint64 length) const {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = length;
    return SetFileInformationByHandle(Native(handle_), FileEndOfFileInfo, &end, sizeof end)
               ? 0
               : LastError();
}

int File::lock(LockKind kind, bool wait, bool& granted) const {
    OVERLAPPED whole = At(0);
    const DWORD flags = (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) |
                        (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    granted = LockFileEx(Native(handle_), flags, 0, MAXDWORD, MAXDWORD, &whole);
    if (granted) return 0;
    const DWORD code = GetLastError();
    if (!wait && (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)) return 0;
    return NumberOf(code);
}

// Tried every millisecond or so: a handle opened for plain reads and writes
// cannot wait for a lock with a time limit.
int File::lockWithin(LockKind kind, int milliseconds, bool& granted) const {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(milliseconds);
    for (;;) {
        if (const int error = lock(kind, false, granted); error != 0 || granted) return error;
        if (GetTickCount64() >= deadline) return 0;
        Sleep(1);
    }
}

void File::unlock() const {
    OVERLAPPED whole = At(0);
    UnlockFileEx(Native(handle_), 0, MAXDWORD, MAXDWORD, &whole);
}

int File::copyInSystem(const File&, qint64) const {
    return ENOSYS;
}

int RemoveFile(const QString& path) {
    return DeleteFileW(WidePath(path).c_str()) ? 0 : LastError();
}

int ReplaceFile(const QString& from, const QString& to) {
    // Write-through: the rename is on the disk (or the server's) when this returns.
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastError();
}

int SyncFolder(const QString&) {
    // NTFS and SMB servers write a folder's entries through with the files'
    // own flushes and write-through renames; Windows has no folder sync.
    return 0;
}

QString ErrorText(int errorNumber) {
    for (const CodeNumber& entry : kCodeNumbers) {
        if (entry.number != errorNumber) continue;
        wchar_t* text = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, entry.code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length == 0) break;
        const QString message = QString::fromWCharArray(text, int(length)).trimmed();
        LocalFree(text);
        return message;
    }
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

} // namespace platform
