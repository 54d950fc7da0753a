#include "rules/ClassSheet.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "records/Counts.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "rules/ResultsViews.h"

#include <algorithm>
#include <cmath>

namespace {

const QChar kFullWidthBlank(0x3000);
const QChar kEllipsis(0x2026);
// The grades ShortGradeLabel names one by one: 幼1 .. 高3.
constexpr int kLowestLabelledGrade = -2;
constexpr int kHighestLabelledGrade = 12;

// "小５" and "小5" alike: full-width digits as ASCII digits.
QString HalfWidthDigits(QString text) {
    for (QChar& c : text)
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19)) c = QChar(u'0' + (c.unicode() - 0xFF10));
    return text;
}

// Which students ran which level in the loaded window, time-outs included.
LevelStudentTable<char> RanTable(const ProgramState& state) {
    LevelStudentTable<char> ran;
    for (const LoadedRun& run : state.counts.Runs)
        if (IsValidLevel(run.level) && IsValidStudent(run.student)) ran(run.level, run.student) = 1;
    return ran;
}

int SheetLevelCount(const ProgramState& state) {
    return std::clamp(state.levels.LevelCount, 0, kMaxLevel);
}

SheetRow RowOf(const ProgramState& state, int student, const LevelStudentTable<char>& ran) {
    SheetRow row;
    row.student = student;
    row.name = TrimTrailingBlanks(state.roster.RosterName[std::size_t(student)]);
    const LevelAvailability availability = LevelAvailabilityFor(state, student, row.name);
    const int levels = SheetLevelCount(state);
    for (int level = 1; level <= levels; ++level) {
        SheetCell cell;
        const int32_t best = state.counts.BestTime(level, student);
        if (IsCompletedRun(best)) {
            cell.kind = SheetCell::Kind::Timed;
            cell.bestTime = best;
        } else if (ran(level, student)) {
            cell.kind = SheetCell::Kind::TimedOut;
        }
        cell.cleared = IsLevelCleared(state, level, student);
        cell.locked = availability.locked[std::size_t(level)];
        row.cells.push_back(cell);
    }
    return row;
}

std::vector<LevelSummary> SummaryOf(const std::vector<SheetRow>& rows, int levels) {
    std::vector<LevelSummary> summary(std::size_t(std::max(levels, 0)));
    for (std::size_t i = 0; i < summary.size(); ++i) {
        std::vector<int32_t> times;
        for (const SheetRow& row : rows) {
            const SheetCell& cell = row.cells[i];
            if (cell.cleared) ++summary[i].cleared;
            if (cell.kind == SheetCell::Kind::Timed) times.push_back(cell.bestTime);
        }
        summary[i].medianBest = MedianBestTime(std::move(times));
    }
    return summary;
}

QString SecondsText(double seconds) {
    return QString::number(seconds, 'f', seconds == std::floor(seconds) ? 0 : 1) +
           QStringLiteral("秒");
}

} // namespace

QString SheetCellText(const SheetCell& cell) {
    QString text;
    switch (cell.kind) {
    case SheetCell::Kind::NeverRun:
        break;
    case SheetCell::Kind::TimedOut:
        text = kTimedOutMark;
        break;
    case SheetCell::Kind::Timed:
        text = QString::number(cell.bestTime);
        break;
    }
    // The mark follows the pass rule alone, as the board's does.
    if (cell.cleared) text = text.isEmpty() ? kClearedMark : kClearedMark + QLatin1Char(' ') + text;
    return text;
}

std::optional<double> MedianBestTime(std::vector<int32_t> times) {
    if (times.empty()) return std::nullopt;
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    if (times.size() % 2 == 1) return times[middle];
    return (double(times[middle - 1]) + times[middle]) / 2;
}

QString SummaryText(const LevelSummary& summary) {
    return QStringLiteral("合格 %1人\n中央値 %2")
        .arg(summary.cleared)
        .arg(summary.medianBest ? SecondsText(*summary.medianBest) : QStringLiteral("－"));
}

