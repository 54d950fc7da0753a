#include "screens/ClassSheetDrawing.h"

#include "screens/ReportDrawing.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace {

// Fractions of the surface height, top to bottom, and of its width, left to right.
constexpr double kTitleHeight = 0.06;
constexpr double kHeadHeight = 0.08;
constexpr double kRowHeight = 0.031;
constexpr double kSummaryHeight = 0.06;
constexpr double kLegendHeight = 0.04;
constexpr double kIdWidth = 0.05;
constexpr double kNameWidth = 0.15;
constexpr double kTextInset = 0.1; // of a row's height, on each side of a text
constexpr double kRuleWidth = 1;   // screen pixels
constexpr double kScreenDpi = 96;

const QString kLegend =
    QStringLiteral("○ 合格　　数字 最高タイム（秒）　　× 時間切れだけ　　空欄 まだやっていない　　"
                   "灰色 やりすぎ禁止");

void SetFontHeight(QPainter& painter, double pixels, bool bold = false) {
    QFont font(kReportFontFamily);
    font.setPixelSize(std::max(1, int(pixels)));
    font.setBold(bold);
    painter.setFont(font);
}

// A text inside its rectangle, set smaller when it would not fit.
void FitText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
             double lineHeight) {
    if (text.isEmpty()) return;
    const double inset = rect.height() * kTextInset;
    const QRectF inner = rect.adjusted(inset, inset, -inset, -inset);
    SetFontHeight(painter, lineHeight);
    const QRectF needed = painter.boundingRect(inner, flags, text);
    if (needed.width() > inner.width() || needed.height() > inner.height())
        SetFontHeight(painter, lineHeight * std::min(inner.width() / needed.width(),
                                                     inner.height() / needed.height()));
    painter.drawText(inner, flags, text);
}

// The summary row's heading takes the ID and name columns together.
void DrawGridRow(QPainter& painter, const SheetLayout& layout, const QRectF& row, int levelCount,
                 bool idColumn = true) {
    painter.drawRect(row);
    double x = row.left() + layout.idWidth;
    if (idColumn) painter.drawLine(QPointF(x, row.top()), QPointF(x, row.bottom()));
    x += layout.nameWidth;
    for (int level = 0; level < levelCount; ++level, x += layout.levelWidth)
        painter.drawLine(QPointF(x, row.top()), QPointF(x, row.bottom()));
}

void DrawHead(QPainter& painter, const SheetLayout& layout, const ClassSheet& sheet) {
    const QRectF& head = layout.head;
    const double lineHeight = head.height() * 0.3;
    FitText(painter, QRectF(head.left(), head.top(), layout.idWidth, head.height()),
            Qt::AlignCenter, QStringLiteral("番号"), lineHeight);
    FitText(painter,
            QRectF(head.left() + layout.idWidth, head.top(), layout.nameWidth, head.height()),
            Qt::AlignCenter, QStringLiteral("名前"), lineHeight);
    for (int level = 1; level <= int(sheet.levelNames.size()); ++level)
        FitText(painter, layout.cellRect(head, level), Qt::AlignCenter | Qt::TextWrapAnywhere,
                sheet.levelNames[level - 1], lineHeight);
}

void DrawStudentRow(QPainter& painter, const SheetLayout& layout, const QRectF& rect,
                    const SheetRow& row) {
    for (std::size_t i = 0; i < row.cells.size(); ++i)
        if (row.cells[i].locked) painter.fillRect(layout.cellRect(rect, int(i) + 1), kLockedShade);
    const double lineHeight = rect.height() * 0.6;
    FitText(painter, QRectF(rect.left(), rect.top(), layout.idWidth, rect.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(row.student), lineHeight);
    FitText(painter,
            QRectF(rect.left() + layout.idWidth, rect.top(), layout.nameWidth, rect.height()),
            Qt::AlignLeft | Qt::AlignVCenter, row.name, lineHeight);
    for (std::size_t i = 0; i < row.cells.size(); ++i)
        FitText(painter, layout.cellRect(rect, int(i) + 1), Qt::AlignCenter,
                SheetCellText(row.cells[i]), lineHeight);
}

void DrawSummary(QPainter& painter, const SheetLayout& layout, const QRectF& rect,
                 const GradeSheet& grade) {
    const double lineHeight = rect.height() * 0.3;
    FitText(painter,
            QRectF(rect.left(), rect.top(), layout.idWidth + layout.nameWidth, rect.height()),
            Qt::AlignCenter, QStringLiteral("合格した人数\n最高タイムの中央値"), lineHeight);
    for (std::size_t i = 0; i < grade.summary.size(); ++i)
        FitText(painter, layout.cellRect(rect, int(i) + 1), Qt::AlignCenter,
                SummaryText(grade.summary[i]), lineHeight);
}

} // namespace

QRectF SheetLayout::rowRect(int row) const {
    const double height = body.height() / kSheetRowsPerPage;
    return QRectF(body.left(), body.top() + row * height, body.width(), height);
}

QRectF SheetLayout::summaryUnder(int rows) const {
    return summary.translated(0, rowRect(rows).top() - summary.top());
}

QRectF SheetLayout::cellRect(const QRectF& row, int level) const {
    return QRectF(row.left() + idWidth + nameWidth + (level - 1) * levelWidth, row.top(),
                  levelWidth, row.height());
}

SheetLayout SheetLayoutFor(const QRectF& surface, int levelCount) {
    const double w = surface.width();
    const double h = surface.height();
    SheetLayout layout;
    double y = surface.top();
    auto band = [&](double fraction) {
        const QRectF rect(surface.left(), y, w, fraction * h);
        y += fraction * h;
        return rect;
    };
    layout.title = band(kTitleHeight);
    layout.head = band(kHeadHeight);
    layout.body = band(kRowHeight * kSheetRowsPerPage);
    layout.summary = band(kSummaryHeight);
    layout.legend = band(kLegendHeight);
    layout.idWidth = kIdWidth * w;
    layout.nameWidth = kNameWidth * w;
    layout.levelWidth = (w - layout.idWidth - layout.nameWidth) / std::max(levelCount, 1);
    return layout;
}

void DrawSheetPage(QPainter& painter, const QRectF& surface, const ClassSheet& sheet,
                   const SheetPage& page) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int levelCount = int(sheet.levelNames.size());
    const SheetLayout layout = SheetLayoutFor(surface, levelCount);
    const GradeSheet& grade = sheet.grades[std::size_t(page.grade)];

    painter.setPen(Qt::black);
    SetFontHeight(painter, layout.title.height() * 0.5, true);
    painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter, SheetPageTitle(sheet, page));

    QPen rule(Qt::black, kRuleWidth * painter.device()->logicalDpiY() / kScreenDpi);
    for (int i = 0; i < page.rowCount; ++i)
        DrawStudentRow(painter, layout, layout.rowRect(i),
                       grade.rows[std::size_t(page.firstRow + i)]);
    DrawHead(painter, layout, sheet);
    const QRectF summary = layout.summaryUnder(page.rowCount);
    if (page.summary) DrawSummary(painter, layout, summary, grade);

    painter.setPen(rule);
    DrawGridRow(painter, layout, layout.head, levelCount);
    for (int i = 0; i < page.rowCount; ++i)
        DrawGridRow(painter, layout, layout.rowRect(i), levelCount);
    if (page.summary) DrawGridRow(painter, layout, summary, levelCount, false);

    painter.setPen(Qt::black);
    SetFontHeight(painter, layout.legend.height() * 0.45);
    painter.drawText(layout.legend, Qt::AlignLeft | Qt::AlignVCenter, kLegend);
    painter.restore();
}
