#include "TestDoubles.h"

#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "rules/StudentReport.h"
#include "screens/LevelBoard.h"
#include "screens/ReportDrawing.h"
#include "screens/ReportPanel.h"
#include "widgets/Screen.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QDate kToday(2026, 12, 9);
constexpr int kLevels = 4;

CriteriaValue Number(double value) {
    return {CriteriaValue::Kind::Number, value, {}};
}

// A classroom of four levels and three students (the third with a name longer
// than the rankings' five-character name field), in a temporary installation.
struct ReportRig {
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;

    ReportRig() {
        rig.clock.current = QDateTime(kToday, QTime(10, 0));
        state.folders.DataFolder = install.dataFolder();
        state.folders.CommonFolder = install.dataRoot();
        state.common.YearStartMonth = 4;
        SetProgramIdentity(state);
        BuildLevelTable(state);
        state.levels.ProgramTitle = QStringLiteral("円の公式");
        state.levels.LevelCount = kLevels;
        state.levels.LastLevel = kLevels;
        for (int level = 1; level <= kMaxLevel; ++level) {
            state.levels.LevelNames[level] = QStringLiteral("レベル%1").arg(level);
            state.criteria.TargetTime[level] = 60;
            state.criteria.LowestTime[level] = 120;
            state.criteria.ClearPoint[level] = 50;
            state.criteria.ClearCount[level] = 3;
            state.criteria.PointRate[level] = 1;
            state.criteria.PassDays[level] = Number(7);
            state.criteria.OverdoDays[level] = Number(1);
        }
        state.counts.BestTime.fill(99999);
        install.writeText(install.dataRoot() + kRosterFileName,
                          QStringLiteral("1,2015,0,0,山田太郎,0,,\n"
                                         "2,2014,0,0,佐藤花子,0,,\n"
                                         "3,2013,0,0,長谷川ひかりさん,0,,\n"
                                         "4,2012,0,0,休会中,1,,\n"));
        ReadBoardRoster(state);
        RosterTables& r = state.roster;
        r.RosterCount = 3;
        for (int row = 1; row <= 3; ++row) {
            r.RosterId[row] = int16_t(row);
            r.RosterBirthYear[row] = int16_t(2016 - row);
        }
        state.SeasonColor = SeasonColorForMonth(12);
        state.session.StudentGrade = QStringLiteral("小５");
        state.session.LoginTime = rig.clock.monotonic;
        state.session.StudentNo = 1;
        state.session.StudentName = QStringLiteral("山田太郎");
    }

    static ResultRecord record(int student, int level, int32_t result, int daysAgo = 0) {
        ResultRecord r;
        r.date = ToOleDay(kToday.addDays(-daysAgo));
        r.timeOfDay = ToOleTimeOfDay(QTime(9, 30));
        r.student = int16_t(student);
        r.level = int16_t(level);
        r.result = result;
        return r;
    }
    void append(const std::vector<ResultRecord>& records) {
        for (const ResultRecord& r : records)
            AppendRecord(ResultsFilePath(state), r);
    }
    ReportData build(int student, int level, const std::vector<ResultRecord>& records,
                     const ReportSettings& settings = {}) {
        return BuildReportData(state, student, level, records, kToday, settings);
    }
};

// A block of one student's runs on level 1, all today.
ReportData BlockOf(const std::vector<int32_t>& results) {
    ReportData data;
    data.student = 1;
    data.level = 1;
    data.studentName = QStringLiteral("山田太郎");
    data.levelCaption = QStringLiteral("円の公式 レベル1");
    for (const int32_t r : results) {
        data.runs.push_back({ToOleDay(kToday), r});
        if (r < kReportCountedBelow) {
            ++data.ownCount;
            data.ownSum += r;
            data.ownLargest = std::max(data.ownLargest, r);
        }
        data.classBest = std::min(data.classBest, r);
    }
    data.classCount = data.ownCount;
    data.classSum = data.ownSum;
    return data;
}

