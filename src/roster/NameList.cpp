#include "roster/NameList.h"

#include "core/Tables.h"
#include "core/Text.h"
#include "roster/Roster.h"

#include <algorithm>

namespace {
const QChar kFullWidthBlank(0x3000);
const QChar kKeyMark(u'*');
constexpr int kBirthYearDigits = 4;
constexpr int kNameColumn = 9;
constexpr int kKindergartenNameColumn = 11;

// The left and right figure of a row.
std::pair<QString, QString> FigurePair(const StudentFigures& f, int displayOption) {
    switch (DisplayOption(displayOption)) {
    case DisplayOption::TodayAndTotalRuns:
        return {TodayCountText(f.todayCount), TotalCountText(f.runCount)};
    case DisplayOption::TodayAndTotalPoints:
        return {TodayPointsText(f.todayPoints), TotalPointsText(f.totalPoints)};
    case DisplayOption::TodayPointsAndRuns:
        return {TodayPointsText(f.todayPoints), TodayCountText(f.todayCount)};
    case DisplayOption::TotalPointsAndRuns:
        return {TotalPointsText(f.totalPoints), TotalCountText(f.runCount)};
    }
    return {};
}

int NameColumnWidth(int gradeNumber, int displayOption) {
    const bool kindergarten = StageNumber(gradeNumber) < 1;
    return kindergarten && DisplayOption(displayOption) != DisplayOption::TodayAndTotalPoints
               ? kKindergartenNameColumn
               : kNameColumn;
}
} // namespace

QString TodayCountText(double todayCount) {
    if (todayCount == 0) return QString(5, QLatin1Char(' '));
    return RightAlign(PlainNumber(todayCount), 3) + QStringLiteral("回");
}

QString TodayPointsText(long long todayPoints) {
    if (todayPoints == 0) return QStringLiteral("  ") + kFullWidthBlank;
    return RightAlign(todayPoints, 4);
}

QString TotalCountText(long long runCount) {
    if (runCount == 0) return QString(5, QLatin1Char(' ')) + kFullWidthBlank;
    return RightAlign(runCount, 5) + QStringLiteral("回");
}

QString TotalPointsText(long long totalPoints) {
    if (totalPoints == 0) return QString(7, QLatin1Char(' '));
    return RightAlign(totalPoints, 7);
}

std::vector<StudentFigures> FiguresByStudent(const CountTables& counts) {
    std::vector<StudentFigures> figures(kStudentSlots);
    // Level by level, so each table is read in its memory order.
    for (int level = 1; level <= kMaxLevel; ++level) {
        for (int student = 0; student < kStudentSlots; ++student) {
            StudentFigures& f = figures[std::size_t(student)];
            f.todayCount += counts.TodayCount(level, student);
            f.todayPoints += counts.TodayPoints(level, student);
            f.runCount += counts.RunCount(level, student);
            f.totalPoints += counts.TotalPoints(level, student);
        }
    }
    return figures;
}

QString KeyedNameRow(const RosterRecord& student, int schoolYear, const StudentFigures& figures,
                     int displayOption) {
    const int grade = GradeNumber(schoolYear, student.BirthYear);
    const auto [left, right] = FigurePair(figures, displayOption);
    const QString label = ShortGradeLabel(grade);
    const QString name = TrimTrailingBlanks(student.Name);
    // A name too long for the column keeps every character and gets no pad.
    const qsizetype pad = std::max<qsizetype>(0, NameColumnWidth(grade, displayOption) -
                                                     (label.size() + 1 + name.size()));
    // Built in one buffer: the list makes a row for every student at each showing.
    QString row =
        QStringLiteral("%1").arg(int(student.BirthYear), kBirthYearDigits, 10, QLatin1Char('0'));
    row.reserve(row.size() + label.size() + 1 + name.size() + pad + left.size() + right.size() + 8);
    row.append(label).append(QLatin1Char(' ')).append(name);
    row.append(QString(pad, kFullWidthBlank));
    row.append(left)
        .append(QLatin1Char('/'))
        .append(right)
        .append(kKeyMark)
        .append(QString::number(student.Id));
    return row;
}

NameListRows NameListFromKeyedRows(QStringList keyedRows, int schoolYear, const QString& filter) {
    // Plain UTF-16 code unit order: the same on every machine, whatever its locale.
    std::sort(keyedRows.begin(), keyedRows.end());
    NameListRows rows;
    for (auto it = keyedRows.crbegin(); it != keyedRows.crend(); ++it) {
        const QString& row = *it;
        const int birthYear = row.left(kBirthYearDigits).toInt();
        if (!GradeFilterKeeps(filter, GradeNumber(schoolYear, birthYear))) continue;
        // The ID follows the last "*", so a name holding "*" still keeps its ID.
        const qsizetype mark = row.lastIndexOf(kKeyMark);
        rows.visible.append(row.mid(kBirthYearDigits, mark - kBirthYearDigits));
        rows.keyed.append(row.mid(kBirthYearDigits));
    }
    return rows;
}

NameListRows BuildNameList(ProgramState& state, int displayOption, const QString& filter) {
    const std::vector<RosterLine> lines = ReadRoster(state);
    const std::vector<StudentFigures> figures = FiguresByStudent(state.counts);
    QStringList keyed;
    for (const RosterRecord& student : FillNameScreenRoster(state, lines))
        keyed.append(KeyedNameRow(student, state.roster.SchoolYear,
                                  figures[std::size_t(student.Id)], displayOption));
    return NameListFromKeyedRows(std::move(keyed), state.roster.SchoolYear, filter);
}

int IdOfKeyedEntry(const QString& entry) {
    const qsizetype mark = entry.lastIndexOf(kKeyMark);
    return mark < 0 ? 0 : entry.mid(mark + 1).toInt();
}

NameListModel::NameListModel(QObject* parent) : QAbstractListModel(parent) {}

void NameListModel::reset(NameListRows rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.visible.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return rows_.visible.at(index.row());
}
