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
#include <functional>
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
// The name list as the name screen shows it when it comes up, under a grade
// filter ("全学年", "小学生全体", "小５", ...), in its order. Reads the roster with
// the name screen's rules (which fills the roster tables); the caller has
// computed the school year and counted the results.
std::vector<SheetStudent> NameListStudents(ProgramState& state, const QString& gradeFilter);

// The grades a teacher may ask for: an entry of the name screen's grade filter
// or a short grade label as the sheet and the CSV print it ("小5", "高1", "幼3"),
// with full- or half-width digits.
struct GradeChoice {
    QString filter = QStringLiteral("全学年");
    QString label; // when not empty, only the students of this short grade label
};
std::optional<GradeChoice> ReadGradeChoice(const QString& text);
std::vector<SheetStudent> NameListStudents(ProgramState& state, const GradeChoice& choice);

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

// The header line of a printed page: the classroom, then details that are kept
// whole (the grade, the page of the grade, a student's number and name), then
// the date.
struct PageHeading {
    QString classroom;
    QStringList details;
    QString date;
};
// The line with full-width blanks between its parts; when it is wider than
// `width` (measured by `widthOf`), the classroom is shortened with "…" so that
// the details and the date stay whole.
QString HeadingLine(const PageHeading& heading, double width,
                    const std::function<double(const QString&)>& widthOf);
// "3 / 12": the page among all pages of the document.
QString PageFooter(int page, int pages);

// Classroom, grade, "（2/3）" when a grade takes several pages, date.
PageHeading SheetPageHeading(const ClassSheet& sheet, const SheetPage& page);
// Classroom, grade, "番号 12", the name, date.
PageHeading StudentPageHeading(const ClassSheet& sheet, const GradeSheet& grade,
                               const SheetRow& row);
