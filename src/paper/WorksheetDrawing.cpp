#include "paper/WorksheetDrawing.h"

#include "paper/ClassReport.h"
#include "paper/PageFrame.h"
#include "paper/ReportDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPointsPerInch = 72;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kTitlePoints = 12;
constexpr double kInstructionPoints = 11;
constexpr double kFormulaPoints = 15;
constexpr double kLabelPoints = 12;
constexpr double kKeyPoints = 13;
constexpr double kAimPoints = 10;
constexpr double kLeastAimPoints = 6;
// Lines of at least a third of a millimetre stay whole on a copier.
constexpr double kFigureLineMm = 0.5;
constexpr double kBoxLineMm = 0.35;
constexpr double kGapMm = 3;
constexpr double kTitleRowMm = 12;

double Mm(const QPainter& painter, double millimetres) {
    return millimetres * painter.device()->logicalDpiY() / kMillimetresPerInch;
}

void SetFont(QPainter& painter, double points) {
    QFont font(kReportFontFamily);
    font.setPointSizeF(points);
    painter.setFont(QFont(font, painter.device()));
}

double LineHeight(const QPainter& painter) {
    return QFontMetricsF(painter.font(), painter.device()).height();
}

void SetPen(QPainter& painter, double millimetres) {
    painter.setPen(QPen(Qt::black, Mm(painter, millimetres), Qt::SolidLine, Qt::RoundCap));
}

