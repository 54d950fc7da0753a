#pragma once
// One record of the results file: 44 little-endian bytes, its fields at fixed
// offsets. The results file, its journal and the outbox all read and write
// records through this file alone.

#include "core/Tables.h"

#include <QByteArray>
#include <QString>

#include <bit>
#include <cstdint>
#include <cstring>

inline constexpr int kRecordSize = 44;

// Where each field of a record starts; the texts are five bytes wide.
namespace RecordOffset {
inline constexpr int Date = 0;
inline constexpr int Time = 8;
inline constexpr int Student = 16;
inline constexpr int Level = 18;
inline constexpr int Result = 20;
inline constexpr int Classroom = 24;
inline constexpr int ExtraPoints = 29;
inline constexpr int Points = 34;
inline constexpr int Reserved = 39;
} // namespace RecordOffset
inline constexpr int kRecordTextWidth = 5;

struct ResultRecord {
    double date = 0;      // OLE Automation day, whole number
    double timeOfDay = 0; // fraction of a day
    int16_t student = 0;
    int16_t level = 0;
    int32_t result = 0;    // whole seconds, kTimedOutResult for a time-out
    QString classroomCode; // up to five characters
    QString extraPoints;   // five blanks from this program
    QString pointsText;    // "0    " from this program
    // The five reserved bytes are written as zeros and never read.

    // Used by every reader: date ≥ 0, student 1..5000, level 1..35.
    bool isValid() const;
    bool operator==(const ResultRecord&) const = default;
};

// The validity rule on the bare fields, for readers that decode only numbers.
inline bool IsValidRecord(double date, int student, int level) {
    return date >= 0 && IsValidStudent(student) && IsValidLevel(level);
}

QByteArray EncodeRecord(const ResultRecord& record);
ResultRecord DecodeRecord(const char* bytes); // exactly kRecordSize bytes

// The numeric fields of one record, without decoding its texts.
struct RecordNumbers {
    double date = 0;
    double timeOfDay = 0;
    int16_t student = 0;
    int16_t level = 0;
    int32_t result = 0;
};
// The records are little-endian on disk, as this machine is.
static_assert(std::endian::native == std::endian::little);

template <typename T> T LoadRecordField(const char* bytes, int offset) {
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

// Inline: the counts decode twenty thousand records each time a board shows.
inline RecordNumbers DecodeRecordNumbers(const char* bytes) { // exactly kRecordSize bytes
    return {LoadRecordField<double>(bytes, RecordOffset::Date),
            LoadRecordField<double>(bytes, RecordOffset::Time),
            LoadRecordField<int16_t>(bytes, RecordOffset::Student),
            LoadRecordField<int16_t>(bytes, RecordOffset::Level),
            LoadRecordField<int32_t>(bytes, RecordOffset::Result)};
}

// The length of the whole records in length bytes: a torn last record is left out.
constexpr qint64 WholeRecordLength(qint64 length) {
    return length - length % kRecordSize;
}
