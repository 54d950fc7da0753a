#include "records/Outbox.h"

#include "core/ProgramState.h"
#include "core/Text.h"
#include "records/AttemptLog.h"
#include "records/ResultRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>

Q_LOGGING_CATEGORY(lcOutbox, "drill.records.outbox")

namespace {
// The outbox file: this tag, where a move began writing records (-1: none)
// and how many bytes of them it wrote there, the same for the attempts it
// wrote to the attempt log, then each run as its length and its bytes (the
// 44-byte record first, then its attempts' records).
constexpr char kTag[8] = {'D', 'R', 'I', 'L', 'L', 'O', 'B', '3'};
constexpr qint64 kHeaderSize = sizeof kTag + 4 * sizeof(qint64);
// The release before kept the runs' records one after another after its own
// tag and where a move began.
constexpr char kFirstTag[8] = {'D', 'R', 'I', 'L', 'L', 'O', 'B', 'X'};
constexpr qint64 kFirstHeaderSize = sizeof kFirstTag + sizeof(qint64);
// Another program of this machine keeps or moves runs for at most this long.
constexpr int kLocalLockWaitMs = 10000;

[[noreturn]] void ThrowOutboxError(const QString& what, const QString& path,
                                   const QString& reason) {
    throw DataFileError(
        QStringLiteral("このパソコンに成績を預けるファイル %1 を%2できません（%3）。")
            .arg(QDir::toNativeSeparators(path), what, reason));
}

QString SystemReason(int error) {
    return QStringLiteral("%1、エラー番号 %2").arg(SystemErrorText(error)).arg(error);
}

// Programs of this machine keep and move runs one at a time, under a lock the
// system lets go of when a program dies (and that writes nothing to the disk).
class LocalLock {
  public:
    explicit LocalLock(const QString& outboxPath) : turn_(ProcessTurn(), std::defer_lock) {
        // The file lock belongs to the process: its threads take turns first.
        if (!turn_.try_lock_for(std::chrono::milliseconds(kLocalLockWaitMs)))
            ThrowOutboxError(QStringLiteral("使うことが"), outboxPath,
                             QStringLiteral("このプログラムのほかの書き込みが終わりません"));
        QDir().mkpath(QFileInfo(outboxPath).absolutePath());
        const QString path = outboxPath + QStringLiteral(".lock");
        bool granted = false;
        int error = file_.open(path, platform::File::Access::ReadWrite);
        if (error == 0)
            error = file_.lockWithin(platform::LockKind::Exclusive, kLocalLockWaitMs, granted);
        if (error != 0 || !granted)
            ThrowOutboxError(QStringLiteral("使うことが"), outboxPath,
                             error != 0 ? SystemReason(error)
                                        : QStringLiteral("ほかのプログラムが使っています"));
    }
    ~LocalLock() { file_.unlock(); }
    LocalLock(const LocalLock&) = delete;
    LocalLock& operator=(const LocalLock&) = delete;

