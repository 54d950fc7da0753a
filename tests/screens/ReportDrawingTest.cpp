#include "PdfTools.h"
#include "ReportRig.h"
#include "TestDoubles.h"

#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "paper/ReportDrawing.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "rules/StudentReport.h"
#include "screens/LevelBoard.h"
#include "screens/ReportPanel.h"
#include "widgets/Screen.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

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
    RunPdfTool(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                dir.filePath(QStringLiteral("report.pdf")), dir.filePath(QStringLiteral("page"))});
    std::vector<QImage> pages;
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        pages.push_back(QImage(dir.filePath(file)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

} // namespace

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
    for (const GraphPoint& point : points) {
        const QColor colour = point.best ? kBestColour : kRunColour;
        const QPoint pixel = PixelOf(image, place, point);
        // A dot is filled; a mark over the scale is an open triangle round its point.
        if (point.offScale)
            EXPECT_GT(CountNear(image, QRect(pixel - QPoint(6, 6), QSize(13, 13)), colour), 4)
                << point.result;
        else
            EXPECT_TRUE(Near(image.pixel(pixel), colour, 30)) << point.result;
    }
    EXPECT_TRUE(points[5].offScale);
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

    // The three blocks over the つまずき block in the band under them.
    const QImage& drawing = panel.drawing();
    const int upper = int(drawing.height() * (1 - kWeakSpotBand));
    const int third = upper / 3;
    EXPECT_GT(CountNear(drawing, QRect(0, 0, drawing.width(), third), kBestColour), 0);
    EXPECT_EQ(CountNear(drawing, QRect(0, third, drawing.width(), third), kBestColour), 0);
    EXPECT_GT(CountNear(drawing, QRect(0, upper + 2, drawing.width(), drawing.height() - upper - 2),
                        Qt::black),
              0);

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
#ifdef _WIN32
    // Windows takes the home folder from the account, not from a variable.
    const std::vector<Case> cases{{"the account's home folder", QDir::homePath(), true}};
#else
    const std::vector<Case> cases{
        {"writable home", home.path(), true},
        {"home folder missing", home.filePath(QStringLiteral("gone")), false}};
#endif
    for (const Case& c : cases) {
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
            EXPECT_TRUE(QString::fromUtf8(RunPdfTool(QStringLiteral("pdfinfo"), {file}))
                            .contains(QRegularExpression("Pages:\\s+2\\b")));
            QFile::remove(file);
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
