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
    // Just inside the top left corner of a cell, clear of the rules and the text.
    auto corner = [&](int row, int level) {
        const QRectF cell = layout.cellRect(layout.rowRect(row), level);
        return image.pixelColor((cell.topLeft() + QPointF(4, 4)).toPoint());
    };
    EXPECT_EQ(corner(0, 2), kLockedShade);
    EXPECT_EQ(corner(0, 1), QColor(Qt::white));
    EXPECT_EQ(corner(1, 2), QColor(Qt::white));
}
