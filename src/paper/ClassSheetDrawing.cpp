#include "paper/ClassSheetDrawing.h"

#include "paper/ReportDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Fractions of the surface height, top to bottom, and of its width, left to right.
constexpr double kHeadHeight = 0.08;
constexpr double kRowHeight = 0.033;
constexpr double kSummaryHeight = 0.06;
constexpr double kLegendHeight = 0.06;
constexpr double kIdWidth = 0.05;
constexpr double kNameWidth = 0.15;
constexpr double kTextInset = 0.1; // of a row's height, on each side of a text
constexpr double kRuleWidth = 1;   // screen pixels
constexpr double kScreenDpi = 96;
constexpr double kPointsPerInch = 72;
constexpr double kHatchSpacing = 0.05; // inches between the stripes of a locked cell
constexpr double kHatchWidth = 0.6;    // points

// Each mark of the sheet as a cell shows it, and what it means.
struct LegendEntry {
    SheetCell sample;
    QString meaning;
};
std::vector<LegendEntry> LegendEntries() {
    SheetCell cleared{SheetCell::Kind::Timed, 45, true, false};
    SheetCell timed{SheetCell::Kind::Timed, 45, false, false};
    SheetCell timedOut{SheetCell::Kind::TimedOut, 0, false, false};
    SheetCell never;
    SheetCell locked{SheetCell::Kind::Timed, 45, true, true};
    return {
        {cleared, QStringLiteral("○ 合格：合格の期間のうちに、決められたポイントと回数に達した")},
        {timed, QStringLiteral("最高タイム（秒）")},
        {timedOut, QStringLiteral("時間切れだけ")},
        {never, QStringLiteral("まだやっていない")},
        {locked, QStringLiteral("しま模様：やりすぎ禁止")},
    };
}

double Pixels(const QPainter& painter, double points) {
    return points * painter.device()->logicalDpiY() / kPointsPerInch;
}

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

// The head's number and name cells, shared by the sheet and its つまずき page;
// returns the height of a line of the head.
double DrawStudentHead(QPainter& painter, const SheetLayout& layout) {
    const QRectF& head = layout.head;
    const double lineHeight = head.height() * 0.3;
    FitText(painter, QRectF(head.left(), head.top(), layout.idWidth, head.height()),
            Qt::AlignCenter, QStringLiteral("番号"), lineHeight);
    FitText(painter,
            QRectF(head.left() + layout.idWidth, head.top(), layout.nameWidth, head.height()),
            Qt::AlignCenter, QStringLiteral("名前"), lineHeight);
    return lineHeight;
}

void DrawHead(QPainter& painter, const SheetLayout& layout, const ClassSheet& sheet) {
    const QRectF& head = layout.head;
    const double lineHeight = DrawStudentHead(painter, layout);
    for (int level = 1; level <= int(sheet.levelNames.size()); ++level)
        FitText(painter, layout.cellRect(head, level), Qt::AlignCenter | Qt::TextWrapAnywhere,
                sheet.levelNames[level - 1], lineHeight);
}

// A name at the row's size, never under kSheetNamePoints, shortened with "…".
void DrawName(QPainter& painter, const QRectF& rect, const QString& name, double lineHeight) {
    const double inset = rect.height() * kTextInset;
    const QRectF inner = rect.adjusted(inset, 0, -inset, 0);
    SetFontHeight(painter, std::max(lineHeight, Pixels(painter, kSheetNamePoints)));
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(name, Qt::ElideRight, inner.width()));
}

void DrawCell(QPainter& painter, const QRectF& cell, const SheetCell& content, double lineHeight) {
    if (content.locked) ShadeLocked(painter, cell);
    FitText(painter, cell, Qt::AlignCenter, SheetCellText(content), lineHeight);
}

