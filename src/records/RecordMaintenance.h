#pragma once
// The teacher's corrections to the results file: change the student or the
// result of one record, delete one record. Both hold the whole-file lock that
// appends take, so a run finished on another machine meanwhile is never lost,
// and both refuse to write when the record is no longer the one the teacher saw.
// Both are all-or-nothing: a process that dies part-way leaves an intent from
// which the next holder of the lock recovers the file (ResultsJournal.h).

#include "records/RecordValues.h"
#include "records/ResultsIo.h"

#include <QByteArray>
#include <QString>

#include <optional>

enum class MaintenanceOutcome {
    Done,
    // Nothing written: the record at that number is not the one expected
    // (changed, deleted or moved by someone else).
    RecordChanged,
};

// The safety copy a deletion keeps while it rewrites the results file.
QString ResultsCopyPath(const QString& dataFolder);

// The 44 bytes of record `number` (1-based) as they are on disk; none when
// the file is shorter. Throws FileAccessError when the file cannot be read.
std::optional<QByteArray> ReadRecordBytes(const QString& path, qint64 number);

// A result typed by the teacher: a number of seconds such as "57" or "45.6",
// blanks around it allowed, taken to the nearest whole second (halves to even)
// and then 0..99999; anything else is none rather than a silent 0.
std::optional<int> ParseResultText(const QString& text);

// The record with a new student and result; every other byte as it was.
QByteArray WithStudentAndResult(const QByteArray& recordBytes, int student, int result);

// Rewrites record `number` (only its 44 bytes) with newRecord, provided it
// still holds expectedOld. Throws DataFileError when the file cannot be
// opened, locked or written. When taking the lock set aside an intent that did
// not fit the file, setAsideNotice gets what the teacher is to be told.
MaintenanceOutcome ChangeRecord(const QString& path, qint64 number, const QByteArray& expectedOld,
                                const QByteArray& newRecord, QString* setAsideNotice = nullptr);

// Removes record `number` from the results file in dataFolder, provided it
// still holds expectedOld; later records move up by one. The file is rewritten
// in place (it never disappears) after a synced copy of it and the intent
// have been made; both are deleted once the file is synced. Before each step
// the file must be as the deletion left it: when another machine has written
// it meanwhile (its lock lost on a network share, or a machine that takes
// none), the deletion stops and leaves its intent for recovery. On failure
// the message says what the results file holds.
MaintenanceOutcome DeleteRecord(const QString& dataFolder, qint64 number,
                                const QByteArray& expectedOld, QString* setAsideNotice = nullptr);
