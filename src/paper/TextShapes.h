#pragma once
// Texts shaped once and drawn many times: the pages of a class report repeat
// the same captions, labels and figures, and shaping a text costs more than
// drawing its glyphs. A shape holds the glyphs where QPainter::drawText would
// put them, blanks left out, so drawing it leaves the same marks on the page.

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

class QPainter;
class QPaintDevice;

struct ShapedText {
    QList<QGlyphRun> runs; // the glyphs that mark, positions from the left end of the baseline
    double width = 0;      // the advance, trailing blanks included
};

// The shapes of the texts drawn on one device, by font and text.
class TextShapes {
  public:
    // The text in the painter's font on the painter's device.
    const ShapedText& shape(const QPainter& painter, const QString& text);
    // Draws the text in the painter's font and pen with the left end of its
    // baseline at `origin`, as QPainter::drawText(origin, text) does.
    void draw(QPainter& painter, const QPointF& origin, const QString& text);

  private:
    const QPaintDevice* device_ = nullptr;
    int dpiX_ = 0;
    int dpiY_ = 0;
    QHash<QFont, QHash<QString, ShapedText>> shapes_;
};
