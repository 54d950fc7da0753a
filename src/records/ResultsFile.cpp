#include "records/ResultsFile.h"

#include "records/AttemptLog.h"
#include "records/Outbox.h"
#include "records/ResultsJournal.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "core/Tables.h"
#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace {

// A reader waits this long for a writer to let go before it reports the file
// busy and is tried again later.
constexpr int kReaderLockWaitMs = 200;
// A writer waits as long for the lock before it reports the file busy: its
// caller waits between tries and asks the user (WritePatiently), so the
// window paints and nobody waits without a word.
constexpr int kWriterLockWaitMs = 200;

bool FolderExists(const QString& path) {
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

QString PaddedNumber(int value) {
    return QString::number(value).leftJustified(kRecordTextWidth, QLatin1Char(' '));
}

} // namespace

QString ResultsFilePath(const ProgramState& state) {
    return NormalisePath(state.folders.DataFolder + kResultsFileName);
}

namespace {
void TakeWriterLock(const ResultsFileHandle& file) {
    if (!LockWholeFileWithin(file, LockKind::Exclusive, kWriterLockWaitMs))
        ThrowFileError(QStringLiteral("ロックすることが"), file.path(), EAGAIN);
}
} // namespace

ResultsFileLock::ResultsFileLock(const ResultsFileHandle& file) : file_(file) {
    TakeWriterLock(file);
    setAsideNotice_ = RecoverInterruptedMaintenance(file).setAsideNotice;
}

ResultsFileLock::~ResultsFileLock() {
    UnlockWholeFile(file_);
}

void PassOnSetAsideNotice(const ResultsFileLock& lock, QString* notice) {
    if (notice && !lock.setAsideNotice().isEmpty()) *notice = lock.setAsideNotice();
}

namespace {
bool TakeReaderLock(const ResultsFileHandle& file) {
    return LockWholeFileWithin(file, LockKind::Shared, kReaderLockWaitMs);
}
} // namespace

ResultsReader::ResultsReader(const QString& path) {
    if (!QFileInfo::exists(path) && FolderExists(path)) return;
    file_ = std::make_unique<ResultsFileHandle>(path, false);
    if (!TakeReaderLock(*file_)) ThrowFileError(QStringLiteral("読み込み"), path, EAGAIN);
    // Only a process that died mid-operation leaves an intent while no
    // writer holds the lock.
    if (!MaintenancePending(path)) return;
    if (auto patch = PendingRecoveryPatch(*file_))
        pending_ = std::make_unique<RecoveryPatch>(std::move(*patch));
}

ResultsReader::~ResultsReader() {
    if (file_) UnlockWholeFile(*file_);
}

qint64 ResultsReader::size() const {
    return file_ ? file_->size() : 0;
}

qint64 ResultsReader::read(char* buffer, qint64 length, qint64 offset) const {
    if (!file_ || length <= 0) return 0;
    const qint64 n = ReadUpTo(*file_, buffer, length, offset);
    if (pending_) {
        const qint64 from = std::max(offset, pending_->at);
        const qint64 to = std::min(offset + n, pending_->at + pending_->length);
        if (from < to) ReadPatch(*pending_, buffer + (from - offset), to - from, from);
    }
    return n;
}

QByteArray ResultsReader::bytes(qint64 offset, qint64 length) const {
    QByteArray bytes(std::max<qint64>(length, 0), Qt::Uninitialized);
    bytes.truncate(read(bytes.data(), bytes.size(), offset));
    return bytes;
}

QByteArray ResultsReader::recordBytes(qint64 first, qint64 count) const {
    first = std::max<qint64>(first, 1);
    count = std::min(count, recordCount() - first + 1);
    QByteArray records = bytes((first - 1) * kRecordSize, count * kRecordSize);
    records.truncate(WholeRecordLength(records.size()));
    return records;
}

void AppendRecord(const QString& path, const ResultRecord& record) {
    const QByteArray bytes = EncodeRecord(record);
    for (;;) {
        try {
            AppendRecordAfterOutbox(path, bytes, nullptr);
            return;
        } catch (const FileAccessError& error) {
            if (error.errorNumber() != EAGAIN) throw;
        }
    }
}

void AppendRecordAfterOutbox(const QString& path, const QByteArray& record, const Outbox* outbox,
                             QString* setAsideNotice) {
    // The lock lives on this descriptor, which stays the only one open here.
    ResultsFileHandle file(path, true);
    ResultsFileLock lock(file);
    // Before the write, which may fail: the intent has been moved all the same.
    PassOnSetAsideNotice(lock, setAsideNotice);
    if (outbox && outbox->holdsRuns()) {
        outbox->moveInto(file, record);
        return;
    }
    if (record.isEmpty()) return;
    // Under the lock, so no two writers pick the same record; a torn tail
    // (length not a multiple of 44) is overwritten.
    const qint64 end = WholeRecordLength(file.size());
    WriteExactly(file, record.constData(), kRecordSize, end);
    SyncFile(file);
}