  private:
    static std::timed_mutex& ProcessTurn() {
        static std::timed_mutex turn;
        return turn;
    }
    std::unique_lock<std::timed_mutex> turn_;
    platform::File file_;
};

template <typename T> void Append(QByteArray& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T> T Load(const QByteArray& bytes, qint64 offset) {
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

QByteArrayView RecordOf(const QByteArray& run) {
    return QByteArrayView(run).first(kRecordSize);
}

QByteArrayView AttemptsOf(const QByteArray& run) {
    return QByteArrayView(run).sliced(kRecordSize);
}

// How many of runs, from the first, have their attempts in the log from
// offset on, within the bytes a move noted. Without such a note, or with a
// log that cannot be read, none have.
size_t AttemptsLandedAt(const QString& logPath, qint64 offset, qint64 bytes,
                        const std::vector<QByteArray>& runs) {
    if (offset < 0 || bytes <= 0 || !QFileInfo::exists(logPath)) return 0;
    QByteArray there(bytes, Qt::Uninitialized);
    try {
        const ResultsFileHandle log(logPath, false);
        there.truncate(ReadUpTo(log, there.data(), there.size(), offset));
    } catch (const DataFileError&) {
        return 0;
    }
    size_t count = 0;
    qint64 at = 0;
    while (count < runs.size()) {
        const QByteArrayView attempts = AttemptsOf(runs[count]);
        if (at + attempts.size() > there.size() ||
            QByteArrayView(there).sliced(at, attempts.size()) != attempts)
            break;
        at += attempts.size();
        ++count;
    }
    return count;
}

// How many of runs, from the first, the results file holds from offset on,
// within the bytes a move noted: those it wrote before it was stopped.
size_t RunsLandedAt(const ResultsFileHandle& results, qint64 offset, qint64 bytes,
                    const std::vector<QByteArray>& runs) {
    bytes = std::min<qint64>(bytes, qint64(runs.size()) * kRecordSize);
    QByteArray there(bytes, Qt::Uninitialized);
    there.truncate(ReadUpTo(results, there.data(), there.size(), offset));
    size_t count = 0;
    while (qint64(count + 1) * kRecordSize <= there.size() &&
           QByteArrayView(there).sliced(qint64(count) * kRecordSize, kRecordSize) ==
               RecordOf(runs[count]))
        ++count;
    return count;
}

bool Holds(const std::vector<QByteArray>& runs, const QByteArray& record) {
    return std::any_of(runs.begin(), runs.end(),
                       [&](const QByteArray& run) { return RecordOf(run) == RecordOf(record); });
}

// The release before's file: its records one after another.
bool ReadFirstForm(const QByteArray& bytes, qint64& movingTo, std::vector<QByteArray>& runs) {
    if (bytes.size() < kFirstHeaderSize ||
        std::memcmp(bytes.constData(), kFirstTag, sizeof kFirstTag) != 0 ||
        (bytes.size() - kFirstHeaderSize) % kRecordSize != 0)
        return false;
    movingTo = Load<qint64>(bytes, sizeof kFirstTag);
    for (qint64 at = kFirstHeaderSize; at < bytes.size(); at += kRecordSize)
        runs.push_back(bytes.mid(at, kRecordSize));
    return true;
}

// The runs after the header; end is where the last whole one ends. A run cut
// off mid-write (a keep that never returned) is left out and written over.
bool ReadRuns(const QByteArray& bytes, std::vector<QByteArray>& runs, qint64& end) {
    qint64 at = kHeaderSize;
    while (bytes.size() - at >= qint64(sizeof(quint32))) {
        const qint64 length = Load<quint32>(bytes, at);
        if (length < kRecordSize) return false;
        if (bytes.size() - at - qint64(sizeof(quint32)) < length) break;
        runs.push_back(bytes.mid(at + sizeof(quint32), length));
        at += sizeof(quint32) + length;
    }
    end = at;
    return true;
}

QByteArray UnitOf(const QByteArray& run) {
    QByteArray unit;
    Append(unit, quint32(run.size()));
    return unit + run;
}

QByteArray NoteOf(qint64 movingTo, qint64 movingBytes, qint64 attemptsTo, qint64 attemptsBytes) {
    QByteArray note;
    Append(note, movingTo);
    Append(note, movingBytes);
    Append(note, attemptsTo);
    Append(note, attemptsBytes);
    return note;
}

// The attempts go to the log beside the results file, under its write lock,
// before the records: a run whose record landed has its attempts there too.
// A failure that the share being away explains stops the move as the results
// file's would; any other (a log that is a folder, say) leaves the attempts
// out rather than the run. Returns where they were written, or -1.
qint64 WriteAttempts(const QString& logPath, const QByteArray& attempts,
                     const std::function<void(qint64)>& noteBefore) {
    try {
        const bool created = !QFileInfo::exists(logPath);
        const ResultsFileHandle log(logPath, true);
        if (created) SyncFolderOf(logPath);
        const qint64 at = log.size() / kAttemptRecordSize * kAttemptRecordSize;
        noteBefore(at);
        WriteExactly(log, attempts.constData(), attempts.size(), at);
        SyncFile(log);
        return at;
    } catch (const FileAccessError& error) {
        if (platform::KindOfError(error.errorNumber()) != platform::ErrorKind::Other) throw;
        qCWarning(lcOutbox).noquote() << "the attempts are left out:" << error.message();
        return -1;
    }
}

void Check(int error, const QString& path) {
    if (error != 0) ThrowOutboxError(QStringLiteral("書き込み"), path, SystemReason(error));
}

// The outbox file, to be written in place; a new one's folder entry is made
// durable at once.
void OpenForWriting(platform::File& file, const QString& path) {
    const bool existed = QFileInfo::exists(path);
    Check(file.open(path, platform::File::Access::ReadWrite), path);
    if (!existed) Check(platform::SyncFolder(QFileInfo(path).absolutePath()), path);
}
} // namespace

QString OutboxFolderOf(const Folders& folders) {
    if (!folders.OutboxFolder.isEmpty()) return folders.OutboxFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/outbox");
}

Outbox::Outbox(const QString& folder, const QString& resultsPath)
    : attemptLogPath_(AttemptLogPathBeside(resultsPath)) {
    // One outbox per results file, so a run never reaches another classroom's file.
    const QByteArray key = QCryptographicHash::hash(
        QFileInfo(resultsPath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    path_ =
        QDir(folder).filePath(QStringLiteral("runs-") + QString::fromLatin1(key.toHex().left(16)) +
                              QStringLiteral(".dat"));
}

bool Outbox::holdsRuns() const {
    // An emptied outbox stays, its header and nothing after it.
    return QFileInfo(path_).size() > kHeaderSize;
}

Outbox::Contents Outbox::read() const {
    QFile file(path_);
    if (!file.exists()) return {};
    if (!file.open(QIODevice::ReadOnly))
        ThrowOutboxError(QStringLiteral("読み込み"), path_, file.errorString());
    const QByteArray bytes = file.readAll();
    Contents contents;
    if (bytes.isEmpty()) return contents;
    if (ReadFirstForm(bytes, contents.movingTo, contents.runs)) {
        contents.movingBytes = qint64(contents.runs.size()) * kRecordSize;
        contents.firstForm = true;
        return contents;
    }
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.constData(), kTag, sizeof kTag) != 0 ||
        !ReadRuns(bytes, contents.runs, contents.end))
        ThrowOutboxError(QStringLiteral("読み込み"), path_, QStringLiteral("中身が違います"));
    contents.movingTo = Load<qint64>(bytes, sizeof kTag);
    contents.movingBytes = Load<qint64>(bytes, sizeof kTag + sizeof(qint64));
    contents.attemptsTo = Load<qint64>(bytes, sizeof kTag + 2 * sizeof(qint64));
    contents.attemptsBytes = Load<qint64>(bytes, sizeof kTag + 3 * sizeof(qint64));
    return contents;
}

// Replaces the file whole: a new file, synced, renamed over the old one in a
// way that is on the disk when it returns (write-through on Windows, the
// folder synced on POSIX).
void Outbox::write(Contents& contents) const {
    QByteArray bytes(kTag, sizeof kTag);
    bytes += NoteOf(contents.movingTo, contents.movingBytes, contents.attemptsTo,
                    contents.attemptsBytes);
    for (const QByteArray& run : contents.runs)
        bytes += UnitOf(run);
    const QString fresh = path_ + QStringLiteral(".new");
    {
        platform::File file;
        Check(file.open(fresh, platform::File::Access::ReadWrite), fresh);
        Check(file.truncate(0), fresh);
        Check(file.writeAt(bytes.constData(), bytes.size(), 0), fresh);
        Check(file.sync(), fresh);
    }
    Check(platform::ReplaceFile(fresh, path_), path_);
    contents.firstForm = false;
    contents.end = bytes.size();
}

// Adds run after the last whole one, unsynced: the caller syncs.
void Outbox::append(const platform::File& file, Contents& contents, const QByteArray& run) const {
    QByteArray bytes = UnitOf(run);
    if (contents.end == 0) bytes.prepend(QByteArray(kTag, sizeof kTag) + NoteOf(-1, 0, -1, 0));
    Check(file.writeAt(bytes.constData(), bytes.size(), contents.end), path_);
    contents.end += bytes.size();
    contents.runs.push_back(run);
    qint64 size = 0;
    Check(file.size(size), path_);
    if (size > contents.end) Check(file.truncate(contents.end), path_);
}

// Cut back to the header, whose note is stale from now on: the next move
// finds none of its new runs there. Unsynced: should the cut be lost, the
// note still tells the next move that the runs landed. A failure here only
// leaves that work to the next move.
void Outbox::clear(const platform::File& file) const {
    if (const int error = file.truncate(kHeaderSize))
        qCWarning(lcOutbox).noquote() << path_ << ": cannot empty it:" << SystemReason(error);
}

QByteArray Outbox::runs() const {
    const LocalLock lock(path_);
    QByteArray records;
    for (const QByteArray& run : read().runs)
        records += RecordOf(run);
    return records;
}

void Outbox::keep(const QByteArray& run) const {
    const LocalLock lock(path_);
    Contents contents = read();
    if (Holds(contents.runs, run)) return;
    if (contents.firstForm) write(contents); // once, into this form
    platform::File file;
    OpenForWriting(file, path_);
    append(file, contents, run);
    Check(file.sync(), path_);
}

void Outbox::moveInto(const ResultsFileHandle& results, const QByteArray& record) const {
    const LocalLock lock(path_);
    Contents contents = read();
    const size_t landed = contents.movingTo < 0 ? 0
                                                : RunsLandedAt(results, contents.movingTo,
                                                               contents.movingBytes, contents.runs);
    const size_t attemptsLanded = AttemptsLandedAt(attemptLogPath_, contents.attemptsTo,
                                                   contents.attemptsBytes, contents.runs);
    if (landed > 0 || attemptsLanded > landed || contents.firstForm) {
        // Runs whose attempts alone landed wait with their records only.
        for (size_t k = landed; k < attemptsLanded; ++k)
            contents.runs[k] = RecordOf(contents.runs[k]).toByteArray();
        contents.runs.erase(contents.runs.begin(), contents.runs.begin() + qsizetype(landed));
        contents.movingTo = contents.attemptsTo = -1;
        contents.movingBytes = contents.attemptsBytes = 0;
        write(contents);
    }
    platform::File file;
    OpenForWriting(file, path_);
    if (!record.isEmpty() && !Holds(contents.runs, record)) append(file, contents, record);
    if (contents.runs.empty()) {
        clear(file);
        return;
    }
    QByteArray records, attempts;
    for (const QByteArray& run : contents.runs) {
        records += RecordOf(run);
        attempts += AttemptsOf(run);
    }
    // Whole records only: a torn tail is written over.
    const qint64 at = WholeRecordLength(results.size());
    // The note, and a run just added, on this disk before the shared files are touched.
    const auto note = [&](qint64 attemptsAt) {
        const QByteArray bytes =
            NoteOf(at, records.size(), attemptsAt, attemptsAt < 0 ? 0 : attempts.size());
        Check(file.writeAt(bytes.constData(), bytes.size(), sizeof kTag), path_);
        Check(file.sync(), path_);
    };
    if (attempts.isEmpty() || WriteAttempts(attemptLogPath_, attempts, note) < 0) note(-1);
    WriteExactly(results, records.constData(), records.size(), at);
    SyncFile(results);
    clear(file);
}
