#include "rules/StudentReport.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/Text.h"
#include "roster/Roster.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRankWidth = 3;

// The records the period view would take: sound, of a level with a column, in the period.
bool InReportWindow(const ProgramState& state, const ResultRecord& record, int firstDayOutside) {
    return record.isValid() && record.level <= state.levels.LevelCount &&
           record.date > firstDayOutside;
}

// A number right-aligned in k characters; 0 is written as nothing.
QString Figure(long long value, int k) {
    return RightAlign(value == 0 ? QString() : QString::number(value), k);
}

// The average to the nearest whole number; nothing to average reads 0.
long long RoundedAverage(int64_t sum, int count) {
    return count == 0 ? 0 : std::llround(double(sum) / count);
}

QString Seconds(int32_t result) {
    return QString::number(result) + QChar(u'秒');
}

// The number a ranking line starts with (its rank field); "---" reads 0.
int LeadingNumber(const QString& line) {
    return line.left(kRankWidth).trimmed().toInt();
}
// The number in a points line's last five characters (all-time points).
int TrailingPoints(const QString& line) {
    return line.right(5).trimmed().toInt();
}

// The first line of each student in a ranking: its rank and its all-time points.
void ReadRanking(const RankingLines& ranking, std::vector<int>& ranks, std::vector<int>* totals) {
    for (qsizetype i = ranking.lines.size() - 1; i >= 0; --i) {
        const std::size_t student = std::size_t(ranking.students[std::size_t(i)]);
        if (student >= ranks.size()) continue;
        ranks[student] = LeadingNumber(ranking.lines[i]);
        if (totals) (*totals)[student] = TrailingPoints(ranking.lines[i]);
    }
}

void AddPointsFigures(const ProgramState& state, const ReportSettings& settings,
                      ReportLevelFigures& figures) {
    const RankingLines ranking =
        RankLevel(state, figures.level, settings.pointsOrder, settings.gradeFilter, kRankWidth);
    for (const QString& line : ranking.lines) {
        const int points = TrailingPoints(line);
        if (points > 0) {
            ++figures.classPointsCount;
            figures.classPointsSum += points;
        }
    }
    ReadRanking(ranking, figures.pointsRank, &figures.pointsTotal);
}

void AddTimeRanks(const ProgramState& state, const ReportSettings& settings,
                  ReportLevelFigures& figures) {
    ReadRanking(
        RankLevel(state, figures.level, RankingOrder::BestTime, settings.gradeFilter, kRankWidth),
        figures.timeRank, nullptr);
}

int FirstDayOutside(const QDate& today) {
    return int(ToOleDay(today)) - kReportDays;
}

bool HasColumn(const ProgramState& state, int level) {
    return IsValidLevel(level) && level <= state.levels.LevelCount;
}

} // namespace

ReportLevelFigures BuildReportLevelFigures(const ProgramState& state, int level,
                                           const std::vector<ResultRecord>& records,
                                           const QDate& today, const ReportSettings& settings) {
    ReportLevelFigures figures;
    figures.level = level;
    figures.timeRank.assign(kStudentSlots, 0);
    figures.pointsRank.assign(kStudentSlots, 0);
    figures.pointsTotal.assign(kStudentSlots, 0);
    if (!HasColumn(state, level)) return figures;
    const int firstDayOutside = FirstDayOutside(today);
    for (const ResultRecord& record : records) {
        if (record.level != level || !InReportWindow(state, record, firstDayOutside)) continue;
        if (record.result < kReportCountedBelow) {
            figures.classSum += record.result;
            ++figures.classCount;
        }
        figures.classBest = std::min(figures.classBest, record.result);
    }
    AddPointsFigures(state, settings, figures);
    AddTimeRanks(state, settings, figures);
    return figures;
}

ReportData BuildReportData(const ProgramState& state, int student, const ReportLevelFigures& level,
                           const std::vector<ResultRecord>& records, const QDate& today,
                           const ReportSettings& settings) {
    ReportData data;
    data.student = student;
    data.level = level.level;
    if (!IsValidStudent(student) || !HasColumn(state, level.level)) return data;
    data.studentName = TrimTrailingBlanks(state.roster.RosterName[std::size_t(student)]);
    data.levelCaption =
        state.levels.ProgramTitle + QLatin1Char(' ') + state.levels.LevelNames[level.level];
    data.classCount = level.classCount;
    data.classSum = level.classSum;
    data.classBest = level.classBest;
    data.classPointsCount = level.classPointsCount;
    data.classPointsSum = level.classPointsSum;
    data.timeRank = level.timeRank[std::size_t(student)];
    data.pointsRank = level.pointsRank[std::size_t(student)];
    data.pointsTotal = level.pointsTotal[std::size_t(student)];

    const int firstDayOutside = FirstDayOutside(today);
    const bool shown = InGradeFilter(settings.gradeFilter, GradeOfStudent(state, student));
    for (const ResultRecord& record : records) {
        if (record.student != student || record.level != level.level ||
            !InReportWindow(state, record, firstDayOutside))
            continue;
        const int32_t r = record.result;
        if (r < kReportCountedBelow) {
            ++data.ownCount;
            data.ownSum += r;
            data.ownLargest = std::max(data.ownLargest, r);
        }
        if (shown) data.runs.push_back({record.date, r});
    }
    return data;
}

ReportData BuildReportData(const ProgramState& state, int student, int level,
                           const std::vector<ResultRecord>& records, const QDate& today,
                           const ReportSettings& settings) {
    return BuildReportData(state, student,
                           BuildReportLevelFigures(state, level, records, today, settings), records,
                           today, settings);
}