bool Near(QRgb pixel, const QColor& colour, int tolerance = 60) {
    return std::abs(qRed(pixel) - colour.red()) <= tolerance &&
           std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
           std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

int CountNear(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Near(image.pixel(x, y), colour) ? 1 : 0;
    return count;
}

// A drawing area the size of the panel's, at the screen's resolution.
QImage ScreenSurface() {
    QImage image(820, 636, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(kReportBackground);
    return image;
}

QPoint PixelOf(const QImage& image, const BlockPlace& place, const GraphPoint& point) {
    const double f = image.width() / 2.0;
    const double c = image.height() / 3.0;
    return QPoint(int(std::lround(point.x * f)),
                  int(std::lround(place.top * image.height() + point.y * c)));
}

// Prints the blocks into a PDF and rasterises its pages at 50 dpi; returns the page images.
std::vector<QImage> PrintedPages(const QTemporaryDir& dir,
                                 const std::function<void(QPrinter&)>& print) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    print(printer);
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                    dir.filePath(QStringLiteral("report.pdf")),
                    dir.filePath(QStringLiteral("page"))});
    EXPECT_TRUE(pdftoppm.waitForFinished(30000));
    EXPECT_EQ(pdftoppm.exitCode(), 0) << pdftoppm.readAllStandardError().toStdString();
    std::vector<QImage> pages;
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        pages.push_back(QImage(dir.filePath(file)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

std::vector<QString> Texts(const std::vector<TableRow>& rows) {
    std::vector<QString> texts;
    for (const TableRow& row : rows)
        texts.push_back(row.text);
    return texts;
}

} // namespace

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
                  QStringLiteral("　　最高　　　　       /99999秒"),
                  QStringLiteral("ポイント  　　　"),
                  QStringLiteral("　　順位　　　　     位"),
                  QStringLiteral("　　獲得ポイント     点"),
                  QStringLiteral("　　　　　　　　　　　　 (塾平均)"),
              }));
    EXPECT_EQ(ReportTableRows(empty, {}).back().slot, 9.5);

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

TEST(StudentReport, LabelsNameTheScaleTheBestsAndShortenDatesOfTheSameYear) {
    EXPECT_TRUE(GraphLabels(BlockOf({}), {}).empty());
    EXPECT_EQ(ReportDateLabel(ToOleDay(QDate(2026, 3, 4))), QStringLiteral("2026/03/04"));
    EXPECT_EQ(ReportDateLabel(ToOleDay(QDate(2026, 3, 4)), ToOleDay(QDate(2026, 1, 9))),
              QStringLiteral("03/04"));
    EXPECT_EQ(ReportDateLabel(ToOleDay(QDate(2026, 3, 4)), ToOleDay(QDate(2025, 12, 9))),
              QStringLiteral("2026/03/04"));

    // Eight bests: the third and sixth get labels of their own, and the first and last.
    ReportData data = BlockOf({80, 70, 60, 50, 40, 30, 20, 10});
    const std::vector<GraphPoint> points = GraphPoints(data);
    QStringList texts;
    for (const GraphLabel& label : GraphLabels(data, points))
        texts << label.text;
    EXPECT_EQ(
        texts,
        (QStringList{QStringLiteral("2026/12/09"), QStringLiteral("0秒"), QStringLiteral("90秒"),
                     QStringLiteral("80秒"), QStringLiteral("2026/12/09"), QStringLiteral("60秒"),
                     QStringLiteral("12/09"), QStringLiteral("30秒"), QStringLiteral("12/09"),
                     QStringLiteral("10秒"), QStringLiteral("12/09")}));
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

// ---- Drawing ------------------------------------------------------------------

TEST(ReportDrawing, BestLineJoinsTheRedDotsOnlyAndSlowRunsArePlotted) {
    QImage image = ScreenSurface();
    const ReportData data = BlockOf({50, 55, 40, 45, 30, 1900});
    const BlockPlace place{0, 0.35, false};
    {
        QPainter painter(&image);
        DrawReportBlock(painter, QRectF(image.rect()), place, data, {6, false});
    }
    const std::vector<GraphPoint> points = GraphPoints(data);
    for (const GraphPoint& point : points)
        EXPECT_TRUE(Near(image.pixel(PixelOf(image, place, point)),
                         point.best ? kBestColour : kRunColour, 30))
            << point.result;
    EXPECT_NEAR(points[5].y, 0.1, 1e-9);

    const QPoint best0 = PixelOf(image, place, points[0]);
    const QPoint best2 = PixelOf(image, place, points[2]);
    const QPoint best4 = PixelOf(image, place, points[4]);
    EXPECT_TRUE(Near(image.pixel((best0 + best2) / 2), kBestColour, 30));
    EXPECT_TRUE(Near(image.pixel((best2 + best4) / 2), kBestColour, 30));
    // Nothing joins a best to the blue run after it.
    const QPoint blue1 = PixelOf(image, place, points[1]);
    const QPoint between = (best0 + blue1) / 2;
    EXPECT_FALSE(Near(image.pixel(between), kBestColour));
    EXPECT_FALSE(Near(image.pixel(between), kRunColour));

    // The x axis is drawn in black across the block.
    const double f = image.width() / 2.0;
    const int axisY = int(std::lround(0.35 * image.height() + 0.8 * image.height() / 3.0));
    EXPECT_LT(qGray(image.pixel(int(0.5 * f), axisY)), 80);
}

TEST(ReportDrawing, EmptyGraphHasNoDotsAndNoLine) {
    QImage image = ScreenSurface();
    {
        QPainter painter(&image);
        DrawReportBlock(painter, QRectF(image.rect()), {0, 0.05, true}, BlockOf({}), {6, false});
    }
    EXPECT_EQ(CountNear(image, image.rect(), kBestColour), 0);
    EXPECT_EQ(CountNear(image, image.rect(), kRunColour), 0);
    // The frame and the texts are drawn.
    EXPECT_GT(CountNear(image, image.rect(), Qt::black), 200);
}

TEST(ReportDrawing, FourLevelsPrintOnTwoPages) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<ReportData> blocks = {BlockOf({50, 40}), BlockOf({60, 30}), BlockOf({}),
                                            BlockOf({45, 35})};
    const std::vector<QImage> pages = PrintedPages(dir, [&](QPrinter& printer) {
        QPainter painter(&printer);
        const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
        DrawReportRun(painter, page, blocks, {6, true}, [&printer] { printer.newPage(); });
    });
    ASSERT_EQ(pages.size(), 2u);
    const QImage& first = pages[0];
    const int h = first.height();
    const int w = first.width();
    // First page: red in the first two blocks, none in the third (no runs).
    EXPECT_GT(CountNear(first, QRect(0, int(0.05 * h), w, int(0.3 * h)), kBestColour), 0);
    EXPECT_GT(CountNear(first, QRect(0, int(0.35 * h), w, int(0.3 * h)), kBestColour), 0);
    EXPECT_EQ(CountNear(first, QRect(0, int(0.65 * h), w, int(0.3 * h)), kBestColour), 0);
    // Second page: only the fourth block, at the top.
    EXPECT_GT(CountNear(pages[1], QRect(0, int(0.05 * h), w, int(0.3 * h)), kBestColour), 0);
    EXPECT_EQ(CountNear(pages[1], QRect(0, int(0.35 * h), w, h - int(0.35 * h)), kBestColour), 0);
    EXPECT_GT(CountNear(pages[1], QRect(0, 0, w, int(0.35 * h)), Qt::black), 0);
}

