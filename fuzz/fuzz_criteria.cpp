// The criteria reader on any bytes as タイム回数データ.txt. A DataFileError is
// the expected answer to a bad file; when the file loads, writing its texts
// back as the criteria editor does and loading again gives the same tables.

#include "FuzzSupport.h"
#include "TestDoubles.h"

#include "core/Text.h"
#include "records/Criteria.h"

namespace {
bool SameTables(const CriteriaTables& a, const CriteriaTables& b) {
    return a.TargetTime == b.TargetTime && a.LowestTime == b.LowestTime && a.ClearPoint == b.ClearPoint &&
           a.ClearCount == b.ClearCount && a.PointRate == b.PointRate && a.OverdoCount == b.OverdoCount &&
           a.OverdoPoint == b.OverdoPoint && a.PassDays == b.PassDays && a.OverdoDays == b.OverdoDays &&
           a.CriteriaSpare1 == b.CriteriaSpare1 && a.CriteriaSpare2 == b.CriteriaSpare2 &&
           a.CriteriaSpare3 == b.CriteriaSpare3 && a.LoadedLevels == b.LoadedLevels;
}

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// A cell the file keeps as it is: the reader drops blanks around an unquoted
// value, and a character outside code page 932 is written as another.
bool SurvivesWriting(const QString& cell) {
    if (!cell.isEmpty() && (IsBlank(cell.front()) || IsBlank(cell.back())))
        return false;
    return DecodeCp932(EncodeCp932(cell)) == cell;
}

bool RowsSurviveWriting(const std::vector<QStringList>& rows) {
    for (const QStringList& row : rows)
        for (const QString& cell : row)
            if (!SurvivesWriting(cell))
                return false;
    return true;
}

void CheckRoundTrip(TestRig& rig, const CriteriaTables& loaded) {
    rig.state.criteria = CriteriaTables();
    const std::vector<QStringList> rows = ReadCriteriaRows(rig.state);
    if (!RowsSurviveWriting(rows))
        return;
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
    CheckRoundTrip(rig, loaded);
    return 0;
}
