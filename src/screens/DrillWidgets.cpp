#include "screens/DrillWidgets.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
const QString kFontFamily = QStringLiteral("IPAPGothic");
constexpr double kPixelsPerPoint = 96.0 / 72.0;
} // namespace

QFont ScreenFont(double points, bool bold) {
    QFont font(kFontFamily);
    font.setPixelSize(int(std::lround(points * kPixelsPerPoint)));
    font.setBold(bold);
    return font;
}

KeyLabel::KeyLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void KeyLabel::mouseReleaseEvent(QMouseEvent* event) {
    // Like a button: the click counts when the mouse is let go over the key.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

CircleFigure::CircleFigure(Figure figure, QWidget* parent)
    : QWidget(parent), figure_(figure), number_(new QLabel(this)) {
    number_->setAlignment(Qt::AlignCenter);
    number_->setFont(ScreenFont(36, true));
    number_->setStyleSheet(QStringLiteral("color: rgb(0, 0, 192); background: transparent;"));
}

QPointF CircleFigure::centre() const {
    return QPointF(width() / 2.0, height() / 2.0);
}

double CircleFigure::radius() const {
    return std::min(width(), height()) * 0.42;
}

void CircleFigure::placeNumber() {
    // Above the middle of the line: the diameter's middle is the centre, the
    // radius's middle is half way to the edge.
    const QPointF middle =
        figure_ == Figure::Diameter ? centre() : centre() + QPointF(radius() / 2, 0);
    const QSize size(110, 56);
    number_->setGeometry(int(middle.x() - size.width() / 2.0), int(middle.y() - size.height() - 4),
                         size.width(), size.height());
}

void CircleFigure::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeNumber();
}

void CircleFigure::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const QPointF c = centre();
    const double r = radius();
    painter.setPen(QPen(Qt::black, 4));
    painter.setBrush(QColor(224, 240, 255));
    painter.drawEllipse(c, r, r);
    painter.setPen(QPen(QColor(220, 0, 0), 4));
    const QPointF from = figure_ == Figure::Diameter ? c - QPointF(r, 0) : c;
    painter.drawLine(from, c + QPointF(r, 0));
    painter.setBrush(Qt::black);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(c, 5, 5);
}
