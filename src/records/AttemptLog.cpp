#include "records/AttemptLog.h"

#include "core/ProgramState.h"
#include "core/Tables.h"
#include "core/Text.h"
#include "records/ResultsFile.h"
#include "records/ResultsIo.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

static_assert(AttemptOffset::Reserved + 2 == AttemptOffset::Keys);
// The records are read back this many at a time from the end of the log
// (256 KB, a buffer the heap hands out again at the next reading).
constexpr qint64 kChunkRecords = 4096;

// "×" in code page 932: the keypad's only character outside ASCII.
constexpr char kTimesLead = char(0x81);
constexpr char kTimesTrail = char(0x7E);

template <typename T> void Store(char* bytes, int offset, T value) {
    std::memcpy(bytes + offset, &value, sizeof value);
}

void StoreKeys(char* bytes, const QString& keys) {
    QString fitted = keys;
    QByteArray encoded = EncodeCp932(fitted);
    while (encoded.size() > kAttemptKeysWidth) {
        fitted.chop(1);
        encoded = EncodeCp932(fitted);
    }
    std::memset(bytes + AttemptOffset::Keys, ' ', kAttemptKeysWidth);
    std::memcpy(bytes + AttemptOffset::Keys, encoded.constData(), size_t(encoded.size()));
}

// The keypad's texts are decoded by hand: a view decodes thousands of them.
QString LoadKeys(const char* bytes) {
    const char* keys = bytes + AttemptOffset::Keys;
    int end = kAttemptKeysWidth;
    while (end > 0 && keys[end - 1] == ' ')
        --end;
    QString text;
    text.reserve(end);
    for (int i = 0; i < end; ++i) {
        const char c = keys[i];
        if (c >= 0x20 && c <= 0x7E) {
            text.append(QLatin1Char(c));
        } else if (c == kTimesLead && i + 1 < end && keys[i + 1] == kTimesTrail) {
            text.append(QChar(0x00D7));
            ++i;
        } else {
            return DecodeCp932(QByteArray(keys, end));
        }
    }
    return text;
}

bool IsKnownMistake(uint8_t value) {
    return value < kMistakeClassCount;
}

// The error names the file and the system's reason.
QString ReadProblem(const FileAccessError& error) {
    return QStringLiteral("解答記録が読めないので、つまずきは出せません：") + error.message();
}

QString TornTailProblem(const QString& path, qint64 bytes) {
    return QStringLiteral("解答記録 %1 の最後の %2 バイトは書きかけなので読みませんでした。")
        .arg(QDir::toNativeSeparators(path))
        .arg(bytes);
}

QString SkippedProblem(const QString& path, qint64 skipped) {
    return QStringLiteral("解答記録 %1 の %2 件は解答の記録ではないので読みませんでした。")
        .arg(QDir::toNativeSeparators(path))
        .arg(skipped);
}

void AddProblem(AttemptReading& reading, const QString& problem) {
    if (!reading.problem.isEmpty()) reading.problem += QLatin1Char('\n');
    reading.problem += problem;
}

// Decodes records [first, first + count) of bytes read from the log, keeping
// those the filter takes.
template <typename Keep>
void DecodeInto(AttemptReading& reading, const QByteArray& bytes, const Keep& keep) {
    for (qint64 at = 0; at + kAttemptRecordSize <= bytes.size(); at += kAttemptRecordSize) {
        const char* b = bytes.constData() + at;
        if (!keep(b)) continue;
        if (auto record = DecodeAttemptRecord(b))
            reading.records.push_back(std::move(*record));
        else
            ++reading.skipped;
    }
}

void Finish(AttemptReading& reading, const QString& path, qint64 size) {
    if (reading.skipped > 0) AddProblem(reading, SkippedProblem(path, reading.skipped));
    if (size % kAttemptRecordSize != 0)
        AddProblem(reading, TornTailProblem(path, size % kAttemptRecordSize));
}

} // namespace

QByteArray EncodeAttemptRecord(const AttemptRecord& record) {
    QByteArray bytes(kAttemptRecordSize, '\0');
    char* b = bytes.data();
    const Attempt& a = record.attempt;
    Store(b, AttemptOffset::Date, record.date);
    Store(b, AttemptOffset::Time, record.timeOfDay);
    Store(b, AttemptOffset::Student, record.student);
    Store(b, AttemptOffset::Level, record.level);
    Store(b, AttemptOffset::Problem, int16_t(a.problem));
    Store(b, AttemptOffset::Kind, uint8_t(a.kind));
    Store(b, AttemptOffset::Length, uint8_t(a.length));
    Store(b, AttemptOffset::Tenths, a.tenths);
    Store(b, AttemptOffset::Correct, uint8_t(a.correct ? 1 : 0));
    Store(b, AttemptOffset::Mistake, uint8_t(a.mistake));
    StoreKeys(b, a.keys);
    return bytes;
}