// ---- The panel ----------------------------------------------------------------

TEST(ReportPanel, GraphButtonDrawsTheFirstThreeLevelsOfTheStudent) {
    ReportRig r;
    r.append({r.record(1, 1, 50), r.record(1, 1, 40), r.record(2, 1, 30), r.record(1, 3, 70)});
    QWidget board;
    board.resize(kWindowWidth, kWindowHeight);
    ReportPanel panel(
        r.state, [] { return ReportSettings{}; }, &board);
    board.show();
    panel.showForStudent(1);

    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.pos(), QPoint(Px(120), Px(1740)));
    auto* levels = panel.findChild<QListWidget*>(QStringLiteral("List3"));
    auto* students = panel.findChild<QListWidget*>(QStringLiteral("List2"));
    ASSERT_NE(levels, nullptr);
    ASSERT_NE(students, nullptr);
    ASSERT_EQ(levels->count(), kLevels);
    EXPECT_EQ(levels->selectedItems().size(), 3);
    EXPECT_FALSE(levels->item(3)->isSelected());
    EXPECT_TRUE(students->isHidden());
    EXPECT_TRUE(
        panel.findChild<QPushButton*>(QStringLiteral("Command24_1"))->isHidden()); // not a teacher

    const QImage& drawing = panel.drawing();
    const int third = drawing.height() / 3;
    EXPECT_GT(CountNear(drawing, QRect(0, 0, drawing.width(), third), kBestColour), 0);
    EXPECT_EQ(CountNear(drawing, QRect(0, third, drawing.width(), third), kBestColour), 0);

    // Other students: the list shows in text order, a chosen line is drawn.
    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("Command25")), Qt::LeftButton);
    EXPECT_FALSE(students->isHidden());
    EXPECT_TRUE(panel.findChild<QPushButton*>(QStringLiteral("Command25"))->isHidden());
    QStringList lines;
    for (int row = 0; row < students->count(); ++row)
        lines << students->item(row)->text();
    EXPECT_EQ(lines, (QStringList{QStringLiteral("中１ /  長谷川ひかりさん/3"),
                                  QStringLiteral("小５ /  山田太郎/1"),
                                  QStringLiteral("小６ /  佐藤花子/2")}));
    students->item(2)->setSelected(true);
    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("Command24_0")), Qt::LeftButton);
    EXPECT_EQ(panel.reportStudent(), 2);

    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("Command18")), Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
}

