#include "paper/ReportDrawing.h"

#include "paper/TextShapes.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>

#include <optional>

namespace {

constexpr double kScreenDpi = 96;
constexpr double kRuleWidth = 2;
constexpr double kBestLineWidth = 3;
constexpr double kDotWidth = 5;
constexpr double kCaptionLeft = 0.7; // fractions of f
constexpr double kTableLeft = 1.05;
constexpr double kCaptionGap = 0.02;
constexpr double kLowerRule = 0.09;      // fractions of C
constexpr double kTableUnderRule = 0.02; // the table's first line keeps clear of the rule
constexpr double kTableEnd = 0.89;       // the last row ends above the next block
constexpr double kMarkWidth = 9;         // screen pixels across a mark off the scale

// The block's own coordinates: x as a fraction of f, y as a fraction of C
// down from the block's top.
class BlockFrame {
  public:
    BlockFrame(QPainter& painter, TextShapes& shapes, const QRectF& surface, double top)
        : painter_(painter), shapes_(shapes), surface_(surface), f_(surface.width() / 2),
          c_(surface.height() / 3), y0_(surface.top() + top * surface.height()),
          pixel_(painter.device()->logicalDpiY() / kScreenDpi) {}

    QPointF at(double x, double y) const { return {surface_.left() + x * f_, y0_ + y * c_}; }
    double c() const { return c_; }
    double top() const { return y0_; }
    const QRectF& surface() const { return surface_; }

    void setPen(const QColor& colour, double screenPixels) {
        QPen pen(colour, screenPixels * pixel_);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter_.setPen(pen);
    }
    void setFont(double points) {
        QFont font(kReportFontFamily);
        font.setPointSizeF(points);
        painter_.setFont(font);
        metrics_.emplace(painter_.font(), painter_.device());
    }
    // Text with its top left corner at the point; returns the rectangle it takes.
    QRectF text(const QPointF& topLeft, const QString& text) {
        painter_.setPen(Qt::black);
        shapes_.draw(painter_, topLeft + QPointF(0, metrics_->ascent()), text);
        return QRectF(topLeft, QSizeF(textWidth(text), metrics_->height()));
    }
    double textWidth(const QString& text) const { return shapes_.shape(painter_, text).width; }
    double textHeight() const { return metrics_->height(); }
    // The text as wide as `room` at most, shortened with "…".
    QString elided(const QString& text, double room) const {
        return metrics_->elidedText(text, Qt::ElideRight, room);
    }
    // A text's size in the block's units (fractions of f and of C).
    QSizeF measure(const QString& text) const {
        return {textWidth(text) / f_, metrics_->height() / c_};
    }
    double f() const { return f_; }
    void dot(const QPointF& centre, const QColor& colour) {
        const double radius = kDotWidth * pixel_ / 2;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour);
        painter_.drawEllipse(centre, radius, radius);
        painter_.setBrush(Qt::NoBrush);
    }
    // A run off the scale: an open triangle pointing up, on the top of the frame.
    void offScaleMark(const QPointF& centre, const QColor& colour) {
        const double half = kMarkWidth * pixel_ / 2;
        setPen(colour, 1.5);
        painter_.setBrush(Qt::white);
        painter_.drawPolygon(QPolygonF{centre + QPointF(0, -half), centre + QPointF(half, half),
                                       centre + QPointF(-half, half)});
        painter_.setBrush(Qt::NoBrush);
    }
    QPainter& painter() { return painter_; }

  private:
    QPainter& painter_;
    TextShapes& shapes_;
    QRectF surface_;
    double f_;
    double c_;
    double y0_;
    double pixel_;
    std::optional<QFontMetricsF> metrics_; // of the font last set
};

void DrawHeading(BlockFrame& block, const BlockPlace& place, const ReportData& data,
                 const ReportStyle& style) {
    if (place.firstOnSurface) {
        // The name keeps its size; one too long for the page is shortened.
        block.setFont(3 * style.baseFontSize);
        const QRectF& s = block.surface();
        const double left = 0.01 * s.width() / 2;
        block.text({s.left() + left, s.top() + 0.02 * block.c()},
                   block.elided(data.studentName, s.width() - 2 * left));
    }
    block.setPen(Qt::black, kRuleWidth);
    for (const double y : {0.0, kLowerRule})
        block.painter().drawLine(QLineF(block.surface().left(), block.top() + y * block.c(),
                                        block.surface().right(), block.top() + y * block.c()));
    // A long caption is set smaller rather than run into the table beside it.
    const double captionSize = (style.printer ? 3 : 2) * style.baseFontSize;
    block.setFont(captionSize);
    const double room = (kTableLeft - kCaptionLeft - kCaptionGap) * block.f();
    const double width = block.textWidth(data.levelCaption);
    if (width > room) block.setFont(captionSize * room / width);
    block.text(block.at(kCaptionLeft, 0.01), data.levelCaption);
}

