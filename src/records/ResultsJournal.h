#pragma once
// The intent file that makes a teacher's change or deletion all-or-nothing.
// Before the first byte of the results file changes, the intent (which
// record, its bytes, the file's length and a fingerprint of its records) is
// on disk beside it, and for a deletion a safety copy of the whole file too.
// The intent is removed once the results file is whole again.
//
// An intent found later means the operation was cut off. Recovery does not
// take its word for what the file holds: it compares the file with the copy
// and the intent and recognises what the operation had got to (nothing, part
// of the move or of the record, all of it). Only the bytes the operation had
// changed are put back, so records that other machines appended after the
// crash stay where they are. An intent that fits none of these (another file
// beside it, a missing or short copy, a record past the end) is set aside
// under dated names and the file is left exactly as it is. Readers see the
// file as recovery would leave it, without writing anything.

#include "records/ResultsIo.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

inline const QString kResultsCopyFileName = QStringLiteral("成績累積データtemp.dat");
inline const QString kResultsIntentFileName = QStringLiteral("成績累積データjournal.dat");

// Hashes of the whole records of a file, with and without one record.
struct FileFingerprint {
    quint64 whole = 0;
    quint64 withoutRecord = 0;
    bool operator==(const FileFingerprint&) const = default;
};

struct MaintenanceIntent {
    enum class Kind : qint32 { Delete = 1, Change = 2 };
    Kind kind = Kind::Delete;
    qint64 number = 0;     // the record, 1-based
    qint64 fileLength = 0; // the results file's length before the operation
    QByteArray oldRecord;  // the record's 44 bytes before
    QByteArray newRecord;  // a change's 44 bytes after; empty for a deletion
    // Of the file before the operation; none in an intent of an earlier
    // release, which recovery then checks against the copy alone.
    std::optional<FileFingerprint> fingerprint;

    bool operator==(const MaintenanceIntent&) const = default;
};

// The files kept beside the results file at resultsPath.
QString ResultsCopyPathBeside(const QString& resultsPath);
QString ResultsIntentPathBeside(const QString& resultsPath);

QByteArray EncodeIntent(const MaintenanceIntent& intent);
// None for bytes that are not a whole intent (one cut short while written).
std::optional<MaintenanceIntent> DecodeIntent(const QByteArray& bytes);
// The intent file's bytes as they are; none when there is no intent.
std::optional<QByteArray> ReadIntentBytes(const QString& resultsPath);

// The whole records of the first `length` bytes of the file, with and
// without record `number`.
FileFingerprint FingerprintOf(const ResultsFileHandle& file, qint64 length, qint64 number);

// Writes the intent beside the results file and makes it durable.
void WriteIntent(const QString& resultsPath, const MaintenanceIntent& intent);
// The operation is complete (or undone): the intent goes, then the safety
// copy. Never throws: what cannot be removed now (held by a scanner past the
// brief wait) is logged and left for the next writer's recovery.
void FinishMaintenance(const QString& resultsPath);

// Whether an operation was cut off and awaits repair (a quick look, no lock).
bool MaintenancePending(const QString& resultsPath);

// What the operation whose intent lies beside the file had got to.
enum class InterruptedState {
    None,         // no intent
    Untouched,    // the file as before (an intent cut short, too)
    PartlyDone,   // part of the move or of the record written: put back
    Finished,     // the file as after: only the intent and copy go
    Unrecognised, // the intent and the copy are set aside
};

struct RecoveryOutcome {
    InterruptedState state = InterruptedState::None;
    // For an unrecognised intent: what the teacher is told, once.
    QString setAsideNotice;
};

// With the whole-file write lock held on results: puts back what an operation
// that was cut off had changed, or sets its intent aside, then removes the
// intent and the copy. Throws FileAccessError when a file cannot be read or
// written; nothing of the results file has changed unless it was partly done.
RecoveryOutcome RecoverInterruptedMaintenance(const ResultsFileHandle& results);

// The bytes recovery puts back, at their place in the results file: from the
// safety copy (a deletion's move) or from the intent (a change's record).
struct RecoveryPatch {
    qint64 at = 0;
    qint64 length = 0;
    std::shared_ptr<const ResultsFileHandle> copy; // none: bytes
    QByteArray bytes;
};

// With a shared lock held on results, writing nothing: what recovery would
// put back; none when it would leave every byte as it is.
std::optional<RecoveryPatch> PendingRecoveryPatch(const ResultsFileHandle& results);
// Reads [offset, offset + length) of the patch's bytes into buffer.
void ReadPatch(const RecoveryPatch& patch, char* buffer, qint64 length, qint64 offset);
