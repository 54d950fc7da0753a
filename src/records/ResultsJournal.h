#pragma once
// The intent file that makes a teacher's change or deletion all-or-nothing,
// the way a database's rollback journal does. Before the first byte of the
// results file changes, the intent (which record, its bytes, the file's
// length) is on disk beside it, and for a deletion a safety copy of the whole
// file too. The intent is removed once the results file is whole again; an
// intent found by the next process that takes the lock means the operation
// was cut off, and that process puts the file back as it was before.

#include "records/ResultsIo.h"

#include <QByteArray>
#include <QString>

#include <optional>

inline const QString kResultsCopyFileName = QStringLiteral("成績累積データtemp.dat");
inline const QString kResultsIntentFileName = QStringLiteral("成績累積データjournal.dat");

struct MaintenanceIntent {
    enum class Kind : qint32 { Delete = 1, Change = 2 };
    Kind kind = Kind::Delete;
    qint64 number = 0;     // the record, 1-based
    qint64 fileLength = 0; // the results file's length before the operation
    QByteArray oldRecord;  // the record's 44 bytes before
    QByteArray newRecord;  // a change's 44 bytes after; empty for a deletion

    bool operator==(const MaintenanceIntent&) const = default;
};

// The files kept beside the results file at resultsPath.
QString ResultsCopyPathBeside(const QString& resultsPath);
QString ResultsIntentPathBeside(const QString& resultsPath);

QByteArray EncodeIntent(const MaintenanceIntent& intent);
// None for bytes that are not a whole intent (one cut short while written).
std::optional<MaintenanceIntent> DecodeIntent(const QByteArray& bytes);

// Writes the intent beside the results file and makes it durable.
void WriteIntent(const QString& resultsPath, const MaintenanceIntent& intent,
                 MaintenanceWrites& writes);
// The operation is complete (or undone): the intent goes, then the safety
// copy. Throws only when the intent cannot be removed.
void FinishMaintenance(const QString& resultsPath, MaintenanceWrites& writes);

// Whether an operation was cut off and awaits repair (a quick look, no lock).
bool MaintenancePending(const QString& resultsPath);
// With the whole-file write lock held on results: puts back the bytes of an
// operation that was cut off, then removes its intent and copy. Returns
// whether there was one to undo. Throws DataFileError, changing nothing,
// when the safety copy does not hold what the intent says.
bool UndoInterruptedMaintenance(const ResultsFileHandle& results, MaintenanceWrites& writes);