namespace {
ResultRecord RunRecordOf(const ProgramState& state) {
    const QDateTime now = state.platform.clock->now();
    const QTime time = now.time();
    ResultRecord record;
    record.date = ToOleDay(now.date());
    record.timeOfDay = ToOleTimeOfDay(QTime(time.hour(), time.minute(), time.second()));
    record.student = int16_t(state.session.StudentNo);
    record.level = int16_t(state.LevelNo); // the low 16 bits
    record.result = state.ResultValue;
    record.classroomCode = state.common.ClassroomCode;
    record.extraPoints = QString(kRecordTextWidth, QLatin1Char(' '));
    record.pointsText = PaddedNumber(state.EarnedPoints);
    return record;
}

// What the lock of a move on a worker set aside: a try left stuck at Cancel
// may end after AppendResult returned, so the try owns it with its lock.
struct WorkerNotice {
    std::mutex mutex;
    QString text;
};

// How often a move on a worker tries: a run just ended waits patiently; the
// start's move of runs kept earlier tries once and leaves them for later.
enum class Tries { Patiently, Once };

// The appends of a run on a worker; false when the user stopped waiting or
// the file cannot take the run now.
bool AppendOnWorker(ProgramState& state, const QString& path, const QByteArray& record,
                    const std::optional<Outbox>& outbox, QString* setAsideNotice,
                    Tries tries = Tries::Patiently) {
    auto notice = std::make_shared<WorkerNotice>();
    // Shared with the try, which may outlive this call.
    const auto kept = outbox ? std::make_shared<const Outbox>(*outbox) : nullptr;
    const auto write = [path, record, kept, notice, tries] {
        QString text;
        const auto handOver = [&] {
            const std::lock_guard lock(notice->mutex);
            if (!text.isEmpty()) notice->text = text;
        };
        try {
            AppendRecordAfterOutbox(path, record, kept.get(), &text);
        } catch (const DataFileError&) {
            handOver();
            if (tries == Tries::Patiently) throw;
            return; // the runs stay kept for the next append or start
        } catch (...) {
            handOver();
            throw;
        }
        handOver();
    };
    bool written = false;
    try {
        written = WritePatiently(
            state, QStringLiteral("この成績をこのパソコンに預け、あとで記録します"), write);
    } catch (const DataFileError&) {
        // the folder is away, the disk full, the file unwritable
    }
    const std::lock_guard lock(notice->mutex);
    if (setAsideNotice && !notice->text.isEmpty()) *setAsideNotice = notice->text;
    return written;
}
} // namespace

RunRecording AppendResult(ProgramState& state, QString* setAsideNotice) {
    const ResultRecord run = RunRecordOf(state);
    const QByteArray record = EncodeRecord(run);
    const QString path = ResultsFilePath(state);
    const Outbox outbox(OutboxFolderOf(state.folders), path);
    // On this machine's disk before any network call, with its attempts: a
    // move that fails, or reports a failure after its write landed, leaves
    // the run noted here.
    try {
        outbox.keep(record + EncodeRunAttempts(run, state.drill.Attempts));
    } catch (const DataFileError&) {
        // The outbox folder cannot be written: the run goes straight to the
        // file, or nowhere.
        if (AppendOnWorker(state, path, record, std::nullopt, setAsideNotice))
            return RunRecording::Recorded;
        throw;
    }
    // Cancel while the move is stuck leaves the run kept: should the move
    // land later, its note keeps the next move from writing it again.
    if (AppendOnWorker(state, path, {}, outbox, setAsideNotice)) return RunRecording::Recorded;
    return RunRecording::KeptForLater;
}

qint64 KeptRunCount(const ProgramState& state) {
    const Outbox outbox(OutboxFolderOf(state.folders), ResultsFilePath(state));
    return outbox.holdsRuns() ? outbox.runs().size() / kRecordSize : 0;
}

bool MoveOutboxIntoResults(ProgramState& state, QString* setAsideNotice) {
    const QString path = ResultsFilePath(state);
    const Outbox outbox(OutboxFolderOf(state.folders), path);
    if (!outbox.holdsRuns()) return true;
    return AppendOnWorker(state, path, {}, outbox, setAsideNotice, Tries::Once) &&
           !outbox.holdsRuns();
}

qint64 RecordCount(const QString& path) {
    return ResultsReader(path).recordCount();
}

namespace {
std::vector<ResultRecord> DecodeRecords(const QByteArray& bytes) {
    std::vector<ResultRecord> records;
    records.reserve(size_t(bytes.size() / kRecordSize));
    for (qint64 offset = 0; offset < bytes.size(); offset += kRecordSize)
        records.push_back(DecodeRecord(bytes.constData() + offset));
    return records;
}
} // namespace

std::vector<ResultRecord> ReadRecords(const QString& path, qint64 first, qint64 last) {
    first = std::max<qint64>(first, 1);
    return DecodeRecords(ResultsReader(path).recordBytes(first, last - first + 1));
}

std::optional<ResultRecord> ReadRecord(const QString& path, qint64 number) {
    auto records = ReadRecords(path, number, number);
    if (records.empty()) return std::nullopt;
    return records.front();
}

QByteArray ReadLastRecordBytes(const QString& path, qint64 maxCount) {
    const ResultsReader reader(path);
    const qint64 total = reader.recordCount();
    const qint64 count = std::min(total, std::max<qint64>(maxCount, 0));
    return reader.recordBytes(total - count + 1, count);
}

std::vector<ResultRecord> ReadLastRecords(const QString& path, qint64 maxCount) {
    return DecodeRecords(ReadLastRecordBytes(path, maxCount));
}

std::vector<ResultRecord> ReadRecentResults(ProgramState& state, qint64 maxCount) {
    return ReadPatientlyValue(state, [path = ResultsFilePath(state), maxCount] {
        return ReadLastRecords(path, maxCount);
    });
}

QByteArray ReadWholeResultsFile(const QString& path) {
    const ResultsReader reader(path);
    return reader.bytes(0, reader.size());
}