// The circle, its line through the centre (diameter) or from it (radius), and
// the length written over the line.
void DrawFigure(QPainter& painter, const QRectF& area, const CircleProblem& problem) {
    SetFont(painter, kLabelPoints);
    const double label = LineHeight(painter);
    const double radius = std::max(1.0, std::min(area.width(), area.height() - label) / 2);
    const QPointF centre(area.center().x(), area.top() + label + radius);
    SetPen(painter, kFigureLineMm);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    const QPointF right(centre.x() + radius, centre.y());
    const bool diameter = problem.figure == Figure::Diameter;
    const QPointF left = diameter ? QPointF(centre.x() - radius, centre.y()) : centre;
    painter.drawLine(left, right);
    if (!diameter) {
        // The centre the radius starts from; a diameter's label would sit on it.
        painter.setBrush(Qt::black);
        const double dot = Mm(painter, 0.8);
        painter.drawEllipse(centre, dot, dot);
        painter.setBrush(Qt::NoBrush);
    }
    // Over the middle of the line, on a white ground so the circle does not cross it.
    const QString text = LengthLabel(problem.v);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double width = metrics.horizontalAdvance(text) + Mm(painter, 1);
    const QRectF box((left.x() + right.x() - width) / 2, centre.y() - label - Mm(painter, 0.5),
                     width, label);
    painter.fillRect(box, Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

void DrawProblem(QPainter& painter, const QRectF& cell, int number, const CircleProblem& problem,
                 bool values) {
    SetPen(painter, kBoxLineMm);
    painter.drawRect(cell);
    const double gap = Mm(painter, kGapMm);
    const QRectF inner = cell.adjusted(gap, gap, -gap, -gap);

    SetFont(painter, kInstructionPoints);
    const double instruction = LineHeight(painter);
    painter.drawText(QRectF(inner.left(), inner.top(), inner.width(), instruction),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("(%1)　%2").arg(number).arg(problem.instruction));
    painter.drawText(QRectF(inner.left(), inner.top() + instruction, inner.width(), instruction),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("つかう数　") +
                         QStringList(problem.candidates.begin(), problem.candidates.end())
                             .join(QStringLiteral("　")));

    SetFont(painter, kFormulaPoints);
    const double formula = LineHeight(painter);
    const QRectF formulaLine(inner.left(), inner.bottom() - formula, inner.width(), formula);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const QString blanks = FormulaBlanks(problem.kind, values);
    // A long line of blanks is set smaller rather than cut.
    if (metrics.horizontalAdvance(blanks) > inner.width())
        SetFont(painter, kFormulaPoints * inner.width() / metrics.horizontalAdvance(blanks));
    painter.drawText(formulaLine, Qt::AlignLeft | Qt::AlignVCenter, blanks);

    // The figure on the left; the room to the right of it is for working.
    const double top = inner.top() + 2 * instruction + gap;
    const double height = formulaLine.top() - gap - top;
    const QRectF figure(inner.left(), top, std::min(inner.width() * 0.45, height), height);
    DrawFigure(painter, figure, problem);
}

void DrawProblemPage(QPainter& painter, const QRectF& body, const Worksheet& sheet,
                     const WorksheetPage& page, const WorksheetSettings& settings) {
    const double titleRow = Mm(painter, kTitleRowMm);
    SetFont(painter, kTitlePoints);
    SetPen(painter, kBoxLineMm);
    const QRectF title(body.left(), body.top(), body.width(), titleRow);
    if (sheet.student == 0)
        painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("名前　＿＿＿＿＿＿＿＿＿＿＿＿"));
    painter.drawText(title, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("点数　＿＿＿＿ ／ %1").arg(settings.count));

    const int perPage = std::max(1, settings.perPage);
    const int columns = perPage == 1 ? 1 : 2;
    const int rows = (perPage + columns - 1) / columns;
    const double gap = Mm(painter, kGapMm);
    const QRectF grid = body.adjusted(0, titleRow, 0, 0);
    const double width = (grid.width() - (columns - 1) * gap) / columns;
    const double height = (grid.height() - (rows - 1) * gap) / rows;
    for (int i = 0; i < page.count; ++i) {
        const int row = i / columns;
        const int column = i % columns;
        const QRectF cell(grid.left() + column * (width + gap), grid.top() + row * (height + gap),
                          width, height);
        const int index = page.first + i;
        DrawProblem(painter, cell, index + 1, sheet.problems[std::size_t(index)], settings.values);
    }
}

// A weak-spot sheet's note beside the key's title, wrapped, and set smaller
// while it does not fit its row.
void DrawAim(QPainter& painter, const QRectF& area, const QString& aim) {
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    for (double points = kAimPoints; points >= kLeastAimPoints; points -= 0.5) {
        SetFont(painter, points);
        if (QFontMetricsF(painter.font(), painter.device())
                .boundingRect(area, flags, aim)
                .height() <= area.height())
            break;
    }
    painter.drawText(area, flags, aim);
}

void DrawKeyPage(QPainter& painter, const QRectF& body, const Worksheet& sheet,
                 const WorksheetPage& page, const WorksheetSettings& settings) {
    SetFont(painter, kTitlePoints);
    painter.setPen(Qt::black);
    const double titleRow = Mm(painter, kTitleRowMm);
    const QRectF title(body.left(), body.top(), body.width(), titleRow);
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("解答"));
    if (page.first == 0 && !sheet.aim.isEmpty()) {
        const double indent = QFontMetricsF(painter.font(), painter.device())
                                  .horizontalAdvance(QStringLiteral("解答　　"));
        DrawAim(painter, title.adjusted(indent, 0, 0, 0), sheet.aim);
    }
    SetFont(painter, kKeyPoints);
    const double line = (body.height() - titleRow) / kKeyLinesPerPage;
    for (int i = 0; i < page.count; ++i) {
        const int index = page.first + i;
        const CircleProblem& problem = sheet.problems[std::size_t(index)];
        painter.drawText(
            QRectF(body.left(), body.top() + titleRow + i * line, body.width(), line),
            Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("(%1)　%2").arg(index + 1).arg(KeyAnswer(problem, settings.values)));
    }
}

} // namespace

void DrawWorksheetPage(QPainter& painter, const QRectF& body, const Worksheet& sheet,
                       const WorksheetPage& page, const WorksheetSettings& settings) {
    painter.save();
    if (page.key)
        DrawKeyPage(painter, body, sheet, page, settings);
    else
        DrawProblemPage(painter, body, sheet, page, settings);
    painter.restore();
}

bool PrintWorksheets(QPagedPaintDevice& device, const std::vector<Worksheet>& sheets,
                     const WorksheetSettings& settings) {
    device.setPageOrientation(QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const std::vector<WorksheetPage> pages = PaginateWorksheet(settings);
    const QString foot = WorksheetFoot(settings);
    bool pageUsed = false;
    for (const Worksheet& sheet : sheets)
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (pageUsed) device.newPage();
            pageUsed = true;
            const PageBands bands = SplitPage(PrintableArea(device), device.logicalDpiY());
            PageHeading heading = sheet.heading;
            if (pages[i].key) heading.details << QStringLiteral("解答");
            DrawPageFrame(painter, bands, heading, int(i) + 1, int(pages.size()), foot);
            DrawWorksheetPage(painter, bands.body, sheet, pages[i], settings);
        }
    return painter.end();
}
