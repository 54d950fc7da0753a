#include "screens/TextShapes.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace {

ShapedText Shape(const QString& text, const QFont& font, QPaintDevice* device, Qt::LayoutDirection direction) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(direction);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();

    ShapedText shaped;
    if (!line.isValid())
        return shaped;
    shaped.width = line.horizontalAdvance();
    const double baseline = line.ascent();
    for (QGlyphRun run : layout.glyphRuns()) {
        QList<QPointF> positions = run.positions();
        for (QPointF& position : positions)
            position.ry() -= baseline;
        run.setPositions(positions);
        shaped.runs.append(run);
    }
    return shaped;
}

} // namespace

const ShapedText& TextShapes::shape(const QPainter& painter, const QString& text) {
    QPaintDevice* device = painter.device();
    // A shape fits the resolution it was made at.
    if (device != device_ || device->logicalDpiX() != dpiX_ || device->logicalDpiY() != dpiY_) {
        shapes_.clear();
        device_ = device;
        dpiX_ = device->logicalDpiX();
        dpiY_ = device->logicalDpiY();
    }
    QHash<QString, ShapedText>& ofFont = shapes_[painter.font()];
    auto found = ofFont.find(text);
    if (found == ofFont.end())
        found = ofFont.insert(text, Shape(text, painter.font(), device, painter.layoutDirection()));
    return *found;
}

void TextShapes::draw(QPainter& painter, const QPointF& origin, const QString& text) {
    if (text.isEmpty() || painter.pen().style() == Qt::NoPen)
        return;
    for (const QGlyphRun& run : shape(painter, text).runs)
        painter.drawGlyphRun(origin, run);
}
