#include "ReportRig.h"

#include "rules/ResultsViews.h"

#include <QRectF>
#include <gtest/gtest.h>

// ---- Figures ----------------------------------------------------------------

TEST(StudentReport, ScaleEndsAtTheNextTenAboveTheLargestRunAndAtMost1000) {
    for (const auto& [largest, top] : std::vector<std::pair<int, int>>{{0, 10},
                                                                       {9, 10},
                                                                       {57, 60},
                                                                       {59, 60},
                                                                       {60, 70},
                                                                       {989, 990},
                                                                       {990, 1000},
                                                                       {999, 1000},
                                                                       {1000, 1000},
                                                                       {1799, 1000}})
        EXPECT_EQ(ScaleTop(largest), top) << largest;
}

TEST(StudentReport, CountsOwnAndClassRunsOfTheRecordWindow) {
    ReportRig r;
    const std::vector<ResultRecord> records = {
        r.record(1, 1, 30),         r.record(1, 1, 45), r.record(1, 1, 1800), r.record(2, 1, 25),
        r.record(1, 1, 99999),      r.record(1, 1, 40), r.record(2, 1, 2000), r.record(1, 2, 10),
        r.record(1, 1, 5, 3650),    // the day the period ends: out
        r.record(1, 1, 1799, 3649), // the first day inside
        r.record(1, 5, 7),          // a level without a column
        r.record(0, 1, 3),          // not a sound record
    };
    const ReportData data = r.build(1, 1, records);
    EXPECT_EQ(data.ownCount, 4);
    EXPECT_EQ(data.ownSum, 30 + 45 + 40 + 1799);
    EXPECT_EQ(data.ownLargest, 1799);
    EXPECT_EQ(data.classCount, 5);
    EXPECT_EQ(data.classSum, 30 + 45 + 25 + 40 + 1799);
    EXPECT_EQ(data.classBest, 25);
    ASSERT_EQ(data.runs.size(), 6u); // plotted: also the 1800 s run and the time-out
    EXPECT_EQ(data.runs[2].result, 1800);
    EXPECT_EQ(data.levelCaption, QStringLiteral("円の公式 レベル1"));
    EXPECT_EQ(data.studentName, QStringLiteral("山田太郎"));

    // Nobody ran level 3; a filtered-out student keeps counts but plots nothing.
    EXPECT_EQ(r.build(1, 3, records).classBest, kNoBestTime);
    const ReportData hidden =
        r.build(1, 1, records, {QStringLiteral("中学生全体"), RankingOrder::TotalPoints});
    EXPECT_EQ(hidden.ownCount, 4);
    EXPECT_TRUE(hidden.runs.empty());
}

TEST(StudentReport, RanksAndPointsComeFromTheRankingsByStudent) {
    ReportRig r;
    ProgramState& s = r.state;
    s.counts.BestTime(1, 1) = 40;
    s.counts.BestTime(1, 2) = 30;
    s.counts.BestTime(1, 3) = 30;
    s.counts.TotalPoints(1, 1) = 12;
    s.counts.TotalPoints(1, 2) = 0;
    s.counts.TotalPoints(1, 3) = 25;
    s.counts.TodayPoints(1, 1) = 4;

    // The long name is cut in the lines; the student is still found.
    ReportData third = r.build(3, 1, {});
    EXPECT_EQ(third.timeRank, 1);
    EXPECT_EQ(third.pointsRank, 1);
    EXPECT_EQ(third.pointsTotal, 25);
    EXPECT_EQ(third.classPointsCount, 2);
    EXPECT_EQ(third.classPointsSum, 37);

    const ReportData first = r.build(1, 1, {});
    EXPECT_EQ(first.timeRank, 3);
    EXPECT_EQ(first.pointsRank, 2);
    EXPECT_EQ(first.pointsTotal, 12);

    // Without a best time the rank reads "---": no rank.
    EXPECT_EQ(r.build(1, 2, {}).timeRank, 0);

    // By today's points only student 1 is listed.
    const ReportData today =
        r.build(3, 1, {}, {QStringLiteral("全学年"), RankingOrder::TodayPoints});
    EXPECT_EQ(today.pointsRank, 0);
    EXPECT_EQ(today.classPointsCount, 1);
    EXPECT_EQ(today.classPointsSum, 12);

    // A total wider than the ranking line's five-character field is kept whole.
    s.counts.TotalPoints(1, 3) = 123456;
    const ReportData wide = r.build(3, 1, {});
    EXPECT_EQ(wide.pointsTotal, 123456);
    EXPECT_EQ(wide.classPointsSum, 123456 + 12);
}

