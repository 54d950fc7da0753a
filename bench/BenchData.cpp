#include "BenchData.h"

#include "core/Dates.h"
#include "core/Text.h"
#include "records/AttemptLog.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <random>

namespace {

constexpr std::uint32_t kSeed = 4711;
constexpr int kDaysCovered = 365;
constexpr int kTargetTime[kBenchLevels + 1] = {0, 30, 35, 40, 45, 50, 55, 60};

// Makes the bytes only when the file is not there yet.
template <typename MakeBytes> void WriteOnce(const QString& path, MakeBytes makeBytes) {
    if (QFileInfo::exists(path)) return;
    const QByteArray bytes = makeBytes();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw DataFileError(QStringLiteral("cannot write ") + path);
}

QByteArray ResultBytes(const QDate& today) {
    std::mt19937 engine(kSeed);
    QByteArray bytes;
    bytes.reserve(qsizetype(kBenchRecords) * kRecordSize);
    ResultRecord r;
    r.classroomCode = QStringLiteral("01234");
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    // Oldest first, spread evenly over the year up to today.
    const double firstDay = ToOleDay(today) - kDaysCovered + 1;
    for (int i = 0; i < kBenchRecords; ++i) {
        const double progress = double(i) / kBenchRecords;
        r.date = firstDay + std::floor(progress * kDaysCovered);
        r.timeOfDay = (15 * 3600 + engine() % (4 * 3600)) / 86400.0;
        r.student = int16_t(1 + engine() % kBenchStudents);
        r.level = int16_t(1 + engine() % kBenchLevels);
        r.result = engine() % 50 == 0
                       ? 99999
                       : int32_t(kTargetTime[r.level] / 2 + engine() % (3 * kTargetTime[r.level]));
        bytes += EncodeRecord(r);
    }
    return bytes;
}

// Oldest first over the year, like the results; one in eight answers wrong.
QByteArray AttemptBytes(const QDate& today) {
    std::mt19937 engine(kSeed + 1);
    QByteArray bytes;
    bytes.reserve(qsizetype(kBenchAttempts) * kAttemptRecordSize);
    const double firstDay = ToOleDay(today) - kDaysCovered + 1;
    AttemptRecord r;
    for (int i = 0; i < kBenchAttempts; ++i) {
        const double progress = double(i) / kBenchAttempts;
        r.date = firstDay + std::floor(progress * kDaysCovered);
        r.timeOfDay = (15 * 3600 + engine() % (4 * 3600)) / 86400.0;
        r.student = int16_t(1 + engine() % kBenchStudents);
        r.level = int16_t(1 + engine() % kBenchLevels);
        Attempt& a = r.attempt;
        a.problem = 1 + i % 10;
        a.kind = 1 + int(engine() % 4);
        a.length = 2 * (1 + int(engine() % 5));
        a.correct = engine() % 8 != 0;
        a.mistake = a.correct ? MistakeClass::None : MistakeClass(1 + engine() % 6);
        a.keys = a.correct ? QStringLiteral("4×4×3.14") : QStringLiteral("8×8×3.14");
        a.tenths = int32_t(20 + engine() % 80);
        bytes += EncodeAttemptRecord(r);
    }
    return bytes;
}

QByteArray RosterBytes() {
    QString text;
    for (int id = 1; id <= kBenchStudents; ++id)
        text += QStringLiteral("%1,2014,0,0,\"生徒%1\",0,\"\",\"\"\r\n").arg(id);
    return EncodeCp932(text);
}

QByteArray CriteriaBytes() {
    QString text = QStringLiteral(
        "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,予備,予備,予備\r\n");
    for (int lv = 1; lv <= kBenchLevels; ++lv)
        text += QStringLiteral("%1,%2,50,5,1.5,15,200,30,1,0,0,0\r\n")
                    .arg(kTargetTime[lv])
                    .arg(2 * kTargetTime[lv]);
    return EncodeCp932(text);
}

} // namespace

void MakeBenchData(const QString& root) {
    WriteOnce(root + QStringLiteral("data/circle/") + kResultsFileName,
              [] { return ResultBytes(kBenchToday); });
    WriteOnce(root + QStringLiteral("data/circle/") + kAttemptLogFileName,
              [] { return AttemptBytes(kBenchToday); });
    WriteOnce(root + QStringLiteral("data/新名簿.txt"), RosterBytes);
    WriteOnce(root + QStringLiteral("data/circle/タイム回数データ.txt"), CriteriaBytes);
}

void PrepareBenchState(ProgramState& state, const QString& root) {
    state.folders.CommonFolder = root + QStringLiteral("data/");
    state.folders.DataFolder = root + QStringLiteral("data/circle/");
    for (int lv = 1; lv <= kBenchLevels; ++lv) {
        CriteriaTables& c = state.criteria;
        c.TargetTime[lv] = kTargetTime[lv];
        c.LowestTime[lv] = 2 * kTargetTime[lv];
        c.ClearPoint[lv] = 50;
        c.ClearCount[lv] = 5;
        c.PointRate[lv] = 1.5f;
        c.OverdoCount[lv] = {CriteriaValue::Kind::Number, 15, {}};
        c.OverdoPoint[lv] = {CriteriaValue::Kind::Number, 200, {}};
        c.PassDays[lv] = {CriteriaValue::Kind::Number, 30, {}};
        c.OverdoDays[lv] = {CriteriaValue::Kind::Number, 1, {}};
    }
}