std::vector<SheetStudent> NameListStudents(ProgramState& state, const QString& gradeFilter) {
    // The rows' figures belong to their sort key, so the order is the shown option's.
    const NameListRows rows = BuildNameList(state, int(kNameScreenShownOption), gradeFilter);
    std::vector<SheetStudent> students;
    students.reserve(std::size_t(rows.keyed.size()));
    for (const QString& entry : rows.keyed) {
        const int id = IdOfKeyedEntry(entry);
        if (!IsValidStudent(id)) continue;
        const int grade =
            GradeNumber(state.roster.SchoolYear, state.roster.RosterBirthYear[std::size_t(id)]);
        students.push_back({id, ShortGradeLabel(grade)});
    }
    return students;
}

ClassSheet BuildClassSheet(const ProgramState& state, const std::vector<SheetStudent>& students,
                           const QDateTime& now) {
    ClassSheet sheet;
    sheet.classroom = state.common.ClassroomName;
    sheet.date = FormatEraDate(now);
    const int levels = SheetLevelCount(state);
    for (int level = 1; level <= levels; ++level)
        sheet.levelNames << state.levels.LevelNames[std::size_t(level)];

    const LevelStudentTable<char> ran = RanTable(state);
    for (const SheetStudent& student : students) {
        if (!IsValidStudent(student.id)) continue;
        if (sheet.grades.empty() || sheet.grades.back().grade != student.grade)
            sheet.grades.push_back({student.grade, {}, {}});
        sheet.grades.back().rows.push_back(RowOf(state, student.id, ran));
    }
    for (GradeSheet& grade : sheet.grades)
        grade.summary = SummaryOf(grade.rows, levels);
    return sheet;
}

std::vector<SheetPage> PaginateSheet(const ClassSheet& sheet, int rowsPerPage) {
    const int perPage = std::max(rowsPerPage, 1);
    std::vector<SheetPage> pages;
    for (std::size_t g = 0; g < sheet.grades.size(); ++g) {
        const int rows = int(sheet.grades[g].rows.size());
        const int pageCount = std::max(1, (rows + perPage - 1) / perPage);
        for (int p = 0; p < pageCount; ++p) {
            const int first = p * perPage;
            pages.push_back({int(g), first, std::min(perPage, rows - first), p + 1, pageCount,
                             p + 1 == pageCount});
        }
    }
    return pages;
}

std::optional<GradeChoice> ReadGradeChoice(const QString& text) {
    const QString halfWidth = HalfWidthDigits(text.trimmed());
    for (const QString& entry : GradeFilterEntries())
        if (HalfWidthDigits(entry) == halfWidth) return GradeChoice{entry, {}};
    for (int grade = kLowestLabelledGrade; grade <= kHighestLabelledGrade; ++grade)
        if (ShortGradeLabel(grade) == halfWidth) return GradeChoice{kAllGrades, halfWidth};
    return std::nullopt;
}

std::vector<SheetStudent> NameListStudents(ProgramState& state, const GradeChoice& choice) {
    std::vector<SheetStudent> students = NameListStudents(state, choice.filter);
    if (!choice.label.isEmpty())
        std::erase_if(students,
                      [&choice](const SheetStudent& s) { return s.grade != choice.label; });
    return students;
}

QString HeadingLine(const PageHeading& heading, double width,
                    const std::function<double(const QString&)>& widthOf) {
    const auto line = [&heading](const QString& classroom) {
        QStringList parts{classroom};
        parts << heading.details << heading.date;
        parts.removeAll(QString());
        return parts.join(kFullWidthBlank);
    };
    QString classroom = heading.classroom;
    QString text = line(classroom);
    // One character less at a time: a title is a short line.
    while (widthOf(text) > width && !classroom.isEmpty()) {
        classroom.chop(1);
        text = line(classroom + kEllipsis);
    }
    return text;
}

QString PageFooter(int page, int pages) {
    return QStringLiteral("%1 / %2").arg(page).arg(pages);
}

PageHeading SheetPageHeading(const ClassSheet& sheet, const SheetPage& page) {
    PageHeading heading{sheet.classroom, {sheet.grades[std::size_t(page.grade)].grade}, sheet.date};
    if (page.pagesOfGrade > 1)
        heading.details << QStringLiteral("（%1/%2）").arg(page.pageOfGrade).arg(page.pagesOfGrade);
    return heading;
}

PageHeading StudentPageHeading(const ClassSheet& sheet, const GradeSheet& grade,
                               const SheetRow& row) {
    return {sheet.classroom,
            {grade.grade, QStringLiteral("番号 %1").arg(row.student), row.name},
            sheet.date};
}
