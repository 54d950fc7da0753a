#include "records/Outbox.h"

#include "core/ProgramState.h"
#include "core/Text.h"
#include "records/ResultsFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>

namespace {
// The outbox file: this tag, where a move began writing (-1: none), the runs.
constexpr char kTag[8] = {'D', 'R', 'I', 'L', 'L', 'O', 'B', 'X'};
constexpr qint64 kHeaderSize = sizeof kTag + sizeof(qint64);
// Another program of this machine keeps or moves runs for at most this long.
constexpr int kLocalLockWaitMs = 10000;

[[noreturn]] void ThrowOutboxError(const QString& what, const QString& path,
                                   const QString& reason) {
    throw DataFileError(
        QStringLiteral("このパソコンに成績を預けるファイル %1 を%2できません（%3）。")
            .arg(QDir::toNativeSeparators(path), what, reason));
}

// Programs of this machine keep and move runs one at a time.
class LocalLock {
  public:
    explicit LocalLock(const QString& outboxPath) : lock_(outboxPath + QStringLiteral(".lock")) {
        QDir().mkpath(QFileInfo(outboxPath).absolutePath());
        if (!lock_.tryLock(kLocalLockWaitMs))
            ThrowOutboxError(QStringLiteral("使うことが"), outboxPath,
                             QStringLiteral("ほかのプログラムが使っています"));
    }

  private:
    QLockFile lock_;
};

// How many of runs, from the first, the results file holds from offset on:
// those a cut-off move wrote before it was stopped.
qint64 RunsWrittenAt(const ResultsFileHandle& results, qint64 offset, const QByteArray& runs) {
    QByteArray there(runs.size(), Qt::Uninitialized);
    there.truncate(ReadUpTo(results, there.data(), there.size(), offset));
    qint64 count = 0;
    while ((count + 1) * kRecordSize <= there.size() &&
           std::memcmp(there.constData() + count * kRecordSize,
                       runs.constData() + count * kRecordSize, kRecordSize) == 0)
        ++count;
    return count;
}

bool Holds(const QByteArray& runs, const QByteArray& record) {
    for (qint64 offset = 0; offset < runs.size(); offset += kRecordSize)
        if (QByteArrayView(runs).sliced(offset, kRecordSize) == record) return true;
    return false;
}
} // namespace

QString OutboxFolderOf(const Folders& folders) {
    if (!folders.OutboxFolder.isEmpty()) return folders.OutboxFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/outbox");
}

Outbox::Outbox(const QString& folder, const QString& resultsPath) {
    // One outbox per results file, so a run never reaches another classroom's file.
    const QByteArray key = QCryptographicHash::hash(
        QFileInfo(resultsPath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    path_ =
        QDir(folder).filePath(QStringLiteral("runs-") + QString::fromLatin1(key.toHex().left(16)) +
                              QStringLiteral(".dat"));
}

bool Outbox::holdsRuns() const {
    return QFileInfo::exists(path_);
}

QByteArray Outbox::runs() const {
    const LocalLock lock(path_);
    return read().runs;
}

Outbox::Contents Outbox::read() const {
    QFile file(path_);
    if (!file.exists()) return {};
    if (!file.open(QIODevice::ReadOnly))
        ThrowOutboxError(QStringLiteral("読み込み"), path_, file.errorString());
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.constData(), kTag, sizeof kTag) != 0 ||
        (bytes.size() - kHeaderSize) % kRecordSize != 0)
        ThrowOutboxError(QStringLiteral("読み込み"), path_, QStringLiteral("中身が違います"));
    Contents contents;
    std::memcpy(&contents.movingTo, bytes.constData() + sizeof kTag, sizeof(qint64));
    contents.runs = bytes.mid(kHeaderSize);
    return contents;
}

// Replaces the file whole (a new file renamed over the old one), synced.
void Outbox::write(const Contents& contents) const {
    QSaveFile file(path_);
    QByteArray bytes(kTag, sizeof kTag);
    bytes.append(reinterpret_cast<const char*>(&contents.movingTo), sizeof(qint64));
    bytes.append(contents.runs);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        ThrowOutboxError(QStringLiteral("書き込み"), path_, file.errorString());
    SyncFolderOf(path_);
}

void Outbox::clear() const {
    if (!QFile::remove(path_) && QFileInfo::exists(path_))
        ThrowOutboxError(QStringLiteral("消すことが"), path_, QStringLiteral("削除できません"));
}

void Outbox::keep(const QByteArray& record) const {
    const LocalLock lock(path_);
    Contents contents = read();
    if (Holds(contents.runs, record)) return;
    contents.runs += record;
    write(contents);
}

void Outbox::moveInto(const ResultsFileHandle& results, const QByteArray& record,
                      OutboxSteps& steps) const {
    const LocalLock lock(path_);
    Contents contents = read();
    if (contents.movingTo >= 0)
        contents.runs.remove(0, RunsWrittenAt(results, contents.movingTo, contents.runs) *
                                    kRecordSize);
    if (!record.isEmpty() && !Holds(contents.runs, record)) contents.runs += record;
    if (contents.runs.isEmpty()) {
        clear();
        return;
    }
    // Whole records only: a torn tail is written over.
    contents.movingTo = results.size() / kRecordSize * kRecordSize;
    write(contents);
    steps.reached(OutboxSteps::Step::Noted);
    WriteExactly(results, contents.runs.constData(), contents.runs.size(), contents.movingTo);
    steps.reached(OutboxSteps::Step::Written);
    SyncFile(results);
    steps.reached(OutboxSteps::Step::Synced);
    clear();
    steps.reached(OutboxSteps::Step::Cleared);
}
