#include "records/Statistics.h"

#include "core/ProgramState.h"
#include "records/Counts.h"

#include <QStringList>

#include <cmath>

namespace {

// A spreadsheet would run a text that starts like a formula; an apostrophe
// ahead of it keeps it a text.
bool StartsLikeAFormula(const QString& text) {
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

} // namespace

QByteArray CsvText(const QString& text) {
    QByteArray bytes = (StartsLikeAFormula(text) ? QLatin1Char('\'') + text : text).toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    return '"' + bytes.replace('"', "\"\"") + '"';
}

std::vector<StudentLevelFigures> CollectFigures(const ProgramState& state,
                                                const std::vector<StatsStudent>& students) {
    const CountTables& c = state.counts;
    const int levels = std::min(state.levels.LevelCount, kMaxLevel);
    std::vector<StudentLevelFigures> rows;
    rows.reserve(students.size() * size_t(std::max(levels, 0)));
    for (const StatsStudent& student : students) {
        const int st = student.id;
        if (!IsValidStudent(st)) continue;
        for (int lv = 1; lv <= levels; ++lv) {
            StudentLevelFigures f;
            f.student = st;
            f.name = student.name;
            f.grade = student.grade;
            f.level = lv;
            f.runs = c.RunCount(lv, st);
            f.passRuns = c.PassRunCount(lv, st);
            f.overdoRuns = c.OverdoRunCount(lv, st);
            f.todayRuns = int(std::lround(c.TodayCount(lv, st)));
            f.totalPoints = c.TotalPoints(lv, st);
            f.passPoints = c.PassPoints(lv, st);
            f.overdoPoints = c.OverdoPoints(lv, st);
            f.todayPoints = c.TodayPoints(lv, st);
            f.bestTime = c.BestTime(lv, st);
            f.classBest = c.ClassBest[lv];
            f.cleared = IsLevelCleared(state, lv, st);
            f.overPractised = IsOverPractised(state, lv, st);
            rows.push_back(f);
        }
    }
    return rows;
}

QByteArray FiguresCsv(const std::vector<StudentLevelFigures>& rows) {
    QByteArray csv =
        "student,name,grade,level,runs,pass_runs,overdo_runs,today_runs,total_points,pass_points,"
        "overdo_points,today_points,best_time,class_best,cleared,overpractised\n";
    for (const StudentLevelFigures& f : rows) {
        const long long values[] = {f.level,
                                    f.runs,
                                    f.passRuns,
                                    f.overdoRuns,
                                    f.todayRuns,
                                    f.totalPoints,
                                    f.passPoints,
                                    f.overdoPoints,
                                    f.todayPoints,
                                    f.bestTime,
                                    f.classBest,
                                    f.cleared ? 1 : 0,
                                    f.overPractised ? 1 : 0};
        QByteArray line =
            QByteArray::number(f.student) + ',' + CsvText(f.name) + ',' + CsvText(f.grade);
        for (const long long v : values)
            line += ',' + QByteArray::number(v);
        csv += line + '\n';
    }
    return csv;
}
