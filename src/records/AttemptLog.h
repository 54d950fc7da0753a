#pragma once
// The attempt log 解答累積データ.dat beside the results file: one 64-byte
// little-endian record per answered problem of a recorded run, headerless,
// so the last records are read without parsing the whole file. A run's
// attempts carry the date and time of day of its results record, so they are
// found by the run they belong to. The results file and older releases know
// nothing of this file: a classroom where some machines keep no attempts just
// has fewer. A torn trailing record is ignored and overwritten by the next
// append; the records browser's changes and deletions leave the log alone.

#include "core/Attempt.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct ProgramState;
struct ResultRecord;

inline constexpr int kAttemptRecordSize = 64;

// Where each field of an attempt record starts. The keys are code page 932
// (the digits, "." and "×" of the keypad), blank-padded, cut at a character.
namespace AttemptOffset {
inline constexpr int Date = 0;      // double: the run record's OLE day
inline constexpr int Time = 8;      // double: the run record's time of day
inline constexpr int Student = 16;  // int16
inline constexpr int Level = 18;    // int16
inline constexpr int Problem = 20;  // int16, 1.. in the run
inline constexpr int Kind = 22;     // uint8, 1..4
inline constexpr int Length = 23;   // uint8, the labelled length
inline constexpr int Tenths = 24;   // int32, tenths of a second from shown to OK
inline constexpr int Correct = 28;  // uint8, 0 or 1
inline constexpr int Mistake = 29;  // uint8, MistakeClass
inline constexpr int Reserved = 30; // two zero bytes
inline constexpr int Keys = 32;
} // namespace AttemptOffset
inline constexpr int kAttemptKeysWidth = kAttemptRecordSize - AttemptOffset::Keys;
inline const QString kAttemptLogFileName = QStringLiteral("解答累積データ.dat");

// One record of the log: the run it belongs to and the attempt.
struct AttemptRecord {
    double date = 0;
    double timeOfDay = 0;
    int16_t student = 0;
    int16_t level = 0;
    Attempt attempt;
    bool operator==(const AttemptRecord&) const = default;
};

QByteArray EncodeAttemptRecord(const AttemptRecord& record);
// Exactly kAttemptRecordSize bytes; nothing for bytes that are no attempt
// (a student outside 1–5000, a level outside 1–35, a kind outside 1–4, an
// unknown class, a negative date).
std::optional<AttemptRecord> DecodeAttemptRecord(const char* bytes);

// The records of a run's attempts, each with the run record's identity.
QByteArray EncodeRunAttempts(const ResultRecord& run, const std::vector<Attempt>& attempts);

QString AttemptLogPath(const ProgramState& state);
// The log beside a results file.
QString AttemptLogPathBeside(const QString& resultsPath);

// Appends records (whole attempt records) at the end of the log, over a torn
// tail, and syncs them. The caller holds the results file's write lock, so
// the run's record and its attempts are written by one writer at a time.
// Throws FileAccessError.
void AppendAttemptRecords(const QString& logPath, const QByteArray& records);

// What a view could read of the log. A log that cannot be read never stops a
// view: `problem` says what was left out, in a teacher's words.
struct AttemptReading {
    std::vector<AttemptRecord> records; // in file order
    qint64 skipped = 0;                 // records that are no attempt
    QString problem;                    // empty when everything was read
};

// The last maxCount records.
AttemptReading ReadLastAttempts(const QString& logPath, qint64 maxCount);
// The records dated firstDay (OLE day) or later, of one student (0: of
// everyone). Reads from the end back to where the log is older than
// firstDay, so a long log costs only its recent part.
AttemptReading ReadAttemptsSince(const QString& logPath, double firstDay, int student = 0);
