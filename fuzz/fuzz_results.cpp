// The results readers on a results file made of any bytes: any length, any
// student, level, date (negative, NaN, infinite) and result. Every reader
// must keep to its tables and skip what is not a valid record.

#include "FuzzSupport.h"
#include "TestDoubles.h"

#include "records/Counts.h"
#include "records/ResultsFile.h"

#include <QDateTime>

namespace {
CriteriaValue Days(double n) {
    return {CriteriaValue::Kind::Number, n, {}};
}

// Criteria of every kind the file can hold, the level's number picking one.
void SetCriteria(CriteriaTables& t) {
    for (int lv = 1; lv <= kMaxLevel; ++lv) {
        t.TargetTime[lv] = lv % 7 == 0 ? 0 : 10 * lv;
        t.LowestTime[lv] = 20 * lv;
        t.PointRate[lv] = lv % 5 == 0 ? 0.5f : 1.5f;
        t.ClearPoint[lv] = 20;
        t.ClearCount[lv] = int16_t(lv % 4);
        t.PassDays[lv] = lv % 3 == 0
                             ? CriteriaValue{CriteriaValue::Kind::Text, 0, QStringLiteral("週")}
                             : Days(lv);
        t.OverdoDays[lv] = lv % 6 == 0 ? CriteriaValue{} : Days(1);
        t.OverdoCount[lv] = Days(3);
        t.OverdoPoint[lv] = Days(100);
    }
}

void DecodeEveryRecord(const QByteArray& bytes) {
    for (qsizetype at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        const ResultRecord record = DecodeRecord(bytes.constData() + at);
        const RecordNumbers numbers = DecodeRecordNumbers(bytes.constData() + at);
        if (record.isValid() != IsValidRecord(numbers.date, numbers.student, numbers.level))
            FuzzFailure("the two decoders disagree on a record's validity");
    }
}

void ReadFile(const QString& path, qsizetype size) {
    const qint64 count = RecordCount(path);
    if (count != size / kRecordSize)
        FuzzFailure("the record count is not the length divided by 44");
    const std::vector<ResultRecord> all = ReadRecords(path, 0, count + 2);
    if (qint64(all.size()) != count)
        FuzzFailure("reading every record gave another number of records");
    if (count > 0 && ReadRecord(path, count + 1)) FuzzFailure("a record after the last was read");
    (void)ReadLastRecordBytes(path, 3);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    EnsureApplication();
    // One installation and one program state per process: each count
    // clears the count tables first.
    static const TempInstall install;
    static TestRig rig;
    const QByteArray bytes = FuzzBytes(data, size);
    DecodeEveryRecord(bytes);

    ProgramState& state = rig.state;
    state.folders.DataFolder = install.dataFolder();
    rig.clock.current = QDateTime(QDate(2026, 12, 9), QTime(10, 0));
    SetCriteria(state.criteria);
    install.writeBytes(ResultsFilePath(state), bytes);
    ReadFile(ResultsFilePath(state), bytes.size());
    CountResults(state);
    for (int lv = 1; lv <= kMaxLevel; ++lv)
        (void)IsLevelCleared(state, lv, 1 + (lv * 131) % kMaxStudent);
    return 0;
}