int32_t ScaleTop(int32_t ownLargest) {
    return std::min(10 * (ownLargest / 10 + 1), kReportScaleCap);
}

std::vector<GraphPoint> GraphPoints(const ReportData& data) {
    std::vector<GraphPoint> points;
    points.reserve(data.runs.size());
    const double top = ScaleTop(data.ownLargest);
    int counted = 0;
    int32_t best = 0;
    bool anyBest = false;
    for (const ReportRun& run : data.runs) {
        if (run.result < kReportCountedBelow) ++counted;
        GraphPoint point;
        // Without a counted run (only very long ones) everything sits on the y axis.
        point.x = data.ownCount > 0 ? 0.7 * counted / data.ownCount + 0.2 : 0.2;
        // Runs off the scale stay at the top of the frame, inside their own block.
        point.y = std::max(0.8 - 0.7 * run.result / top, 0.1);
        point.result = run.result;
        point.date = run.date;
        point.best = !anyBest || run.result < best;
        if (point.best) {
            best = run.result;
            anyBest = true;
        }
        points.push_back(point);
    }
    return points;
}

QString ReportDateLabel(double date, double previous) {
    const QString full = FromOleDay(date).toString(QStringLiteral("yyyy/MM/dd"));
    if (previous >= 0 && FromOleDay(previous).toString(QStringLiteral("yyyy/")) == full.left(5))
        return full.right(5);
    return full;
}

std::vector<GraphLabel> GraphLabels(const ReportData& data, const std::vector<GraphPoint>& points) {
    std::vector<const GraphPoint*> bests;
    for (const GraphPoint& point : points)
        if (point.best) bests.push_back(&point);
    std::vector<GraphLabel> labels;
    if (bests.empty()) return labels;

    const GraphPoint& lastRun = points.back();
    labels.push_back({ReportDateLabel(lastRun.date), lastRun.x - 0.025, 0.815});
    labels.push_back({Seconds(0), 0.12, 0.79});
    labels.push_back({Seconds(ScaleTop(data.ownLargest)), 0.12, 0.1});

    const GraphPoint& first = *bests.front();
    labels.push_back({Seconds(first.result), 0.12, first.y});
    labels.push_back({ReportDateLabel(first.date), first.x - 0.025, 0.815});

    const std::size_t n = bests.size();
    if (n > 5)
        for (std::size_t k = 3; k + 2 <= n; k += 3) {
            const GraphPoint& b = *bests[k - 1];
            labels.push_back({Seconds(b.result), b.x, b.y + 0.01});
            labels.push_back({ReportDateLabel(b.date, bests[k - 2]->date), b.x, b.y + 0.03});
        }
    const GraphPoint& last = *bests.back();
    labels.push_back({Seconds(last.result), last.x, last.y + 0.04});
    labels.push_back(
        {ReportDateLabel(last.date, n > 1 ? bests[n - 2]->date : -1), last.x, last.y + 0.07});
    return labels;
}

std::vector<TableRow> ReportTableRows(const ReportData& data,
                                      const std::vector<GraphPoint>& points) {
    QString lastBest;
    for (const GraphPoint& point : points)
        if (point.best) lastBest = Seconds(point.result);

    std::vector<TableRow> rows;
    rows.push_back(
        {QStringLiteral("回数　　　　　　　") + Figure(data.ownCount, 3) + QStringLiteral("回"),
         0});
    rows.push_back({QStringLiteral("タイム  　　 　    本人 / 塾全体"), 1});
    rows.push_back(
        {QStringLiteral("　　順位　　　　") + Figure(data.timeRank, 5) + QStringLiteral("位"), 2});
    rows.push_back({QStringLiteral("　　最高　　　　") + RightAlign(lastBest, 6) +
                        QStringLiteral(" /") + Figure(data.classBest, 5) + QStringLiteral("秒"),
                    3});
    if (data.ownCount != 0)
        rows.push_back({QStringLiteral("　　平均　　　　") +
                            Figure(data.ownSum / data.ownCount, 5) + QStringLiteral("秒 /") +
                            Figure(RoundedAverage(data.classSum, data.classCount), 5) +
                            QStringLiteral("秒"),
                        4});
    rows.push_back({QStringLiteral("ポイント  　　　"), 5});
    rows.push_back(
        {QStringLiteral("　　順位　　　　") + Figure(data.pointsRank, 5) + QStringLiteral("位"),
         6});
    rows.push_back(
        {QStringLiteral("　　獲得ポイント") + Figure(data.pointsTotal, 5) + QStringLiteral("点"),
         7});
    if (data.classPointsCount != 0)
        rows.push_back({QStringLiteral("　　　　　　　　　　　　/") +
                            Figure(RoundedAverage(data.classPointsSum, data.classPointsCount), 5) +
                            QStringLiteral("点"),
                        8});
    rows.push_back({QStringLiteral("　　　　　　　　　　　　 (塾平均)"), 9.5});
    return rows;
}

std::vector<BlockPlace> PlaceReportBlocks(int blockCount) {
    std::vector<BlockPlace> places;
    int surface = 0;
    double top = 0.05 - 0.3;
    for (int i = 0; i < blockCount; ++i) {
        top += 0.3;
        if (top > 0.9) {
            ++surface;
            top = 0.05;
        }
        places.push_back({surface, top, top < 0.08});
    }
    return places;
}

std::vector<int> ReportLevels(const std::vector<int>& chosen, int levelCount) {
    std::vector<int> levels;
    for (const int level : chosen) {
        if (level > levelCount) break;
        levels.push_back(level);
    }
    return levels;
}