TEST(ReportPanel, TeachersPrintEveryChosenStudentFromANewPage) {
    ReportRig r;
    r.state.session.StudentName = QStringLiteral("田中先生");
    r.append({r.record(1, 1, 50), r.record(2, 1, 30)});
    QWidget board;
    ReportPanel panel(
        r.state, [] { return ReportSettings{}; }, &board);
    panel.showForStudent(1);
    EXPECT_FALSE(panel.findChild<QPushButton*>(QStringLiteral("Command24_1"))->isHidden());

    auto* levels = panel.findChild<QListWidget*>(QStringLiteral("List3"));
    levels->item(3)->setSelected(true);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(PrintedPages(dir, [&](QPrinter& printer) { panel.printReports(printer); }).size(),
              2u);

    QTemporaryDir two;
    ASSERT_TRUE(two.isValid());
    levels->clearSelection();
    levels->item(0)->setSelected(true);
    auto* students = panel.findChild<QListWidget*>(QStringLiteral("List2"));
    students->item(0)->setSelected(true);
    students->item(1)->setSelected(true);
    EXPECT_EQ(PrintedPages(two, [&](QPrinter& printer) { panel.printReports(printer); }).size(),
              2u);
}

// A machine without a printer: the print button writes the reports into a PDF
// file in the home folder and tells the teacher where it is.
TEST(ReportPanel, WithoutAPrinterThePrintButtonWritesAPdfAndSaysWhere) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    struct Case {
        const char* what;
        QString homeFolder;
        bool written;
    };
    for (const Case& c :
         {Case{"writable home", home.path(), true},
          Case{"home folder missing", home.filePath(QStringLiteral("gone")), false}}) {
        SCOPED_TRACE(c.what);
        qputenv("HOME", QFile::encodeName(c.homeFolder));
        ReportRig r;
        r.state.session.StudentName = QStringLiteral("田中先生");
        r.append({r.record(1, 1, 50), r.record(2, 1, 30)});
        QWidget board;
        ReportPanel panel(
            r.state, [] { return ReportSettings{}; }, &board);
        board.show();
        panel.showForStudent(1);
        panel.findChild<QListWidget*>(QStringLiteral("List3"))
            ->item(3)
            ->setSelected(true); // four levels: two pages
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("Command24_1")),
                          Qt::LeftButton);

        const QString file =
            QDir(c.homeFolder).filePath(QStringLiteral("成績グラフ_20261209_100000.pdf"));
        ASSERT_EQ(r.rig.dialogs.shown.size(), 1u);
        EXPECT_EQ(r.rig.dialogs.shown[0].title, QStringLiteral("印刷"));
        EXPECT_TRUE(r.rig.dialogs.shown[0].text.contains(QDir::toNativeSeparators(file)));
        EXPECT_EQ(r.rig.dialogs.shown[0].text.contains(QStringLiteral("書き出しました")),
                  c.written);
        EXPECT_EQ(QFileInfo::exists(file), c.written);
        if (c.written) {
            QProcess info;
            info.start(QStringLiteral("pdfinfo"), {file});
            ASSERT_TRUE(info.waitForFinished(10000));
            EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                            .contains(QRegularExpression("Pages:\\s+2\\b")));
        }
    }
    qputenv("HOME", oldHome);
}

TEST(ReportPanel, TheBoardsGraphButtonOpensThePanel) {
    ReportRig r;
    r.append({r.record(1, 1, 50)});
    ScreenHost host;
    host.show();
    LevelBoard* board = host.open<LevelBoard>(r.state);
    QTest::mouseClick(board->findChild<QRadioButton*>(QStringLiteral("Option2_2")), Qt::LeftButton);
    auto* graph = board->findChild<QPushButton*>(QStringLiteral("Command17"));
    ASSERT_NE(graph, nullptr);
    ASSERT_FALSE(graph->isHidden());
    QTest::mouseClick(graph, Qt::LeftButton);
    auto* panel = board->findChild<ReportPanel*>(QStringLiteral("Picture11"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->reportStudent(), 1);

    // Switching the display mode hides it.
    QTest::mouseClick(board->findChild<QRadioButton*>(QStringLiteral("Option2_0")), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
}
