#pragma once
// The class progress sheet: per grade, one row per student in the name list's
// order and one column per level, each cell the student's best time, marked
// when the level is cleared and shaded when it is locked for over-practice; a
// last row counts the students who cleared each level and gives the median of
// their best times. Pure logic; ClassSheetDrawing paints it.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct ProgramState;

inline const QString kClearedMark = QStringLiteral("○");
inline const QString kTimedOutMark = QStringLiteral("×");

struct SheetCell {
    enum class Kind { NeverRun, TimedOut, Timed };
    Kind kind = Kind::NeverRun;
    int32_t bestTime = 0; // seconds, for Timed
    bool cleared = false;
    bool locked = false;
};
// "○ 45" cleared, "45", "×" after time-outs only, "" never run.
QString SheetCellText(const SheetCell& cell);

struct SheetRow {
    int student = 0;
    QString name;                 // without its padding
    std::vector<SheetCell> cells; // element i for level i + 1
};

struct LevelSummary {
    int cleared = 0;
    std::optional<double> medianBest; // over the students with a time
};
// "合格 2人" and "中央値 45秒" ("中央値 －" without a time), one a line.
QString SummaryText(const LevelSummary& summary);
std::optional<double> MedianBestTime(std::vector<int32_t> times);

struct GradeSheet {
    QString grade; // the short grade label
    std::vector<SheetRow> rows;
    std::vector<LevelSummary> summary; // element i for level i + 1
};

struct ClassSheet {
    QString classroom;
    QString date;           // the era date of the start-up screen
    QStringList levelNames; // element i for level i + 1
    std::vector<GradeSheet> grades;
};

// A student of the name list: ID and short grade label.
struct SheetStudent {
    int id = 0;
    QString grade;
};
// The name list of the name screen under a grade filter ("全学年", "小学生全体",
// "小５", ...), in its order. Reads the roster with the name screen's rules (which
// fills the roster tables); the caller has computed the school year and counted
// the results.
std::vector<SheetStudent> NameListStudents(ProgramState& state, const QString& gradeFilter);

// The sheet of these students from the tables of the last count; a grade
// starts wherever the grade label changes.
ClassSheet BuildClassSheet(const ProgramState& state, const std::vector<SheetStudent>& students,
                           const QDateTime& now);

// The rows of one printed page; the grade's summary goes on its last page.
struct SheetPage {
    int grade = 0; // index into ClassSheet::grades
    int firstRow = 0;
    int rowCount = 0;
    int pageOfGrade = 1; // 1-based
    int pagesOfGrade = 1;
    bool summary = false;
};
std::vector<SheetPage> PaginateSheet(const ClassSheet& sheet, int rowsPerPage);

// "さくら教室　小5　令和8年 12月 09日（水）", with "（2/3）" when a grade takes several pages.
QString SheetPageTitle(const ClassSheet& sheet, const SheetPage& page);
