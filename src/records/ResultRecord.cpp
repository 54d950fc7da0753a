#include "records/ResultRecord.h"

#include "core/Text.h"

#include <algorithm>

namespace {

constexpr int kTextWidth = kRecordTextWidth;
static_assert(RecordOffset::Reserved + kTextWidth == kRecordSize);

template <typename T> void Store(char* bytes, int offset, T value) {
    std::memcpy(bytes + offset, &value, sizeof value);
}

// Code page 932 bytes cut to the field width (never inside a double-byte
// character) and padded with blanks.
void StoreText(char* bytes, int offset, const QString& text) {
    QString fitted = text;
    QByteArray encoded = EncodeCp932(fitted);
    while (encoded.size() > kTextWidth) {
        fitted.chop(1);
        encoded = EncodeCp932(fitted);
    }
    std::memset(bytes + offset, ' ', kTextWidth);
    std::memcpy(bytes + offset, encoded.constData(), size_t(encoded.size()));
}

QString LoadText(const char* bytes, int offset) {
    const QByteArrayView text(bytes + offset, kTextWidth);
    // Classroom codes and points are printable ASCII, which code page 932
    // keeps as it is (not so some control bytes); a decoder is made only for
    // other bytes, since boards decode twenty thousand records at a time.
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
        return QString::fromLatin1(text);
    return DecodeCp932(text.toByteArray());
}

} // namespace

bool ResultRecord::isValid() const {
    return IsValidRecord(date, student, level);
}

QByteArray EncodeRecord(const ResultRecord& record) {
    QByteArray bytes(kRecordSize, '\0');
    char* b = bytes.data();
    Store(b, RecordOffset::Date, record.date);
    Store(b, RecordOffset::Time, record.timeOfDay);
    Store(b, RecordOffset::Student, record.student);
    Store(b, RecordOffset::Level, record.level);
    Store(b, RecordOffset::Result, record.result);
    StoreText(b, RecordOffset::Classroom, record.classroomCode);
    StoreText(b, RecordOffset::ExtraPoints, record.extraPoints);
    StoreText(b, RecordOffset::Points, record.pointsText);
    return bytes;
}

ResultRecord DecodeRecord(const char* bytes) {
    const RecordNumbers n = DecodeRecordNumbers(bytes);
    ResultRecord record;
    record.date = n.date;
    record.timeOfDay = n.timeOfDay;
    record.student = n.student;
    record.level = n.level;
    record.result = n.result;
    record.classroomCode = LoadText(bytes, RecordOffset::Classroom);
    record.extraPoints = LoadText(bytes, RecordOffset::ExtraPoints);
    record.pointsText = LoadText(bytes, RecordOffset::Points);
    return record;
}
