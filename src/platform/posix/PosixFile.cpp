// Linux and other POSIX systems: file descriptors and fcntl locks, which NFS
// and SMB mounts pass on to the file server.
#include "platform/File.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {
int OpenRetrying(const QString& path, int flags) {
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int SetWholeFileLock(int fd, short type, int command) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end, however far the file grows
    int rc;
    do {
        rc = ::fcntl(fd, command, &lock);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}
} // namespace

File::~File() {
    if (handle_ >= 0) ::close(int(handle_));
}

int File::open(const QString& path, Access access) {
    path_ = path;
    return MakeFileCall(FileCall::Open, path, [&] {
        const int fd =
            OpenRetrying(path, access == Access::ReadWrite ? O_RDWR | O_CREAT : O_RDONLY);
        if (fd < 0) return errno;
        if (handle_ >= 0) ::close(int(handle_));
        handle_ = fd;
        return 0;
    });
}

bool File::isOpen() const {
    return handle_ >= 0;
}

int File::size(qint64& bytes) const {
    return MakeFileCall(FileCall::Size, path_, [&] {
        struct stat info {};
        if (::fstat(int(handle_), &info) != 0) return errno;
        // A folder in the file's place opens for reading but is not a file.
        if (S_ISDIR(info.st_mode)) return EISDIR;
        bytes = qint64(info.st_size);
        return 0;
    });
}

