// The criteria reader on any bytes as タイム回数データ.txt. A DataFileError is
// the expected answer to a bad file; when the file loads, writing its texts
// back as the criteria editor does and loading again gives the same tables.

#include "FuzzSupport.h"
#include "TestDoubles.h"

#include "core/Text.h"
#include "records/Counts.h"
#include "records/Criteria.h"
#include "records/ResultsFile.h"

#include <QDateTime>

namespace {
bool SameTables(const CriteriaTables& a, const CriteriaTables& b) {
    return a.TargetTime == b.TargetTime && a.LowestTime == b.LowestTime &&
           a.ClearPoint == b.ClearPoint && a.ClearCount == b.ClearCount &&
           a.PointRate == b.PointRate && a.OverdoCount == b.OverdoCount &&
           a.OverdoPoint == b.OverdoPoint && a.PassDays == b.PassDays &&
           a.OverdoDays == b.OverdoDays && a.CriteriaSpare1 == b.CriteriaSpare1 &&
           a.CriteriaSpare2 == b.CriteriaSpare2 && a.CriteriaSpare3 == b.CriteriaSpare3 &&
           a.LoadedLevels == b.LoadedLevels;
}

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A cell the file keeps as it is: the reader drops blanks around an unquoted
// value, and a character outside code page 932 is written as another.
bool SurvivesWriting(const QString& cell) {
    if (!cell.isEmpty() && (IsBlank(cell.front()) || IsBlank(cell.back()))) return false;
    return DecodeCp932(EncodeCp932(cell)) == cell;
}

bool RowsSurviveWriting(const std::vector<QStringList>& rows) {
    for (const QStringList& row : rows)
        for (const QString& cell : row)
            if (!SurvivesWriting(cell)) return false;
    return true;
}

void CheckRoundTrip(TestRig& rig, const CriteriaTables& loaded) {
    rig.state.criteria = CriteriaTables();
    const std::vector<QStringList> rows = ReadCriteriaRows(rig.state);
    if (!RowsSurviveWriting(rows)) return;
    try {
        SaveCriteria(rig.state, rows);
    } catch (const DataFileError&) {
        return; // a cell with a comma, a quote or a line break is refused
    }
    try {
        LoadCriteria(rig.state);
    } catch (const DataFileError&) {
        FuzzFailure("criteria that loaded do not load after saving");
    }
    if (!SameTables(loaded, rig.state.criteria))
        FuzzFailure("saving and loading the criteria changed them");
}
// Runs of every kind on each level, today and earlier: the loaded criteria
// (any target time, any rate, any window) score them.
QByteArray SampleResults(const QDate& today) {
    const int32_t results[] = {0, 1, 45, 999, 12345, 99998, kTimedOutResult, -7, 2147483647};
    QByteArray bytes;
    for (int level = 1; level <= kMaxLevel; ++level)
        for (int32_t result : results)
            for (int daysAgo : {0, 3, 400}) {
                ResultRecord r;
                r.date = double(QDate(1899, 12, 30).daysTo(today.addDays(-daysAgo)));
                r.timeOfDay = 0.5;
                r.student = int16_t(1 + level % 3);
                r.level = int16_t(level);
                r.result = result;
                r.classroomCode = QStringLiteral("01234");
                bytes += EncodeRecord(r);
            }
    return bytes;
}

// The counts and the end-of-drill conditions with the loaded criteria.
void CountWithCriteria(const TempInstall& install, TestRig& rig) {
    static const bool written = [&] {
        install.writeBytes(ResultsFilePath(rig.state), SampleResults(rig.clock.current.date()));
        return true;
    }();
    (void)written;
    CountResults(rig.state);
    for (int level = 1; level <= kMaxLevel; ++level)
        for (int student = 1; student <= 3; ++student) {
            (void)IsLevelCleared(rig.state, level, student);
            (void)IsOverPractised(rig.state, level, student);
        }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    EnsureApplication();
    // One installation and one program state per process; each run starts
    // from empty criteria tables.
    static const TempInstall install;
    static TestRig rig;
    ProgramState& state = rig.state;
    state.folders.DataFolder = install.dataFolder();
    state.criteria = CriteriaTables();
    install.writeBytes(CriteriaFilePath(state), FuzzBytes(data, size));
    try {
        LoadCriteria(state);
    } catch (const DataFileError&) {
        return 0;
    }
    if (state.criteria.LoadedLevels < 1 || state.criteria.LoadedLevels > kMaxLevel)
        FuzzFailure("the number of loaded levels is outside 1..35");
    const CriteriaTables loaded = state.criteria;
    CountWithCriteria(install, rig);
    CheckRoundTrip(rig, loaded);
    return 0;
}
