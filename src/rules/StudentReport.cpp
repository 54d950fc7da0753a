#include "rules/StudentReport.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/Text.h"
#include "records/Counts.h"
#include "roster/GradeFilters.h"
#include "roster/Roster.h"
#include "rules/ClassSheet.h"

#include <QRectF>

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

// A student without a time yet is not ranked by time ("---" in the list).
int ReportedRank(const RankingRows& ranking, const RankingRow& row) {
    if (ranking.order == RankingOrder::BestTime && row.bestTime == kNoBestTime) return 0;
    return row.rank;
}

// The first row of each student in a ranking: its rank and its all-time points.
void ReadRanking(const RankingRows& ranking, std::vector<int>& ranks, std::vector<int>* totals) {
    for (auto row = ranking.rows.rbegin(); row != ranking.rows.rend(); ++row) {
        const std::size_t student = std::size_t(row->student);
        if (student >= ranks.size()) continue;
        ranks[student] = ReportedRank(ranking, *row);
        if (totals) (*totals)[student] = row->totalPoints;
    }
}

void AddPointsFigures(const ProgramState& state, const ReportSettings& settings,
                      ReportLevelFigures& figures) {
    const RankingRows ranking =
        RankLevelRows(state, figures.level, settings.pointsOrder, settings.gradeFilter, kRankWidth);
    for (const RankingRow& row : ranking.rows)
        if (row.totalPoints > 0) {
            ++figures.classPointsCount;
            figures.classPointsSum += row.totalPoints;
        }
    ReadRanking(ranking, figures.pointsRank, &figures.pointsTotal);
}

