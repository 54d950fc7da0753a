#include "paper/PageFrame.h"

#include "paper/ReportDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace {
constexpr double kHeaderPoints = 10;
constexpr double kFooterPoints = 9;
// A band is its text's size and as much again around it.
constexpr double kBandLines = 2;
constexpr double kPointsPerInch = 72;

QFont PageFont(double points, const QPainter& painter) {
    QFont font(kReportFontFamily);
    font.setPointSizeF(points);
    return QFont(font, painter.device());
}
} // namespace

PageBands SplitPage(const QRectF& printable, double dpi) {
    const double header = kBandLines * kHeaderPoints * dpi / kPointsPerInch;
    const double footer = kBandLines * kFooterPoints * dpi / kPointsPerInch;
    PageBands bands;
    bands.header = QRectF(printable.left(), printable.top(), printable.width(), header);
    bands.footer = QRectF(printable.left(), printable.bottom() - footer, printable.width(), footer);
    bands.body = QRectF(printable.left(), bands.header.bottom(), printable.width(),
                        bands.footer.top() - bands.header.bottom());
    return bands;
}

void DrawPageFrame(QPainter& painter, const PageBands& bands, const PageHeading& heading, int page,
                   int pages, const QString& footNote) {
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(PageFont(kHeaderPoints, painter));
    const QFontMetricsF header(painter.font(), painter.device());
    painter.drawText(bands.header, Qt::AlignLeft | Qt::AlignVCenter,
                     HeadingLine(heading, bands.header.width(), [&header](const QString& text) {
                         return header.horizontalAdvance(text);
                     }));
    painter.setFont(PageFont(kFooterPoints, painter));
    painter.drawText(bands.footer, Qt::AlignHCenter | Qt::AlignVCenter, PageFooter(page, pages));
    if (!footNote.isEmpty())
        painter.drawText(bands.footer, Qt::AlignLeft | Qt::AlignVCenter, footNote);
    painter.restore();
}