TEST(StudentReport, GraphPointsMarkEachNewBestAndLeaveLongRunsOutOfThePosition) {
    const ReportData data = BlockOf({50, 40, 45, 1900, 40, 30});
    ASSERT_EQ(data.ownCount, 5);
    const std::vector<GraphPoint> points = GraphPoints(data);
    ASSERT_EQ(points.size(), 6u);
    const double xs[] = {0.34, 0.48, 0.62, 0.62, 0.76, 0.90};
    const bool bests[] = {true, true, false, false, false, true};
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(points[i].x, xs[i], 1e-9) << i;
        EXPECT_EQ(points[i].best, bests[i]) << i;
    }
    EXPECT_NEAR(points[0].y, 0.8 - 0.7 * 50 / 60, 1e-9);
    EXPECT_NEAR(points[3].y, 0.1, 1e-9); // off the scale: at the top of the frame

    // Only runs of 1800 s or more: nothing counted, all on the y axis, the first is the best.
    const std::vector<GraphPoint> slow = GraphPoints(BlockOf({1800, 99999}));
    ASSERT_EQ(slow.size(), 2u);
    EXPECT_EQ(slow[0].x, 0.2);
    EXPECT_EQ(slow[1].x, 0.2);
    EXPECT_TRUE(slow[0].best);
    EXPECT_FALSE(slow[1].best);
}

TEST(StudentReport, TableRowsWriteZeroAsNothingAndLeaveOutEmptyAverages) {
    const ReportData empty = BlockOf({});
    EXPECT_EQ(Texts(ReportTableRows(empty, {})),
              (std::vector<QString>{
                  QStringLiteral("回数　　　　　　　   回"),
                  QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                  QStringLiteral("　　順位　　　　     位"),
                  QStringLiteral("　　最高　　　　       /     秒"),
                  QStringLiteral("ポイント  　　　"),
                  QStringLiteral("　　順位　　　　     位"),
                  QStringLiteral("　　獲得ポイント     点"),
                  QStringLiteral("　　　　　　　　　　　　 (塾平均)"),
              }));
    EXPECT_EQ(ReportTableRows(empty, {}).back().slot, 9.5);

    // Time-outs only: "×" as on the class sheet, for the student and the classroom.
    ReportData timedOut = BlockOf({kTimedOutResult, kTimedOutResult});
    timedOut.classBest = kTimedOutResult;
    timedOut.classRan = true;
    EXPECT_EQ(ReportTableRows(timedOut, GraphPoints(timedOut))[3].text,
              QStringLiteral("　　最高　　　　     × /    ×秒"));

    ReportData data = BlockOf({50, 40, 45, 1900});
    data.classCount = 8;
    data.classSum = 8 * 52 + 4; // 52.5: rounds to 53
    data.classBest = 28;
    data.timeRank = 12;
    data.pointsRank = 3;
    data.pointsTotal = 1234;
    data.classPointsCount = 3;
    data.classPointsSum = 100; // 33.3
    const std::vector<TableRow> rows = ReportTableRows(data, GraphPoints(data));
    EXPECT_EQ(Texts(rows), (std::vector<QString>{
                               QStringLiteral("回数　　　　　　　  3回"),
                               QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                               QStringLiteral("　　順位　　　　   12位"),
                               QStringLiteral("　　最高　　　　   40秒 /   28秒"),
                               QStringLiteral("　　平均　　　　   45秒 /   53秒"),
                               QStringLiteral("ポイント  　　　"),
                               QStringLiteral("　　順位　　　　    3位"),
                               QStringLiteral("　　獲得ポイント 1234点"),
                               QStringLiteral("　　　　　　　　　　　　/   33点"),
                               QStringLiteral("　　　　　　　　　　　　 (塾平均)"),
                           }));
    EXPECT_EQ(rows[4].slot, 4);
    EXPECT_EQ(rows[8].slot, 8);
}

// Texts about as wide and high, in fractions of f and C, as on a printed page.
QSizeF PrintedSize(const QString& text) {
    double width = 0;
    for (const QChar c : text)
        width += c.unicode() < 0x80 ? 0.017 : 0.034;
    return {width, 0.048};
}

QRectF BoxOf(const GraphLabel& label) {
    return QRectF(QPointF(label.x, label.y), PrintedSize(label.text));
}

QStringList LabelTexts(const std::vector<GraphLabel>& labels) {
    QStringList texts;
    for (const GraphLabel& label : labels)
        texts << label.text;
    return texts;
}

