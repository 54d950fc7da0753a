// Texts shaped once and drawn again: the same widths and the same page as
// QPainter::drawText, whether the shape is new or taken from the store.

#include "paper/TextShapes.h"
#include "PdfTools.h"
#include "paper/ReportDrawing.h"

#include <QDir>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Texts of a report page: full-width and half-width blanks (leading, inner,
// trailing), figures, dates, a caption, and a text of blanks only.
const QStringList kTexts = {
    QStringLiteral("回数　　　　　　　 12回"),
    QStringLiteral("タイム  　　 　    本人 / 塾全体"),
    QStringLiteral("　　最高　　　　   63秒 /   17秒"),
    QStringLiteral("　　　　　　　　　　　　 (塾平均)"),
    QStringLiteral("2026/12/03"),
    QStringLiteral("円の公式ドリル レベル2"),
    QStringLiteral("1000秒 "),
    QStringLiteral("　 "),
};

QFont ReportFont(double points) {
    QFont font(kReportFontFamily);
    font.setPointSizeF(points);
    return font;
}

void SetUpPdf(QPrinter& printer, const QString& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// Each text on a line of its own, in two sizes, drawn by `draw` at the left end of its baseline.
void DrawTexts(QPainter& painter, const std::function<void(const QPointF&, const QString&)>& draw) {
    double y = 400;
    for (const double points : {9.0, 18.0}) {
        painter.setFont(ReportFont(points));
        for (const QString& text : kTexts) {
            draw(QPointF(300.25, y), text);
            y += 400;
        }
    }
}

} // namespace

TEST(TextShapes, WidthIsTheAdvanceOfTheText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, dir.filePath(QStringLiteral("widths.pdf")));
    QImage image(800, 600, QImage::Format_RGB32);
    for (QPaintDevice* device : std::initializer_list<QPaintDevice*>{&printer, &image}) {
        QPainter painter(device);
        TextShapes shapes;
        for (const double points : {6.0, 9.0, 18.0}) {
            painter.setFont(ReportFont(points));
            const QFontMetricsF metrics(painter.font(), device);
            for (const QString& text : kTexts) {
                SCOPED_TRACE(QStringLiteral("%1 pt at %2 dpi: %3")
                                 .arg(points)
                                 .arg(device->logicalDpiY())
                                 .arg(text)
                                 .toStdString());
                EXPECT_DOUBLE_EQ(shapes.shape(painter, text).width,
                                 metrics.horizontalAdvance(text));
                // Taken from the store the second time, unchanged.
                EXPECT_DOUBLE_EQ(shapes.shape(painter, text).width,
                                 metrics.horizontalAdvance(text));
            }
        }
    }
}

// Page 1 drawn by QPainter::drawText, page 2 from new shapes, page 3 from the
// same shapes again: the three read and look the same.
TEST(TextShapes, ShapedPagesReadAndLookAsDrawnText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("texts.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        SetUpPdf(printer, pdf);
        QPainter painter(&printer);
        DrawTexts(painter, [&](const QPointF& origin, const QString& text) {
            painter.drawText(origin, text);
        });
        TextShapes shapes;
        for (int pass = 0; pass < 2; ++pass) {
            printer.newPage();
            DrawTexts(painter, [&](const QPointF& origin, const QString& text) {
                shapes.draw(painter, origin, text);
            });
        }
    }

    QStringList pages =
        QString::fromUtf8(RunPdfTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-layout"), pdf, QStringLiteral("-")}))
            .split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("本人 / 塾全体")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("1000秒")));
    EXPECT_EQ(pages[1], pages[0]);
    EXPECT_EQ(pages[2], pages[0]);

    RunPdfTool(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"), pdf,
                dir.filePath(QStringLiteral("page"))});
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("page*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 3);
    const QImage drawn(dir.filePath(files[0]));
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(QImage(dir.filePath(files[1])), drawn);
    EXPECT_EQ(QImage(dir.filePath(files[2])), drawn);
}
