#pragma once
// The figures of the student report: for one student and one level, the runs
// of the progress graph, the numbers of the table beside it, the points and
// labels of the graph, and where the blocks of a report go on the drawing
// surfaces. Pure logic; ReportDrawing paints what these functions return.

#include "records/RecordValues.h"
#include "records/ResultRecord.h"
#include "rules/ResultsViews.h"

#include <QDate>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

struct ProgramState;

// Runs this long or longer are drawn but left out of counts, sums and scale.
inline constexpr int32_t kReportCountedBelow = 1800;
inline constexpr int32_t kReportScaleCap = 1000;
inline constexpr int kReportDays = 3650;

struct ReportRun {
    double date = 0; // OLE day
    int32_t result = 0;
};

struct ReportData {
    int student = 0;
    int level = 0;
    QString studentName;  // trailing blanks removed
    QString levelCaption; // program title, a blank, the level's name

    std::vector<ReportRun> runs; // the student's runs on the level in file order
    int ownCount = 0;            // runs under 1800 s
    int64_t ownSum = 0;
    int32_t ownLargest = 0;
    int classCount = 0; // every student's runs under 1800 s
    int64_t classSum = 0;
    int32_t classBest = kNoBestTime; // over every run, counted or not
    bool classRan = false;           // anybody ran the level, time-outs included

    int timeRank = 0; // 0: not ranked
    int pointsRank = 0;
    int pointsTotal = 0;
    int classPointsCount = 0; // ranking lines with points above 0
    int64_t classPointsSum = 0;
};

// What the board's switches say: the grade filter and the points ranking order.
struct ReportSettings {
    QString gradeFilter = QStringLiteral("全学年");
    RankingOrder pointsOrder = RankingOrder::TotalPoints;
};

// What the blocks of one level share whatever the student: the classroom's
// figures of the record window and every student's ranks, so that the reports
// of a whole class rank each level once.
struct ReportLevelFigures {
    int level = 0;
    int classCount = 0;
    int64_t classSum = 0;
    int32_t classBest = kNoBestTime;
    bool classRan = false;
    int classPointsCount = 0;
    int64_t classPointsSum = 0;
    std::vector<int> timeRank;    // by student ID; 0: not ranked
    std::vector<int> pointsRank;  // by student ID
    std::vector<int> pointsTotal; // by student ID
};

// `records` is the report's record window (the last 20000 records); runs dated
// up to today − 3650 days or of levels without a column are skipped, as in the
// period view. Ranks come from the board's rankings with a 3-character rank
// field, found by the student's ID.
ReportLevelFigures BuildReportLevelFigures(const ProgramState& state, int level,
                                           const std::vector<ResultRecord>& records,
                                           const QDate& today, const ReportSettings& settings);
// The figures of one block.
ReportData BuildReportData(const ProgramState& state, int student, const ReportLevelFigures& level,
                           const std::vector<ResultRecord>& records, const QDate& today,
                           const ReportSettings& settings);
ReportData BuildReportData(const ProgramState& state, int student, int level,
                           const std::vector<ResultRecord>& records, const QDate& today,
                           const ReportSettings& settings);

// The top of the vertical scale: the next ten above the largest counted run,
// at most 1000 s.
int32_t ScaleTop(int32_t ownLargest);

// One plotted run: x in fractions of f, y in fractions of C down from the top
// of the block. Runs off the scale (time-outs too) are drawn at the top of the
// frame as marks of their own, each with its label.
struct GraphPoint {
    double x = 0;
    double y = 0;
    int32_t result = 0;
    double date = 0;
    bool best = false;     // a new personal best (red); the others are blue
    bool offScale = false; // over the top of the scale
};
// A time-out is never a best: a student whose runs all timed out has none.
std::vector<GraphPoint> GraphPoints(const ReportData& data);
// "時間切れ" for a time-out, else the time in seconds ("1500秒").
QString OffScaleLabel(int32_t result);

// A text of the graph with its top left corner, in the units of GraphPoint.
struct GraphLabel {
    QString text;
    double x = 0;
    double y = 0;
};
// The size of a text on the drawing surface, in the units of GraphPoint.
using LabelMeasure = std::function<QSizeF(const QString& text)>;
// Where the graph's texts may go: right of the block's left edge, left of the
// table, under the block's heading and above the next block.
inline constexpr double kGraphLabelRight = 1.03;
inline constexpr double kGraphLabelTop = 0.1;
inline constexpr double kGraphLabelBottom = 0.9;
// The scale ends, the marks off the scale, the bests' times and dates and the
// date of the last run, most needed first. A label that would overlap one
// already placed tries its other places beside its point, and is left out when
// none is free; so no two labels overlap and none leaves the area above.
std::vector<GraphLabel> GraphLabels(const ReportData& data, const std::vector<GraphPoint>& points,
                                    const LabelMeasure& measure);

// A row of the table beside the graph; `slot` counts rows from the first (0),
// the last row sits half a row lower. A best shows "×" when every run timed
// out, as on the class sheet.
struct TableRow {
    QString text;
    double slot = 0;
};
std::vector<TableRow> ReportTableRows(const ReportData& data,
                                      const std::vector<GraphPoint>& points);

// The date of a run as a label: yyyy/MM/dd, or MM/dd when the year is that of `previous`.
QString ReportDateLabel(double date, double previous = -1);

// Where the blocks of a report run go: the surface (0 first) and the top of
// the block in fractions of the surface height H.
struct BlockPlace {
    int surface = 0;
    double top = 0;
    bool firstOnSurface = false; // carries the student's name
};
std::vector<BlockPlace> PlaceReportBlocks(int blockCount);

// The chosen levels up to the first one without a column (which ends the run).
std::vector<int> ReportLevels(const std::vector<int>& chosen, int levelCount);