TEST(StudentReport, DatesShowTheYearOnlyWhenItChanges) {
    EXPECT_EQ(ReportDateLabel(ToOleDay(QDate(2026, 3, 4))), QStringLiteral("2026/03/04"));
    EXPECT_EQ(ReportDateLabel(ToOleDay(QDate(2026, 3, 4)), ToOleDay(QDate(2026, 1, 9))),
              QStringLiteral("03/04"));
    EXPECT_EQ(ReportDateLabel(ToOleDay(QDate(2026, 3, 4)), ToOleDay(QDate(2025, 12, 9))),
              QStringLiteral("2026/03/04"));
}

// Whatever the runs, the labels stay apart, left of the table and inside the
// block; the scale, the bests and every kind of mark off the scale are named.
TEST(StudentReport, GraphLabelsNeverOverlapAndNameWhatMatters) {
    const std::vector<int32_t> manyTimeOuts(12, kTimedOutResult);
    std::vector<int32_t> falling;
    for (int32_t r = 200; r > 20; r -= 10)
        falling.push_back(r);
    struct Case {
        const char* name;
        std::vector<int32_t> runs;
        QStringList wanted; // each among the labels
    };
    const std::vector<Case> cases = {
        {"no run", {}, {}},
        {"one run", {45}, {"0秒", "50秒", "45秒", "2026/12/09"}},
        {"time-outs only", {kTimedOutResult, kTimedOutResult}, {"時間切れ"}},
        {"a time-out first", {kTimedOutResult, 40, 30}, {"時間切れ", "30秒", "50秒"}},
        {"1000 s", {1000, 10}, {"1000秒", "10秒", "0秒"}},
        {"over the axis", {1500, 600, 610}, {"1000秒", "1500秒", "600秒"}},
        {"many time-outs", manyTimeOuts, {"時間切れ"}},
        {"eighteen bests", falling, {"0秒", "210秒", "30秒"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportData data = BlockOf(c.runs);
        const std::vector<GraphLabel> labels = GraphLabels(data, GraphPoints(data), PrintedSize);
        const QStringList texts = LabelTexts(labels);
        for (const QString& wanted : c.wanted)
            EXPECT_TRUE(texts.contains(wanted))
                << qPrintable(wanted) << " in " << qPrintable(texts.join(u' '));
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const QRectF box = BoxOf(labels[i]);
            EXPECT_GE(box.left(), 0) << qPrintable(labels[i].text);
            EXPECT_LE(box.right(), kGraphLabelRight + 1e-9) << qPrintable(labels[i].text);
            EXPECT_GE(box.top(), kGraphLabelTop - 1e-9) << qPrintable(labels[i].text);
            EXPECT_LE(box.bottom(), kGraphLabelBottom + 1e-9) << qPrintable(labels[i].text);
            for (std::size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(box.intersects(BoxOf(labels[j])))
                    << qPrintable(labels[i].text) << " on " << qPrintable(labels[j].text);
        }
    }
}

TEST(StudentReport, OnlyCompletedRunsAreBestsAndRunsOverTheAxisAreMarked) {
    const std::vector<GraphPoint> points = GraphPoints(BlockOf({kTimedOutResult, 1500, 40, 6000}));
    ASSERT_EQ(points.size(), 4u);
    const bool bests[] = {false, true, true, false};
    const bool offScale[] = {true, true, false, true};
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].best, bests[i]) << i;
        EXPECT_EQ(points[i].offScale, offScale[i]) << i;
        if (offScale[i]) {
            EXPECT_EQ(points[i].y, kGraphLabelTop) << i;
        }
    }
    EXPECT_EQ(OffScaleLabel(kTimedOutResult), QStringLiteral("時間切れ"));
    EXPECT_EQ(OffScaleLabel(1500), QStringLiteral("1500秒"));
}

TEST(StudentReport, BlocksGoThreeToASurfaceAndALevelWithoutAColumnEndsTheRun) {
    const std::vector<BlockPlace> places = PlaceReportBlocks(7);
    const int surfaces[] = {0, 0, 0, 1, 1, 1, 2};
    const double tops[] = {0.05, 0.35, 0.65, 0.05, 0.35, 0.65, 0.05};
    for (std::size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(places[i].surface, surfaces[i]) << i;
        EXPECT_NEAR(places[i].top, tops[i], 1e-9) << i;
        EXPECT_EQ(places[i].firstOnSurface, i % 3 == 0) << i;
    }
    EXPECT_EQ(ReportLevels({1, 2, 5, 3}, 4), (std::vector<int>{1, 2}));
    EXPECT_EQ(ReportLevels({2, 4}, 4), (std::vector<int>{2, 4}));
}
