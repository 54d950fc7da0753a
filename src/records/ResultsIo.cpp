#include "records/ResultsIo.h"

#include "core/SharedReading.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Big enough to move a million records in a few dozen calls, small enough
// not to double the memory a deletion needs.
constexpr qint64 kChunkBytes = 4 << 20;

int OpenRetrying(const QByteArray& native, int flags) {
    int fd;
    do {
        fd = ::open(native.constData(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
} // namespace

ResultsFileHandle::ResultsFileHandle(const QString& path, bool forWriting) : path_(path) {
    const int flags = forWriting ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC);
    fd_ = OpenRetrying(QFile::encodeName(path), flags);
    if (fd_ < 0) ThrowFileError(QStringLiteral("開くことが"), path, errno);
}

ResultsFileHandle::~ResultsFileHandle() {
    if (fd_ >= 0) ::close(fd_);
}

qint64 ResultsFileHandle::size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) ThrowFileError(QStringLiteral("調べることが"), path_, errno);
    return qint64(info.st_size);
}

void ThrowFileError(const QString& what, const QString& path, int errorNumber) {
    const bool isResultsFile = QFileInfo(path).fileName() == kResultsFileName;
    const QString text =
        QStringLiteral("%1 を%2できません（%3、エラー番号 %4）。")
            .arg(QDir::toNativeSeparators(path), what, SystemErrorText(errorNumber))
            .arg(errorNumber);
    if (isResultsFile)
        throw FileAccessError(
            QStringLiteral("成績ファイル ") + text +
                QStringLiteral("データフォルダとネットワークを確かめてください。"),
            errorNumber, kResultsFileSubject);
    throw FileAccessError(text, errorNumber);
}

qint64 ReadUpTo(const ResultsFileHandle& file, char* buffer, qint64 length, qint64 offset) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(file.fd(), buffer + done, size_t(length - done), off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowFileError(QStringLiteral("読み込み"), file.path(), errno);
        if (n == 0) break;
        done += n;
    }
    return done;
}

void ReadExactly(const ResultsFileHandle& file, char* buffer, qint64 length, qint64 offset) {
    if (ReadUpTo(file, buffer, length, offset) != length)
        ThrowFileError(QStringLiteral("読み込み"), file.path(), EIO);
}

void WriteExactly(const ResultsFileHandle& file, const char* buffer, qint64 length, qint64 offset) {
    while (length > 0) {
        const ssize_t n = ::pwrite(file.fd(), buffer, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowFileError(QStringLiteral("書き込み"), file.path(), errno);
        buffer += n;
        length -= n;
        offset += n;
    }
}

void SyncFile(const ResultsFileHandle& file) {
    if (::fsync(file.fd()) != 0)
        ThrowFileError(QStringLiteral("ディスクに書き切ることが"), file.path(), errno);
}

void SyncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const int fd = OpenRetrying(QFile::encodeName(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) ThrowFileError(QStringLiteral("開くことが"), folder, errno);
    // Some network file systems refuse to sync a folder; their server
    // writes the folder through anyway.
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0 && error != EINVAL && error != EROFS && error != ENOTSUP)
        ThrowFileError(QStringLiteral("ディスクに書き切ることが"), folder, error);
}

namespace {
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
    return rc;
}
} // namespace

bool LockWholeFile(const ResultsFileHandle& file, LockKind kind, bool wait) {
    const short type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    if (SetWholeFileLock(file.fd(), type, wait ? F_SETLKW : F_SETLK) == 0) return true;
    if (!wait && (errno == EAGAIN || errno == EACCES)) return false;
    ThrowFileError(QStringLiteral("ロックすることが"), file.path(), errno);
}

namespace {
// A timer signal to this thread only breaks a waiting lock call; its handler
// does nothing, and nothing else of the program is interrupted by it.
constexpr int kLockTickMs = 20;

int LockTickSignal() {
    return SIGRTMIN + 1;
}

void IgnoreTick(int) {}

// Ticks every kLockTickMs while it lives; a tick still pending at the end is taken back.
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
        armed_ = ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
        const timespec tick{0, kLockTickMs * 1000000L};
        const itimerspec every{tick, tick};
        if (armed_) ::timer_settime(timer_, 0, &every, nullptr);
    }
    ~LockTicker() {
        if (!armed_) return;
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
    bool armed() const { return armed_; }

  private:
    timer_t timer_{};
    bool armed_ = false;
};
} // namespace

bool LockWholeFileWithin(const ResultsFileHandle& file, LockKind kind, int milliseconds) {
    if (LockWholeFile(file, kind, false)) return true;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    const short type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    const LockTicker ticker;
    if (!ticker.armed()) ThrowFileError(QStringLiteral("ロックすることが"), file.path(), errno);
    for (;;) {
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        if (::fcntl(file.fd(), F_SETLKW, &lock) == 0) return true;
        if (errno != EINTR) ThrowFileError(QStringLiteral("ロックすることが"), file.path(), errno);
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
}

void UnlockWholeFile(const ResultsFileHandle& file) {
    SetWholeFileLock(file.fd(), F_UNLCK, F_SETLK);
}

void MaintenanceWrites::write(const ResultsFileHandle& file, const char* buffer, qint64 length,
                              qint64 offset) {
    WriteExactly(file, buffer, length, offset);
}

// The kernel copies without the bytes passing through here where it can;
// elsewhere (another file system, an old kernel) they are read and written.
void MaintenanceWrites::copy(const ResultsFileHandle& source, const ResultsFileHandle& target,
                             qint64 length) {
    loff_t in = 0;
    loff_t out = 0;
    while (in < length) {
        const ssize_t n =
            ::copy_file_range(source.fd(), &in, target.fd(), &out, size_t(length - in), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) continue;
        if (n == 0) ThrowFileError(QStringLiteral("読み込み"), source.path(), EIO);
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            ThrowFileError(QStringLiteral("コピーすることが"), target.path(), errno);
        QByteArray chunk(std::min(kChunkBytes, length - in), Qt::Uninitialized);
        while (in < length) {
            const qint64 k = std::min<qint64>(chunk.size(), length - in);
            ReadExactly(source, chunk.data(), k, in);
            WriteExactly(target, chunk.constData(), k, out);
            in += k;
            out += k;
        }
    }
}

void MaintenanceWrites::truncate(const ResultsFileHandle& file, qint64 length) {
    if (::ftruncate(file.fd(), off_t(length)) != 0)
        ThrowFileError(QStringLiteral("切り詰めることが"), file.path(), errno);
}

void MaintenanceWrites::remove(const QString& path) {
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        ThrowFileError(QStringLiteral("消すことが"), path, errno);
    SyncFolderOf(path);
}