std::optional<AttemptRecord> DecodeAttemptRecord(const char* bytes) {
    AttemptRecord record;
    record.date = LoadRecordField<double>(bytes, AttemptOffset::Date);
    record.timeOfDay = LoadRecordField<double>(bytes, AttemptOffset::Time);
    record.student = LoadRecordField<int16_t>(bytes, AttemptOffset::Student);
    record.level = LoadRecordField<int16_t>(bytes, AttemptOffset::Level);
    const auto kind = LoadRecordField<uint8_t>(bytes, AttemptOffset::Kind);
    const auto correct = LoadRecordField<uint8_t>(bytes, AttemptOffset::Correct);
    const auto mistake = LoadRecordField<uint8_t>(bytes, AttemptOffset::Mistake);
    // NaN dates fail the comparison inside IsValidRecord as well.
    if (!IsValidRecord(record.date, record.student, record.level) || kind < 1 || kind > 4 ||
        correct > 1 || !IsKnownMistake(mistake))
        return std::nullopt;
    Attempt& a = record.attempt;
    a.problem = LoadRecordField<int16_t>(bytes, AttemptOffset::Problem);
    a.kind = kind;
    a.length = LoadRecordField<uint8_t>(bytes, AttemptOffset::Length);
    a.tenths = LoadRecordField<int32_t>(bytes, AttemptOffset::Tenths);
    a.correct = correct == 1;
    a.mistake = MistakeClass(mistake);
    a.keys = LoadKeys(bytes);
    return record;
}

QByteArray EncodeRunAttempts(const ResultRecord& run, const std::vector<Attempt>& attempts) {
    QByteArray bytes;
    bytes.reserve(qsizetype(attempts.size()) * kAttemptRecordSize);
    for (const Attempt& attempt : attempts)
        bytes += EncodeAttemptRecord({run.date, run.timeOfDay, run.student, run.level, attempt});
    return bytes;
}

QString AttemptLogPath(const ProgramState& state) {
    return AttemptLogPathBeside(ResultsFilePath(state));
}

QString AttemptLogPathBeside(const QString& resultsPath) {
    return QFileInfo(resultsPath).path() + QLatin1Char('/') + kAttemptLogFileName;
}

void AppendAttemptRecords(const QString& logPath, const QByteArray& records) {
    if (records.isEmpty()) return;
    const bool created = !QFileInfo::exists(logPath);
    ResultsFileHandle log(logPath, true);
    const qint64 end = log.size() / kAttemptRecordSize * kAttemptRecordSize;
    WriteExactly(log, records.constData(), records.size() / kAttemptRecordSize * kAttemptRecordSize,
                 end);
    SyncFile(log);
    if (created) SyncFolderOf(logPath);
}

AttemptReading ReadLastAttempts(const QString& logPath, qint64 maxCount) {
    AttemptReading reading;
    if (!QFileInfo::exists(logPath)) return reading;
    qint64 size = 0;
    try {
        const ResultsFileHandle log(logPath, false);
        size = log.size();
        const qint64 total = size / kAttemptRecordSize;
        const qint64 count = std::clamp<qint64>(maxCount, 0, total);
        QByteArray bytes(count * kAttemptRecordSize, Qt::Uninitialized);
        bytes.truncate(
            ReadUpTo(log, bytes.data(), bytes.size(), (total - count) * kAttemptRecordSize));
        DecodeInto(reading, bytes, [](const char*) { return true; });
    } catch (const FileAccessError& error) {
        reading.records.clear();
        AddProblem(reading, ReadProblem(error));
        return reading;
    }
    Finish(reading, logPath, size);
    return reading;
}

AttemptReading ReadAttemptsSince(const QString& logPath, double firstDay, int student) {
    AttemptReading reading;
    if (!QFileInfo::exists(logPath)) return reading;
    qint64 size = 0;
    try {
        const ResultsFileHandle log(logPath, false);
        size = log.size();
        // The student first: most records are another student's.
        const auto keep = [firstDay, student](const char* b) {
            return (student == 0 ||
                    LoadRecordField<int16_t>(b, AttemptOffset::Student) == student) &&
                   LoadRecordField<double>(b, AttemptOffset::Date) >= firstDay;
        };
        // One buffer, decoded chunk by chunk from the end; the kept records
        // of each chunk are put back in file order at the end.
        std::vector<AttemptReading> parts;
        QByteArray chunk(kChunkRecords * kAttemptRecordSize, Qt::Uninitialized);
        // Runs kept on a machine for a while arrive late and out of date
        // order: the reading stops only at a whole chunk older than firstDay.
        for (qint64 end = size / kAttemptRecordSize; end > 0;) {
            const qint64 first = std::max<qint64>(0, end - kChunkRecords);
            const qint64 read = ReadUpTo(log, chunk.data(), (end - first) * kAttemptRecordSize,
                                         first * kAttemptRecordSize);
            const QByteArray bytes = QByteArray::fromRawData(chunk.constData(), read);
            bool anyRecent = false;
            for (qint64 at = 0; at + kAttemptRecordSize <= read && !anyRecent;
                 at += kAttemptRecordSize)
                anyRecent = LoadRecordField<double>(bytes.constData() + at, AttemptOffset::Date) >=
                            firstDay;
            if (!anyRecent) break;
            parts.emplace_back();
            DecodeInto(parts.back(), bytes, keep);
            end = first;
        }
        for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
            std::move(part->records.begin(), part->records.end(),
                      std::back_inserter(reading.records));
            reading.skipped += part->skipped;
        }
    } catch (const FileAccessError& error) {
        reading.records.clear();
        reading.skipped = 0;
        AddProblem(reading, ReadProblem(error));
        return reading;
    }
    Finish(reading, logPath, size);
    return reading;
}
