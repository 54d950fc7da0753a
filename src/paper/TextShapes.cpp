#include "paper/TextShapes.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace {

// Blanks leave no mark, and each glyph is a command of the page's content
// stream: the table's blank padding would be most of a report page. Text
// extraction reads the gaps as blanks all the same.
QGlyphRun MarkingGlyphs(const QGlyphRun& run, double baseline) {
    const QList<quint32> blanks = run.rawFont().glyphIndexesForString(QStringLiteral(" \u3000"));
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    QList<quint32> kept;
    QList<QPointF> keptPositions;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        if (blanks.contains(glyphs[i])) continue;
        kept.append(glyphs[i]);
        keptPositions.append(positions[i] - QPointF(0, baseline));
    }
    QGlyphRun marking = run;
    marking.setGlyphIndexes(kept);
    marking.setPositions(keptPositions);
    return marking;
}

ShapedText Shape(const QString& text, const QFont& font, QPaintDevice* device,
                 Qt::LayoutDirection direction) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(direction);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();

    ShapedText shaped;
    if (!line.isValid()) return shaped;
    shaped.width = line.horizontalAdvance();
    const double baseline = line.ascent();
    for (const QGlyphRun& run : layout.glyphRuns())
        shaped.runs.append(MarkingGlyphs(run, baseline));
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
    if (text.isEmpty() || painter.pen().style() == Qt::NoPen) return;
    for (const QGlyphRun& run : shape(painter, text).runs)
        painter.drawGlyphRun(origin, run);
}
