#pragma once
// Paints the student report with one routine for the screen and the printer:
// every position is a fraction of the surface (f = W ÷ 2, C = H ÷ 3), line
// widths are screen pixels scaled to the device's resolution.

#include "rules/StudentReport.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;
class TextShapes;

inline const QColor kReportBackground(128, 255, 255);
inline const QColor kBestColour(255, 0, 0);
inline const QColor kRunColour(0, 0, 255);
// The monospaced Gothic face keeps the blank-padded numbers of the table aligned.
inline const QString kReportFontFamily = QStringLiteral("IPAGothic");

struct ReportStyle {
    double baseFontSize = 6; // points
    bool printer = false;    // the printer writes the level caption larger
};

// One block at its place on the surface; `shapes` keeps the texts shaped for
// the next blocks on the same device.
void DrawReportBlock(QPainter& painter, const QRectF& surface, const BlockPlace& place,
                     const ReportData& data, const ReportStyle& style);
void DrawReportBlock(QPainter& painter, const QRectF& surface, const BlockPlace& place,
                     const ReportData& data, const ReportStyle& style, TextShapes& shapes);

// The blocks of one student, three to a surface; `startNewSurface` is called
// before the fourth, seventh... block (clear the drawing area, or a new page).
void DrawReportRun(QPainter& painter, const QRectF& surface, const std::vector<ReportData>& blocks,
                   const ReportStyle& style, const std::function<void()>& startNewSurface);
void DrawReportRun(QPainter& painter, const QRectF& surface, const std::vector<ReportData>& blocks,
                   const ReportStyle& style, const std::function<void()>& startNewSurface,
                   TextShapes& shapes);

// With a つまずき block, the level blocks take the upper part of each surface
// and the block the band under them, on every surface of the run.
inline constexpr double kWeakSpotBand = 0.2; // of the surface height

// The つまずき block (WeakSpotLines: its heading, then the table) in `band`;
// the table is set smaller where it would not fit.
void DrawWeakSpotsBlock(QPainter& painter, const QRectF& band, const QStringList& lines,
                        const ReportStyle& style, TextShapes& shapes);
void DrawReportRunWithWeakSpots(QPainter& painter, const QRectF& surface,
                                const std::vector<ReportData>& blocks,
                                const QStringList& weakSpotLines, const ReportStyle& style,
                                const std::function<void()>& startNewSurface, TextShapes& shapes);