void AddTimeRanks(const ProgramState& state, const ReportSettings& settings,
                  ReportLevelFigures& figures) {
    ReadRanking(RankLevelRows(state, figures.level, RankingOrder::BestTime, settings.gradeFilter,
                              kRankWidth),
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
        figures.classRan = true;
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
    data.classRan = level.classRan;
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
    const int32_t top = ScaleTop(data.ownLargest);
    int counted = 0;
    int32_t best = 0;
    bool anyBest = false;
    for (const ReportRun& run : data.runs) {
        if (run.result < kReportCountedBelow) ++counted;
        GraphPoint point;
        // Without a counted run (only very long ones) everything sits on the y axis.
        point.x = data.ownCount > 0 ? 0.7 * counted / data.ownCount + 0.2 : 0.2;
        point.offScale = run.result > top;
        // Runs off the scale stay at the top of the frame, inside their own block.
        point.y = point.offScale ? kGraphLabelTop : 0.8 - 0.7 * run.result / top;
        point.result = run.result;
        point.date = run.date;
        point.best = IsCompletedRun(run.result) && (!anyBest || run.result < best);
        if (point.best) {
            best = run.result;
            anyBest = true;
        }
        points.push_back(point);
    }
    return points;
}

QString OffScaleLabel(int32_t result) {
    return result >= kFirstTimeOutResult ? QStringLiteral("時間切れ") : Seconds(result);
}

QString ReportDateLabel(double date, double previous) {
    const QString full = FromOleDay(date).toString(QStringLiteral("yyyy/MM/dd"));
    if (previous >= 0 && FromOleDay(previous).toString(QStringLiteral("yyyy/")) == full.left(5))
        return full.right(5);
    return full;
}

namespace {

constexpr double kLabelGap = 0.01;     // between a label and its point, in f and C
constexpr double kMarkLabelGap = 0.03; // clear of a mark over the scale, which is larger
constexpr double kAxisLabelEnd = 0.19; // the scale's texts end left of the y axis
constexpr double kUnderAxis = 0.815;

// Places the graph's texts one after the other, each where it overlaps none
// placed before it.
class LabelPlacer {
  public:
    explicit LabelPlacer(LabelMeasure measure) : measure_(std::move(measure)) {}

    // Lines set one under the other as one piece, at the first free place of
    // `corners` (top left corners, moved into the area); false when none is free.
    bool place(const QStringList& lines, const std::vector<QPointF>& corners) {
        QSizeF size(0, 0);
        std::vector<QSizeF> sizes;
        for (const QString& line : lines) {
            sizes.push_back(measure_(line));
            size = QSizeF(std::max(size.width(), sizes.back().width()),
                          size.height() + sizes.back().height());
        }
        for (const QPointF& corner : corners) {
            const QRectF box = intoArea(QRectF(corner, size));
            if (!isFree(box)) continue;
            taken_.push_back(box);
            double y = box.top();
            for (qsizetype i = 0; i < lines.size(); ++i) {
                labels_.push_back({lines[i], box.left(), y});
                y += sizes[std::size_t(i)].height();
            }
            return true;
        }
        return false;
    }
    // Four places around a point, the first beside it on the right below.
    bool placeBeside(const QStringList& lines, double x, double y, double gap = kLabelGap) {
        const QSizeF size = measure_(lines.front());
        const double height = size.height() * lines.size();
        double width = 0;
        for (const QString& line : lines)
            width = std::max(width, measure_(line).width());
        return place(lines, {{x + gap, y + gap},
                             {x - width - gap, y + gap},
                             {x + gap, y - height - gap},
                             {x - width - gap, y - height - gap}});
    }
    // Under the x axis, centred on x.
    bool placeUnderAxis(const QString& text, double x) {
        return place({text}, {{x - measure_(text).width() / 2, kUnderAxis}});
    }
    // Left of the y axis, centred on the height y.
    bool placeOnScale(const QString& text, double y) {
        const QSizeF size = measure_(text);
        return place({text}, {{kAxisLabelEnd - size.width(), y - size.height() / 2}});
    }
    std::vector<GraphLabel> labels() && { return std::move(labels_); }

  private:
    static QRectF intoArea(QRectF box) {
        box.moveLeft(std::clamp(box.left(), 0.0, std::max(0.0, kGraphLabelRight - box.width())));
        box.moveTop(std::clamp(box.top(), kGraphLabelTop,
                               std::max(kGraphLabelTop, kGraphLabelBottom - box.height())));
        return box;
    }
    bool isFree(const QRectF& box) const {
        if (box.right() > kGraphLabelRight + 1e-9 || box.bottom() > kGraphLabelBottom + 1e-9)
            return false;
        return std::none_of(taken_.begin(), taken_.end(),
                            [&box](const QRectF& taken) { return taken.intersects(box); });
    }

    LabelMeasure measure_;
    std::vector<QRectF> taken_;
    std::vector<GraphLabel> labels_;
};

} // namespace

std::vector<GraphLabel> GraphLabels(const ReportData& data, const std::vector<GraphPoint>& points,
                                    const LabelMeasure& measure) {
    if (points.empty()) return {};
    std::vector<const GraphPoint*> bests;
    for (const GraphPoint& point : points)
        if (point.best) bests.push_back(&point);
    LabelPlacer placer(measure);
    placer.placeOnScale(Seconds(0), 0.8);
    placer.placeOnScale(Seconds(ScaleTop(data.ownLargest)), kGraphLabelTop);

    // A best off the scale is named by its mark's label.
    const auto onScale = [](const GraphPoint* point) { return !point->offScale; };
    const std::size_t n = bests.size();
    if (n > 0 && onScale(bests.back())) {
        const GraphPoint& last = *bests.back();
        placer.placeBeside(
            {Seconds(last.result), ReportDateLabel(last.date, n > 1 ? bests[n - 2]->date : -1)},
            last.x, last.y);
    }
    for (const GraphPoint& point : points)
        if (point.offScale)
            placer.placeBeside({OffScaleLabel(point.result)}, point.x, point.y, kMarkLabelGap);
    if (n > 0) {
        const GraphPoint& first = *bests.front();
        if (onScale(&first)) placer.placeOnScale(Seconds(first.result), first.y);
        placer.placeUnderAxis(ReportDateLabel(first.date), first.x);
    }
    placer.placeUnderAxis(ReportDateLabel(points.back().date), points.back().x);
    if (n > 5)
        for (std::size_t k = 3; k + 2 <= n; k += 3)
            if (onScale(bests[k - 1]))
                placer.placeBeside({Seconds(bests[k - 1]->result),
                                    ReportDateLabel(bests[k - 1]->date, bests[k - 2]->date)},
                                   bests[k - 1]->x, bests[k - 1]->y);
    return std::move(placer).labels();
}

std::vector<TableRow> ReportTableRows(const ReportData& data,
                                      const std::vector<GraphPoint>& points) {
    QString ownBest = points.empty() ? QString() : kTimedOutMark;
    for (const GraphPoint& point : points)
        if (point.best) ownBest = Seconds(point.result);
    QString classBest;
    if (IsCompletedRun(data.classBest))
        classBest = QString::number(data.classBest);
    else if (data.classRan)
        classBest = kTimedOutMark;

    std::vector<TableRow> rows;
    rows.push_back(
        {QStringLiteral("回数　　　　　　　") + Figure(data.ownCount, 3) + QStringLiteral("回"),
         0});
    rows.push_back({QStringLiteral("タイム  　　 　    本人 / 塾全体"), 1});
    rows.push_back(
        {QStringLiteral("　　順位　　　　") + Figure(data.timeRank, 5) + QStringLiteral("位"), 2});
    rows.push_back({QStringLiteral("　　最高　　　　") + RightAlign(ownBest, 6) +
                        QStringLiteral(" /") + RightAlign(classBest, 5) + QStringLiteral("秒"),
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
