#include "ClassSheetRig.h"

#include "paper/ClassSheetDrawing.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(ClassSheetDrawing, LockedCellsAreShadedAndTheRestStayWhite) {
    SheetRig r;
    r.ran(1, 2, 50);
    r.overPractise(1, 2);
    const ClassSheet sheet = r.sheet();
    QImage image(1400, 990, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        DrawSheetPage(painter, QRectF(image.rect()), sheet,
                      PaginateSheet(sheet, kSheetRowsPerPage)[0]);
    }
    const SheetLayout layout = SheetLayoutFor(QRectF(image.rect()), 3);
    // A copier that knows only black and white: every pixel darker than mid-grey is black.
    const QImage copy = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    const auto darkShare = [&](int row, int level) {
        const QRect cell =
            layout.cellRect(layout.rowRect(row), level).adjusted(3, 3, -3, -3).toRect();
        int dark = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                dark += copy.pixelColor(x, y) == QColor(Qt::black);
        return double(dark) / (cell.width() * cell.height());
    };
    const struct {
        int row;
        int level;
        bool locked;
    } cells[] = {{0, 2, true}, {0, 1, false}, {1, 2, false}, {1, 3, false}};
    for (const auto& c : cells) {
        const QRectF cell = layout.cellRect(layout.rowRect(c.row), c.level);
        // Just inside the top left corner, clear of the rules and the text.
        const QColor corner = image.pixelColor((cell.topLeft() + QPointF(4, 4)).toPoint());
        EXPECT_EQ(corner == QColor(Qt::white), !c.locked) << c.row << ' ' << c.level;
        // Stripes survive the copy; an empty cell stays white.
        const double share = darkShare(c.row, c.level);
        EXPECT_EQ(share > 0.08, c.locked) << c.row << ' ' << c.level << ' ' << share;
        EXPECT_EQ(share == 0, !c.locked) << c.row << ' ' << c.level << ' ' << share;
    }
}