void DrawGraph(BlockFrame& block, const ReportData& data, const std::vector<GraphPoint>& points,
               double labelFontSize) {
    block.setPen(Qt::black, kRuleWidth);
    block.painter().drawLine(block.at(0.2, 0.8), block.at(0.9, 0.8));
    block.painter().drawLine(block.at(0.2, 0.8), block.at(0.2, 0.1));

    QPolygonF bestLine;
    for (const GraphPoint& point : points)
        if (point.best) bestLine << block.at(point.x, point.y);
    block.setPen(kBestColour, kBestLineWidth);
    block.painter().drawPolyline(bestLine);
    for (const GraphPoint& point : points) {
        const QColor colour = point.best ? kBestColour : kRunColour;
        if (point.offScale)
            block.offScaleMark(block.at(point.x, point.y), colour);
        else
            block.dot(block.at(point.x, point.y), colour);
    }

    block.setFont(labelFontSize);
    for (const GraphLabel& label :
         GraphLabels(data, points, [&block](const QString& text) { return block.measure(text); }))
        block.text(block.at(label.x, label.y), label.text);
}

// The rows start under the heading's lower rule, closer together when the
// block is too short for the usual spacing.
void DrawTable(BlockFrame& block, const std::vector<TableRow>& rows, double fontSize,
               bool printer) {
    block.setFont(fontSize);
    const double lineHeight = block.textHeight() / block.c();
    const double top = kLowerRule + kTableUnderRule;
    const double lastSlot = rows.empty() ? 1 : std::max(rows.back().slot, 1.0);
    const double rowHeight =
        std::min(printer ? 0.06 : 0.08, (kTableEnd - top - lineHeight) / lastSlot);
    for (const TableRow& row : rows)
        block.text(block.at(kTableLeft, top + row.slot * rowHeight), row.text);
}

} // namespace

void DrawReportBlock(QPainter& painter, const QRectF& surface, const BlockPlace& place,
                     const ReportData& data, const ReportStyle& style) {
    TextShapes shapes;
    DrawReportBlock(painter, surface, place, data, style, shapes);
}

void DrawReportBlock(QPainter& painter, const QRectF& surface, const BlockPlace& place,
                     const ReportData& data, const ReportStyle& style, TextShapes& shapes) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    BlockFrame block(painter, shapes, surface, place.top);
    DrawHeading(block, place, data, style);
    const std::vector<GraphPoint> points = GraphPoints(data);
    const double tableFontSize = 1.5 * style.baseFontSize;
    DrawTable(block, ReportTableRows(data, points), tableFontSize, style.printer);
    DrawGraph(block, data, points, tableFontSize);
    painter.restore();
}

void DrawReportRun(QPainter& painter, const QRectF& surface, const std::vector<ReportData>& blocks,
                   const ReportStyle& style, const std::function<void()>& startNewSurface) {
    TextShapes shapes;
    DrawReportRun(painter, surface, blocks, style, startNewSurface, shapes);
}

void DrawReportRun(QPainter& painter, const QRectF& surface, const std::vector<ReportData>& blocks,
                   const ReportStyle& style, const std::function<void()>& startNewSurface,
                   TextShapes& shapes) {
    const std::vector<BlockPlace> places = PlaceReportBlocks(int(blocks.size()));
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (i > 0 && places[i].surface != places[i - 1].surface) startNewSurface();
        DrawReportBlock(painter, surface, places[i], blocks[i], style, shapes);
    }
}

void DrawWeakSpotsBlock(QPainter& painter, const QRectF& band, const QStringList& lines,
                        const ReportStyle& style, TextShapes& shapes) {
    if (lines.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double pixel = painter.device()->logicalDpiY() / kScreenDpi;
    painter.setPen(QPen(Qt::black, kRuleWidth * pixel));
    painter.drawLine(QLineF(band.topLeft(), band.topRight()));

    const double left = band.left() + 0.01 * band.width();
    const double room = band.width() - 2 * (left - band.left());
    QFont caption(kReportFontFamily);
    caption.setPointSizeF(2 * style.baseFontSize);
    QFont table(kReportFontFamily);
    table.setPointSizeF(1.5 * style.baseFontSize);
    const double captionHeight = QFontMetricsF(caption, painter.device()).height();
    const double tableRows = lines.size() - 1;
    const double tableRoom = band.height() - captionHeight - 0.05 * band.height();
    const double wanted = QFontMetricsF(table, painter.device()).height() * tableRows;
    if (wanted > tableRoom) table.setPointSizeF(table.pointSizeF() * tableRoom / wanted);

    painter.setPen(Qt::black);
    painter.setFont(caption);
    double y = band.top() + 0.03 * band.height();
    shapes.draw(painter, {left, y + QFontMetricsF(caption, painter.device()).ascent()},
                lines.front());
    y += captionHeight;
    painter.setFont(table);
    const QFontMetricsF metrics(table, painter.device());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        shapes.draw(painter, {left, y + metrics.ascent()},
                    metrics.elidedText(lines[i], Qt::ElideRight, room));
        y += metrics.height();
    }
    painter.restore();
}

void DrawReportRunWithWeakSpots(QPainter& painter, const QRectF& surface,
                                const std::vector<ReportData>& blocks,
                                const QStringList& weakSpotLines, const ReportStyle& style,
                                const std::function<void()>& startNewSurface, TextShapes& shapes) {
    const double upperHeight = surface.height() * (1 - kWeakSpotBand);
    const QRectF upper(surface.topLeft(), QSizeF(surface.width(), upperHeight));
    const QRectF band(surface.left(), surface.top() + upperHeight, surface.width(),
                      surface.height() - upperHeight);
    DrawWeakSpotsBlock(painter, band, weakSpotLines, style, shapes);
    DrawReportRun(
        painter, upper, blocks, style,
        [&] {
            startNewSurface();
            DrawWeakSpotsBlock(painter, band, weakSpotLines, style, shapes);
        },
        shapes);
}
