#include "records/ResultsIo.h"

#include "core/SharedReading.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {
// Big enough to move a million records in a few dozen calls, small enough
// not to double the memory a deletion needs.
constexpr qint64 kChunkBytes = 4 << 20;

// An antivirus scanner or the search indexer opens a file for a moment just
// after it was written: removing or renaming it meanwhile fails with a
// sharing violation (EAGAIN), or with access denied while its deletion is
// pending (EACCES). Such a hold is waited out for a few seconds.
constexpr int kBriefHoldMs = 3000;
constexpr int kBriefHoldRetryMs = 50;

template <typename Call> int WaitingOutBriefHolds(Call call) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const int error = call();
        if ((error != EAGAIN && error != EACCES) || waited.elapsed() >= kBriefHoldMs) return error;
        QThread::msleep(kBriefHoldRetryMs);
    }
}
} // namespace

namespace {
constexpr auto kTurnWait = std::chrono::milliseconds(200);

std::recursive_timed_mutex& ProcessTurn() {
    static std::recursive_timed_mutex turn;
    return turn;
}
} // namespace

ResultsFileHandle::ResultsFileHandle(const QString& path, bool forWriting)
    : path_(path), turn_(ProcessTurn(), std::defer_lock) {
    if (!turn_.try_lock_for(kTurnWait)) ThrowFileError(QStringLiteral("開くことが"), path, EAGAIN);
    using Access = platform::File::Access;
    if (const int error = file_.open(path, forWriting ? Access::ReadWrite : Access::Read))
        ThrowFileError(QStringLiteral("開くことが"), path, error);
}

ResultsFileHandle::~ResultsFileHandle() = default;

qint64 ResultsFileHandle::size() const {
    qint64 bytes = 0;
    if (const int error = file_.size(bytes))
        ThrowFileError(QStringLiteral("調べることが"), path_, error);
    return bytes;
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
    if (const int error = file.file().readAt(buffer, length, offset, done))
        ThrowFileError(QStringLiteral("読み込み"), file.path(), error);
    return done;
}

void ReadExactly(const ResultsFileHandle& file, char* buffer, qint64 length, qint64 offset) {
    // Shorter than a moment ago: the file changed, not a server that is away.
    if (ReadUpTo(file, buffer, length, offset) != length)
        ThrowFileError(QStringLiteral("読み込み"), file.path(), ENODATA);
}

void WriteExactly(const ResultsFileHandle& file, const char* buffer, qint64 length, qint64 offset) {
    if (const int error = file.file().writeAt(buffer, length, offset))
        ThrowFileError(QStringLiteral("書き込み"), file.path(), error);
}

void SyncFile(const ResultsFileHandle& file) {
    if (const int error = file.file().sync())
        ThrowFileError(QStringLiteral("ディスクに書き切ることが"), file.path(), error);
}

void SyncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (const int error = platform::SyncFolder(folder))
        ThrowFileError(QStringLiteral("ディスクに書き切ることが"), folder, error);
}

bool LockWholeFile(const ResultsFileHandle& file, LockKind kind, bool wait) {
    bool granted = false;
    if (const int error = file.file().lock(kind, wait, granted))
        ThrowFileError(QStringLiteral("ロックすることが"), file.path(), error);
    return granted;
}

bool LockWholeFileWithin(const ResultsFileHandle& file, LockKind kind, int milliseconds) {
    bool granted = false;
    if (const int error = file.file().lockWithin(kind, milliseconds, granted))
        ThrowFileError(QStringLiteral("ロックすることが"), file.path(), error);
    return granted;
}

void UnlockWholeFile(const ResultsFileHandle& file) {
    file.file().unlock();
}

// The system copies without the bytes passing through here where it can;
// elsewhere (another file system, an old kernel, Windows) they are read and
// written.
void CopyFileStart(const ResultsFileHandle& source, const ResultsFileHandle& target,
                   qint64 length) {
    const int error = source.file().copyInSystem(target.file(), length);
    if (error == 0) return;
    if (error != ENOSYS) ThrowFileError(QStringLiteral("コピーすることが"), target.path(), error);
    QByteArray chunk(std::min(kChunkBytes, length), Qt::Uninitialized);
    for (qint64 done = 0; done < length;) {
        const qint64 k = std::min<qint64>(chunk.size(), length - done);
        ReadExactly(source, chunk.data(), k, done);
        WriteExactly(target, chunk.constData(), k, done);
        done += k;
    }
}

void TruncateFile(const ResultsFileHandle& file, qint64 length) {
    if (const int error = file.file().truncate(length))
        ThrowFileError(QStringLiteral("切り詰めることが"), file.path(), error);
}

void RemoveDurably(const QString& path) {
    if (const int error = WaitingOutBriefHolds([&] { return platform::RemoveFile(path); });
        error != 0 && error != ENOENT)
        ThrowFileError(QStringLiteral("消すことが"), path, error);
    SyncFolderOf(path);
}

void RenameAside(const QString& from, const QString& to) {
    // The caller picks a free name; checking again here keeps a file that
    // appeared meanwhile from being replaced (network shares offer no
    // rename that refuses to replace).
    if (QFileInfo::exists(to)) ThrowFileError(QStringLiteral("名前を変えることが"), to, EEXIST);
    if (const int error = WaitingOutBriefHolds([&] { return platform::ReplaceFile(from, to); }))
        ThrowFileError(QStringLiteral("名前を変えることが"), from, error);
}
