#pragma once
// Worksheets on A4 portrait: each problem as the drill shows it (the circle
// with its diameter or radius line and the labelled length, the instruction,
// the candidate numbers) with blanks shaped like its formula and room to
// work; the answer key on a page of its own. Black lines and text only, thick
// enough to survive a black-and-white photocopy.

#include "rules/Worksheet.h"

#include <QRectF>

#include <vector>

class QPagedPaintDevice;
class QPainter;

// One page of a sheet into the body of a page frame.
void DrawWorksheetPage(QPainter& painter, const QRectF& body, const Worksheet& sheet,
                       const WorksheetPage& page, const WorksheetSettings& settings);

// Every sheet with its pages framed (header line, "No. … / レベル … / … 問" and
// "k / n" at the foot, counted within the sheet) on a device that no painter is
// active on; false when the device cannot be painted on.
bool PrintWorksheets(QPagedPaintDevice& device, const std::vector<Worksheet>& sheets,
                     const WorksheetSettings& settings);
