#pragma once
// Paints the body of one page of the class progress sheet on a landscape
// surface (its header line is the page frame's): every position is a fraction
// of the surface, so the page looks the same on a printer, in a PDF and on an
// image. Names keep a legible size and are shortened with "…" instead.

#include "rules/ClassSheet.h"
#include "rules/WeakSpots.h"

#include <QColor>
#include <QRectF>

class QPainter;

inline constexpr int kSheetRowsPerPage = 24;
// A locked level: a light grey under dark hatching, which a copier that turns
// the grey white or black still shows as stripes.
inline const QColor kLockedShade(200, 200, 200);
inline const QColor kLockedHatch(70, 70, 70);
inline constexpr double kSheetNamePoints = 9; // the smallest a name is set

// Shades a cell of a locked level.
void ShadeLocked(QPainter& painter, const QRectF& cell);

// Where the parts of a sheet page go on a surface.
struct SheetLayout {
    QRectF head;    // the row of level names
    QRectF body;    // kSheetRowsPerPage student rows
    QRectF summary; // the classroom's figures, under a full page of rows
    QRectF legend;
    double idWidth = 0;
    double nameWidth = 0;
    double levelWidth = 0;

    QRectF rowRect(int row) const;                       // row 0.. of the body
    QRectF summaryUnder(int rows) const;                 // right under the last row
    QRectF cellRect(const QRectF& row, int level) const; // level 1..
};
SheetLayout SheetLayoutFor(const QRectF& surface, int levelCount);

void DrawSheetPage(QPainter& painter, const QRectF& surface, const ClassSheet& sheet,
                   const SheetPage& page);

// The grade's つまずき page: the page's students × the four kinds, each cell
// the share wrong and the leading class's initial, shaded by the share in
// dots that a copier keeps; the whole grade under the last page's rows; a
// legend of the initials and the shades.
void DrawWeakSpotPage(QPainter& painter, const QRectF& surface, const ClassSheet& sheet,
                      const SheetPage& page, const GradeWeakSpots& spots);
// Shades a cell by the share answered wrong: none under 10 %, then denser
// dots from 10 %, 25 % and 50 %.
void ShadeShareWrong(QPainter& painter, const QRectF& cell, double share);
