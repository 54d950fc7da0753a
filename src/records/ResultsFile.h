#pragma once
// The shared results file 成績累積データ.dat: a headerless sequence of 44-byte
// little-endian records, numbered from 1. The record count is the file length
// divided by 44; a torn trailing record is ignored and overwritten by the next
// append. Appends, changes and deletions hold a whole-file fcntl lock.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct ProgramState;

inline constexpr int kRecordSize = 44;
inline const QString kResultsFileName = QStringLiteral("成績累積データ.dat");

struct ResultRecord {
    double date = 0;      // OLE Automation day, whole number
    double timeOfDay = 0; // fraction of a day
    int16_t student = 0;
    int16_t level = 0;
    int32_t result = 0;   // whole seconds, 99999 for a time-out
    QString classroomCode; // up to five characters
    QString extraPoints;   // five blanks from this program
    QString pointsText;    // "0    " from this program
    // The five reserved bytes are written as zeros and never read.

    // Used by every reader: date ≥ 0, student 1..5000, level 1..35.
    bool isValid() const;
    bool operator==(const ResultRecord&) const = default;
};

QByteArray EncodeRecord(const ResultRecord& record);
ResultRecord DecodeRecord(const char* bytes); // exactly kRecordSize bytes

QString ResultsFilePath(const ProgramState& state);

// Appends the record of the run that just ended (StudentNo, LevelNo,
// ResultValue, ClassroomCode, EarnedPoints, the clock's date and time).
// Throws DataFileError when the file cannot be created, locked or written.
void AppendResult(ProgramState& state);
void AppendRecord(const QString& path, const ResultRecord& record);

qint64 RecordCount(const QString& path); // 0 when the file is absent
// Records first..last (1-based, inclusive, clamped to the file).
std::vector<ResultRecord> ReadRecords(const QString& path, qint64 first, qint64 last);
std::optional<ResultRecord> ReadRecord(const QString& path, qint64 number);
