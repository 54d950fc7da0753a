#pragma once
// The frame of every page of the class report: a header line that says whose
// page it is and when it was printed, and the page's place in the document at
// the foot, so that a page that slips out of the pile still tells.

#include "rules/ClassSheet.h"

#include <QRectF>

class QPainter;

// A page's printable area cut into its header line, its body and its footer.
struct PageBands {
    QRectF header;
    QRectF body;
    QRectF footer;
};
PageBands SplitPage(const QRectF& printable, double dpi);

// The header line (shortened to the page's width) and "page / pages"; a
// worksheet also says at the left of its foot how it was made.
void DrawPageFrame(QPainter& painter, const PageBands& bands, const PageHeading& heading, int page,
                   int pages, const QString& footNote = QString());
