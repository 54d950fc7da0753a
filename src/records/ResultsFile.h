#pragma once
// The shared results file 成績累積データ.dat: a headerless sequence of 44-byte
// little-endian records, numbered from 1. The record count is the file length
// divided by 44; a torn trailing record is ignored and overwritten by the next
// append. Appends, changes and deletions hold a whole-file fcntl lock, and an
// append is synced before the run counts as recorded.

#include "core/Text.h"
#include "records/ResultRecord.h"
#include "records/ResultsIo.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct ProgramState;
class Outbox;
struct RecoveryPatch;

// The whole-file write lock that serializes appends, changes and deletions
// from every machine sharing the data folder. It waits a moment for another
// holder to let go, then throws FileAccessError (EAGAIN) for its caller to
// wait patiently and try again (WritePatiently in core/SharedReading.h). A
// change or deletion that a process left unfinished is recovered before the
// lock is handed on (ResultsJournal.h), so its holder always finds a whole
// file.
class ResultsFileLock {
  public:
    explicit ResultsFileLock(const ResultsFileHandle& file);
    ~ResultsFileLock();
    ResultsFileLock(const ResultsFileLock&) = delete;
    ResultsFileLock& operator=(const ResultsFileLock&) = delete;

    // What the teacher is to be told when this lock set aside an intent that
    // did not fit the file; empty otherwise.
    const QString& setAsideNotice() const { return setAsideNotice_; }

  private:
    const ResultsFileHandle& file_;
    QString setAsideNotice_;
};

// Hands the lock's notice to a caller that asked for it (notice not null).
// Only a lock that set an intent aside writes it: a write tried again after a
// failure keeps the notice of the try that moved the intent.
void PassOnSetAsideNotice(const ResultsFileLock& lock, QString* notice);

// The results file opened for reading under a shared lock, so that a change
// or deletion on another machine is seen before or after, never half done.
// A change or deletion cut off on some machine is read as recovery will leave
// it, without writing a byte: only a writer repairs the file.
// An absent file in an existing folder reads as empty; a missing folder
// throws FileAccessError (ENOENT); a writer that holds the file for more than
// a moment throws it with EAGAIN, for the reader to try again later.
class ResultsReader {
  public:
    explicit ResultsReader(const QString& path);
    ~ResultsReader();
    ResultsReader(const ResultsReader&) = delete;
    ResultsReader& operator=(const ResultsReader&) = delete;

    qint64 size() const;
    qint64 recordCount() const { return size() / kRecordSize; }
    // Whole records first..first+count-1 (1-based), clamped to the file.
    QByteArray recordBytes(qint64 first, qint64 count) const;
    // length bytes from offset on, fewer at the end of the file.
    QByteArray bytes(qint64 offset, qint64 length) const;
    // The same into buffer; returns how many bytes were read.
    qint64 read(char* buffer, qint64 length, qint64 offset) const;

  private:
    std::unique_ptr<ResultsFileHandle> file_;
    // The bytes recovery will put back over the file, while an intent waits.
    std::unique_ptr<RecoveryPatch> pending_;
};

QString ResultsFilePath(const ProgramState& state);

// Appends the record of the run that just ended (StudentNo, LevelNo,
// ResultValue, ClassroomCode, EarnedPoints, the clock's date and time): kept
// on this machine first (records/Outbox.h), then moved with the runs kept
// before it to the end of the file, synced. A file held by another machine or
// a file server away is waited for patiently; when the user stops waiting or
// the file cannot be written, the run stays kept (KeptForLater). Throws
// DataFileError only when it can be neither kept nor written.
// When taking the lock set aside an intent that did not fit the file,
// setAsideNotice gets what the teacher is to be told, even when it throws.
enum class RunRecording { Recorded, KeptForLater };
RunRecording AppendResult(ProgramState& state, QString* setAsideNotice = nullptr);
// How many runs wait on this machine: counts leave them out until they are moved.
qint64 KeptRunCount(const ProgramState& state);
// At start and at the end: moves the runs kept on this machine into the results file if it
// can now, one try on a worker (the question comes while it is stuck). Whether
// none wait any more. setAsideNotice as for AppendResult.
bool MoveOutboxIntoResults(ProgramState& state, QString* setAsideNotice = nullptr);
// One try: the runs waiting in outbox (may be null) and then record (44
// bytes, or none when empty) to the end of the file, synced. Throws
// FileAccessError, with EAGAIN when another process holds the lock.
// setAsideNotice as for AppendResult.
void AppendRecordAfterOutbox(const QString& path, const QByteArray& record, const Outbox* outbox,
                             QString* setAsideNotice = nullptr);
// Appends record for a tool or a test, however long other processes hold the
// file; the program's runs go through AppendResult.
void AppendRecord(const QString& path, const ResultRecord& record);

// Each read below is one ResultsReader's: it sees one whole state of the file.
qint64 RecordCount(const QString& path); // 0 when the file is absent
// The bytes of the last maxCount whole records.
QByteArray ReadLastRecordBytes(const QString& path, qint64 maxCount);
std::vector<ResultRecord> ReadLastRecords(const QString& path, qint64 maxCount);
// The last maxCount records of this classroom's file, read on a worker,
// patiently (ReadPatiently in core/SharedReading.h).
std::vector<ResultRecord> ReadRecentResults(ProgramState& state, qint64 maxCount);
// Records first..last (1-based, inclusive, clamped to the file).
std::vector<ResultRecord> ReadRecords(const QString& path, qint64 first, qint64 last);
std::optional<ResultRecord> ReadRecord(const QString& path, qint64 number);
// The whole file as it is on disk, a torn last record included.
QByteArray ReadWholeResultsFile(const QString& path);