int File::readAt(char* buffer, qint64 length, qint64 offset, qint64& done) const {
    done = 0;
    return MakeFileCall(FileCall::Read, path_, [&] {
        while (done < length) {
            const ssize_t n =
                ::pread(int(handle_), buffer + done, size_t(length - done), off_t(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            if (n == 0) break;
            done += n;
        }
        return 0;
    });
}

int File::writeAt(const char* buffer, qint64 length, qint64 offset) const {
    return MakeFileWrite(path_, length, [&](qint64 from, qint64 count) {
        const char* bytes = buffer + from;
        qint64 at = offset + from;
        while (count > 0) {
            const ssize_t n = ::pwrite(int(handle_), bytes, size_t(count), off_t(at));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            bytes += n;
            count -= n;
            at += n;
        }
        return 0;
    });
}

int File::sync() const {
    return MakeFileCall(FileCall::Sync, path_,
                        [&] { return ::fsync(int(handle_)) == 0 ? 0 : errno; });
}

int File::truncate(qint64 length) const {
    return MakeFileCall(FileCall::Truncate, path_,
                        [&] { return ::ftruncate(int(handle_), off_t(length)) == 0 ? 0 : errno; });
}

int File::lock(LockKind kind, bool wait, bool& granted) const {
    granted = false;
    return MakeFileCall(FileCall::Lock, path_, [&] {
        const int error = SetWholeFileLock(
            int(handle_), kind == LockKind::Shared ? F_RDLCK : F_WRLCK, wait ? F_SETLKW : F_SETLK);
        granted = error == 0;
        if (!wait && (error == EAGAIN || error == EACCES)) return 0;
        return error;
    });
}

namespace {
// A timer signal to this thread only breaks a waiting lock call; its handler
// does nothing, and nothing else of the program is interrupted by it.
constexpr long kLockTickNs = 20'000'000;

int LockTickSignal() {
    return SIGRTMIN + 1;
}

void IgnoreTick(int) {}

// Ticks every 20 ms while it lives; a tick still pending at the end is taken back.
class LockTicker {
  public:
    LockTicker() {
        struct sigaction action {};
        action.sa_handler = IgnoreTick; // without SA_RESTART: the wait returns EINTR
        sigemptyset(&action.sa_mask);
        ::sigaction(LockTickSignal(), &action, nullptr);
        struct sigevent event {};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = LockTickSignal();
        event._sigev_un._tid = ::gettid();
        error_ = ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0 ? 0 : errno;
        const timespec tick{0, kLockTickNs};
        const itimerspec every{tick, tick};
        if (error_ == 0) ::timer_settime(timer_, 0, &every, nullptr);
    }
    ~LockTicker() {
        if (error_ != 0) return;
        sigset_t tick;
        sigemptyset(&tick);
        sigaddset(&tick, LockTickSignal());
        sigset_t before;
        ::pthread_sigmask(SIG_BLOCK, &tick, &before);
        ::timer_delete(timer_);
        const timespec now{0, 0};
        while (::sigtimedwait(&tick, nullptr, &now) > 0) {
        }
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    LockTicker(const LockTicker&) = delete;
    LockTicker& operator=(const LockTicker&) = delete;
    int error() const { return error_; }

  private:
    timer_t timer_{};
    int error_ = 0;
};

int WaitForLock(int fd, LockKind kind, int milliseconds, bool& granted) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    const LockTicker ticker;
    if (ticker.error() != 0) return ticker.error();
    struct flock whole {};
    whole.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    whole.l_whence = SEEK_SET;
    for (;;) {
        if (::fcntl(fd, F_SETLKW, &whole) == 0) {
            granted = true;
            return 0;
        }
        if (errno != EINTR) return errno;
        if (std::chrono::steady_clock::now() >= deadline) return 0;
    }
}

int CopyRange(int from, int to, qint64 length) {
    loff_t in = 0;
    loff_t out = 0;
    while (in < length) {
        const ssize_t n = ::copy_file_range(from, &in, to, &out, size_t(length - in), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) continue;
        if (n == 0) return EIO; // the source is shorter than length
        // Another file system or an old kernel: the caller copies, from the start.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            return ENOSYS;
        return errno;
    }
    return 0;
}
} // namespace

int File::lockWithin(LockKind kind, int milliseconds, bool& granted) const {
    if (const int error = lock(kind, false, granted); error != 0 || granted) return error;
    return MakeFileCall(FileCall::Lock, path_,
                        [&] { return WaitForLock(int(handle_), kind, milliseconds, granted); });
}

void File::unlock() const {
    SetWholeFileLock(int(handle_), F_UNLCK, F_SETLK);
}

int File::copyInSystem(const File& target, qint64 length) const {
    return MakeFileCall(FileCall::Copy, target.path_,
                        [&] { return CopyRange(int(handle_), int(target.handle_), length); });
}

int RemoveFile(const QString& path) {
    return MakeFileCall(FileCall::Remove, path, [&] {
        return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
    });
}

int ReplaceFile(const QString& from, const QString& to) {
    const int error = MakeFileCall(FileCall::Replace, to, [&] {
        return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
                   ? 0
                   : errno;
    });
    return error != 0 ? error : SyncFolder(QFileInfo(to).absolutePath());
}

int SyncFolder(const QString& folder) {
    return MakeFileCall(FileCall::SyncFolder, folder, [&] {
        const int fd = OpenRetrying(folder, O_RDONLY | O_DIRECTORY);
        if (fd < 0) return errno;
        // Some network file systems refuse to sync a folder; their server
        // writes the folder through anyway.
        const int rc = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        if (rc != 0 && error != EINVAL && error != EROFS && error != ENOTSUP) return error;
        return 0;
    });
}

int ErrorNumberOf(unsigned long systemCode) {
    return int(systemCode);
}

QString ErrorText(int errorNumber) {
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

// What NFS and SMB/CIFS clients return when their server is away or their
// connection broke. EIO is a soft mount's answer to a call that timed out (a
// local disk's EIO is waited out the same way: the question lets the user go).
ErrorKind KindOfError(int errorNumber) {
    switch (errorNumber) {
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ENETRESET:
    case ESTALE:
    case ECONNRESET:
    case ECONNABORTED:
    case ECONNREFUSED:
    case ENOTCONN:
    case EREMOTEIO:
    case ENOLINK:
    case EIO:
        return ErrorKind::Network;
    default:
        return ErrorKind::Other;
    }
}

} // namespace platform
