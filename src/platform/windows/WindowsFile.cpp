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

// The Windows codes the program meets, as the error numbers it decides on.
// The network's codes each get a number of the network's own, so that the
// program waits them out (KindOfError); a code not listed is EIO.
struct CodeNumber {
    DWORD code;
    int number;
};
constexpr CodeNumber kCodeNumbers[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_WRITE_PROTECT, EACCES},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_DELETE_PENDING, EACCES}, // a scanner still holds a file being removed
    {ERROR_LOCK_VIOLATION, EAGAIN},
    {ERROR_SHARING_VIOLATION, EAGAIN},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_NOT_SUPPORTED, ENOLCK},
    {ERROR_INVALID_FUNCTION, ENOSYS},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_GEN_FAILURE, EIO},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OPERATION_ABORTED, EINTR},
    // The server's twentieth connection was its last (a Windows 10/11 PC).
    {ERROR_REQ_NOT_ACCEP, ECONNREFUSED},
    {ERROR_NETNAME_DELETED, ECONNRESET},
    {ERROR_UNEXP_NET_ERR, ENETRESET},
    {ERROR_SEM_TIMEOUT, ETIMEDOUT},
    {ERROR_NETWORK_BUSY, ENOBUFS},
    {ERROR_DEV_NOT_EXIST, ENODEV},
    {ERROR_VC_DISCONNECTED, ENOTCONN},
    {ERROR_NETWORK_UNREACHABLE, ENETUNREACH},
    {ERROR_HOST_UNREACHABLE, EHOSTUNREACH},
    {ERROR_CONNECTION_ABORTED, ECONNABORTED},
    {ERROR_BAD_NETPATH, ENETDOWN}, // the server does not answer
    {ERROR_BAD_NET_RESP, ENETDOWN},
    {ERROR_NET_WRITE_FAULT, ENETDOWN},
    {ERROR_NO_NET_OR_BAD_PATH, ENETDOWN},
    {ERROR_NOT_CONNECTED, ENOTCONN},
};

int NumberOf(DWORD code) {
    for (const CodeNumber& entry : kCodeNumbers)
        if (entry.code == code) return entry.number;
    return EIO;
}

// The last code each thread met, for ErrorText to tell it in its own words.
thread_local DWORD lastCode = ERROR_SUCCESS;

int NumberRemembered(DWORD code) {
    lastCode = code;
    return NumberOf(code);
}

int LastError() {
    return NumberRemembered(GetLastError());
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
    path_ = path;
    return MakeFileCall(FileCall::Open, path, [&] {
        const bool write = access == Access::ReadWrite;
        // Other processes may read, write and delete or rename the file
        // meanwhile, as on POSIX; the locks, not the sharing mode, keep them apart.
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
    });
}

bool File::isOpen() const {
    return Native(handle_) != INVALID_HANDLE_VALUE;
}

int File::size(qint64& bytes) const {
    return MakeFileCall(FileCall::Size, path_, [&] {
        LARGE_INTEGER length{};
        if (!GetFileSizeEx(Native(handle_), &length)) return LastError();
        bytes = length.QuadPart;
        return 0;
    });
}

int File::readAt(char* buffer, qint64 length, qint64 offset, qint64& done) const {
    done = 0;
    return MakeFileCall(FileCall::Read, path_, [&] {
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
    });
}

int File::writeAt(const char* buffer, qint64 length, qint64 offset) const {
    return MakeFileWrite(path_, length, [&](qint64 from, qint64 count) {
        const char* bytes = buffer + from;
        qint64 position = offset + from;
        while (count > 0) {
            OVERLAPPED at = At(position);
            DWORD n = 0;
            if (!WriteFile(Native(handle_), bytes, DWORD(qMin(count, kMaxPiece)), &n, &at))
                return LastError();
            bytes += n;
            count -= n;
            position += n;
        }
        return 0;
    });
}

int File::sync() const {
    return MakeFileCall(FileCall::Sync, path_,
                        [&] { return FlushFileBuffers(Native(handle_)) ? 0 : LastError(); });
}

int File::truncate(qint64 length) const {
    return MakeFileCall(FileCall::Truncate, path_, [&] {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = length;
        return SetFileInformationByHandle(Native(handle_), FileEndOfFileInfo, &end, sizeof end)
                   ? 0
                   : LastError();
    });
}

int File::lock(LockKind kind, bool wait, bool& granted) const {
    granted = false;
    return MakeFileCall(FileCall::Lock, path_, [&] {
        OVERLAPPED whole = At(0);
        const DWORD flags = (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) |
                            (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
        granted = LockFileEx(Native(handle_), flags, 0, MAXDWORD, MAXDWORD, &whole);
        if (granted) return 0;
        const DWORD code = GetLastError();
        if (!wait && (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)) return 0;
        return NumberRemembered(code);
    });
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
    return MakeFileCall(FileCall::Remove, path,
                        [&] { return DeleteFileW(WidePath(path).c_str()) ? 0 : LastError(); });
}

int ReplaceFile(const QString& from, const QString& to) {
    // Write-through: the rename is on the disk (or the server's) when this returns.
    return MakeFileCall(FileCall::Replace, to, [&] {
        return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : LastError();
    });
}

int SyncFolder(const QString& folder) {
    // NTFS and SMB servers write a folder's entries through with the files'
    // own flushes and write-through renames; Windows has no folder sync.
    return MakeFileCall(FileCall::SyncFolder, folder, [] { return 0; });
}

namespace {
QString SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) return {};
    const QString message = QString::fromWCharArray(text, int(length)).trimmed();
    LocalFree(text);
    return message;
}

// The code whose words tell errorNumber: the one this thread last met, when
// it gave that number, else the number's first code.
DWORD CodeTelling(int errorNumber) {
    if (lastCode != ERROR_SUCCESS && NumberOf(lastCode) == errorNumber) return lastCode;
    for (const CodeNumber& entry : kCodeNumbers)
        if (entry.number == errorNumber) return entry.code;
    return ERROR_SUCCESS;
}
} // namespace

int ErrorNumberOf(unsigned long systemCode) {
    return NumberRemembered(DWORD(systemCode));
}

QString ErrorText(int errorNumber) {
    const DWORD code = CodeTelling(errorNumber);
    QString text = code == ERROR_SUCCESS ? QString() : SystemText(code);
    if (text.isEmpty()) return QString::fromLocal8Bit(std::strerror(errorNumber));
    // The network's codes are what its administrator looks up.
    if (KindOfError(errorNumber) != ErrorKind::Other)
        text += QStringLiteral("（Windows のコード %1）").arg(code);
    return text;
}

ErrorKind KindOfError(int errorNumber) {
    switch (errorNumber) {
    case ECONNREFUSED:
        return ErrorKind::TooManyConnections;
    case ECONNRESET:
    case ENETRESET:
    case ETIMEDOUT:
    case ENOBUFS:
    case ENODEV:
    case ENOTCONN:
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ECONNABORTED:
    case ENETDOWN:
    case EIO: // ERROR_GEN_FAILURE and the codes not listed, a network drive's among them
        return ErrorKind::Network;
    default:
        return ErrorKind::Other;
    }
}

} // namespace platform