void DrawStudentRow(QPainter& painter, const SheetLayout& layout, const QRectF& rect,
                    const SheetRow& row) {
    const double lineHeight = rect.height() * 0.6;
    FitText(painter, QRectF(rect.left(), rect.top(), layout.idWidth, rect.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(row.student), lineHeight);
    DrawName(painter,
             QRectF(rect.left() + layout.idWidth, rect.top(), layout.nameWidth, rect.height()),
             row.name, lineHeight);
    for (std::size_t i = 0; i < row.cells.size(); ++i)
        DrawCell(painter, layout.cellRect(rect, int(i) + 1), row.cells[i], lineHeight);
}

// Each mark in a sample cell drawn as on the sheet, with its meaning beside
// it; the entries run on to a second line when the page is too narrow.
void DrawLegend(QPainter& painter, const SheetLayout& layout, const QPen& rule) {
    const QRectF& band = layout.legend;
    const double lineHeight = band.height() / 2;
    const double textHeight = Pixels(painter, kSheetNamePoints);
    const QSizeF sampleSize(std::min(layout.levelWidth, 2.5 * lineHeight), lineHeight * 0.8);
    const double gap = lineHeight * 0.4;
    QPointF at(band.left(), band.top());
    for (const LegendEntry& entry : LegendEntries()) {
        SetFontHeight(painter, textHeight);
        const double meaningWidth =
            QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(entry.meaning);
        const double width = sampleSize.width() + gap / 2 + meaningWidth;
        if (at.x() > band.left() && at.x() + width > band.right())
            at = QPointF(band.left(), at.y() + lineHeight);
        const QRectF sample(at + QPointF(0, (lineHeight - sampleSize.height()) / 2), sampleSize);
        DrawCell(painter, sample, entry.sample, sampleSize.height() * 0.75);
        painter.setPen(rule);
        painter.drawRect(sample);
        painter.setPen(Qt::black);
        SetFontHeight(painter, textHeight);
        painter.drawText(QRectF(sample.right() + gap / 2, at.y(), meaningWidth + 1, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, entry.meaning);
        at.rx() += width + 2 * gap;
    }
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

    DrawLegend(painter, layout, rule);
    painter.restore();
}

void ShadeLocked(QPainter& painter, const QRectF& cell) {
    painter.save();
    painter.fillRect(cell, kLockedShade);
    painter.setClipRect(cell, Qt::IntersectClip);
    painter.setPen(QPen(kLockedHatch, Pixels(painter, kHatchWidth)));
    const double step = kHatchSpacing * painter.device()->logicalDpiX();
    // Stripes rising to the right, spaced alike in every cell.
    const double first = std::floor((cell.left() - cell.height()) / step) * step;
    for (double x = first; x < cell.right(); x += step)
        painter.drawLine(QPointF(x, cell.bottom()), QPointF(x + cell.height(), cell.top()));
    painter.restore();
}

namespace {

// The share wrong from which each shade begins, lightest first.
constexpr std::array<double, 3> kShadeFrom = {0.10, 0.25, 0.50};
constexpr std::array<Qt::BrushStyle, 3> kShadeDots = {Qt::Dense7Pattern, Qt::Dense6Pattern,
                                                      Qt::Dense5Pattern};
const QColor kShadeColour(60, 60, 60);

void DrawWeakSpotHead(QPainter& painter, const SheetLayout& layout) {
    const QRectF& head = layout.head;
    const double lineHeight = DrawStudentHead(painter, layout);
    for (int kind = 1; kind <= kProblemKinds; ++kind)
        FitText(painter, layout.cellRect(head, kind), Qt::AlignCenter, KindName(kind), lineHeight);
}

void DrawWeakSpotCells(QPainter& painter, const SheetLayout& layout, const QRectF& row,
                       const WeakSpots& spots, double lineHeight) {
    for (int kind = 1; kind <= kProblemKinds; ++kind) {
        const KindWeakSpot& spot = spots.kinds[std::size_t(kind - 1)];
        const QRectF cell = layout.cellRect(row, kind);
        if (spot.answered > 0) ShadeShareWrong(painter, cell, spot.shareWrong());
        painter.setPen(Qt::black);
        FitText(painter, cell, Qt::AlignCenter, WeakSpotCellText(spot), lineHeight);
    }
}

void DrawWeakSpotLegend(QPainter& painter, const SheetLayout& layout, const QString& unread) {
    const QRectF& band = layout.legend;
    const double lineHeight = band.height() / 2;
    SetFontHeight(painter, Pixels(painter, kSheetNamePoints));
    QStringList initials;
    for (const MistakeClass mistake : WrongAnswerClasses())
        initials << MistakeInitial(mistake) + QStringLiteral("＝") + MistakeName(mistake);
    const QString meaning =
        QStringLiteral("まちがえた割合（この %1 日）と いちばん多いまちがい：").arg(kWeakSpotDays) +
        initials.join(QStringLiteral("　")) + QStringLiteral("　－＝解答なし");
    painter.setPen(Qt::black);
    painter.drawText(QRectF(band.left(), band.top(), band.width(), lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, meaning);

    // The shades, each in a sample cell with the share it starts at.
    const QSizeF sampleSize(std::min(layout.levelWidth / 2, 2.5 * lineHeight), lineHeight * 0.8);
    QPointF at(band.left(), band.top() + lineHeight);
    for (const double from : kShadeFrom) {
        const QRectF sample(at + QPointF(0, (lineHeight - sampleSize.height()) / 2), sampleSize);
        ShadeShareWrong(painter, sample, from);
        painter.setPen(Qt::black);
        painter.drawRect(sample);
        const QString text = QStringLiteral("%1% 以上").arg(std::lround(100 * from));
        const double width =
            QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(text);
        painter.drawText(QRectF(sample.right() + lineHeight * 0.2, at.y(), width + 1, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        at.rx() += sampleSize.width() + width + lineHeight;
    }
    if (!unread.isEmpty())
        painter.drawText(QRectF(at.x(), at.y(), band.right() - at.x(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(painter.font(), painter.device())
                             .elidedText(unread.section(QLatin1Char('\n'), 0, 0), Qt::ElideRight,
                                         band.right() - at.x()));
}

} // namespace

void ShadeShareWrong(QPainter& painter, const QRectF& cell, double share) {
    for (std::size_t i = kShadeFrom.size(); i-- > 0;)
        if (share >= kShadeFrom[i]) {
            painter.fillRect(cell, QBrush(kShadeColour, kShadeDots[i]));
            return;
        }
}

void DrawWeakSpotPage(QPainter& painter, const QRectF& surface, const ClassSheet& sheet,
                      const SheetPage& page, const GradeWeakSpots& spots) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const SheetLayout layout = SheetLayoutFor(surface, kProblemKinds);
    const GradeSheet& grade = sheet.grades[std::size_t(page.grade)];
    QPen rule(Qt::black, kRuleWidth * painter.device()->logicalDpiY() / kScreenDpi);

    painter.setPen(Qt::black);
    for (int i = 0; i < page.rowCount; ++i) {
        const std::size_t at = std::size_t(page.firstRow + i);
        const SheetRow& row = grade.rows[at];
        const QRectF rect = layout.rowRect(i);
        const double lineHeight = rect.height() * 0.6;
        FitText(painter, QRectF(rect.left(), rect.top(), layout.idWidth, rect.height()),
                Qt::AlignRight | Qt::AlignVCenter, QString::number(row.student), lineHeight);
        DrawName(painter,
                 QRectF(rect.left() + layout.idWidth, rect.top(), layout.nameWidth, rect.height()),
                 row.name, lineHeight);
        if (at < spots.rows.size())
            DrawWeakSpotCells(painter, layout, rect, spots.rows[at], lineHeight);
    }
    DrawWeakSpotHead(painter, layout);
    const QRectF whole = layout.summaryUnder(page.rowCount);
    if (page.summary) {
        const double lineHeight = whole.height() * 0.35;
        FitText(
            painter,
            QRectF(whole.left(), whole.top(), layout.idWidth + layout.nameWidth, whole.height()),
            Qt::AlignCenter, QStringLiteral("クラス全体"), lineHeight);
        DrawWeakSpotCells(painter, layout, whole, spots.whole, lineHeight);
    }

    painter.setPen(rule);
    DrawGridRow(painter, layout, layout.head, kProblemKinds);
    for (int i = 0; i < page.rowCount; ++i)
        DrawGridRow(painter, layout, layout.rowRect(i), kProblemKinds);
    if (page.summary) DrawGridRow(painter, layout, whole, kProblemKinds, false);
    DrawWeakSpotLegend(painter, layout, spots.unread);
    painter.restore();
}
