#include "widgets/ScaledWindow.h"

#include "widgets/DrawnGeometry.h"
#include "widgets/Screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {
// What a window manager's title bar and borders usually take; the real frame
// is only known once the window is on the display.
constexpr QSize kFrameAllowance(16, 48);
const QColor kLetterboxColour(Qt::black);

// In a window the control under a press gets the release even when it let the
// press pass (the drill's keys count on the release alone). In the scene only
// an item that took the press gets the release, so the host takes every press,
// also the second press of a double click or a double tap.
class HostProxy : public QGraphicsProxyWidget {
  protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override {
        QGraphicsProxyWidget::mousePressEvent(event);
        event->accept();
    }
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override {
        QGraphicsProxyWidget::mouseDoubleClickEvent(event);
        event->accept();
    }
};
} // namespace

qreal FitScale(const QSizeF& area, const QSizeF& design) {
    if (design.isEmpty() || area.isEmpty()) return 1.0;
    return std::min(area.width() / design.width(), area.height() / design.height());
}

WindowStart PlanWindowedStart(const QSize& available, const QSize& frame, const QSize& design) {
    const QSize inside = available - frame;
    const qreal scale = FitScale(inside, design);
    if (scale < 1.0) return {true, inside};
    return {false, (QSizeF(design) * scale).toSize()};
}

ScaledWindow::ScaledWindow(ScreenHost& host) {
    ReportDrawnGeometryToAssistiveTechnology();
    auto* scene = new QGraphicsScene(this);
    setScene(scene);
    proxy_ = new HostProxy;
    proxy_->setWidget(&host);
    scene->addItem(proxy_);
    setSceneRect(QRectF(QPointF(0, 0), host.size()));
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackgroundBrush(kLetterboxColour);
    // No antialiasing of lines: the controls' borders stay on whole pixels.
    setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setMinimumSize(kWindowWidth / 4, kWindowHeight / 4);
    qApp->installEventFilter(this);
}

ScaledWindow::~ScaledWindow() {
    qApp->removeEventFilter(this);
    // The host belongs to the caller, not to the scene.
    proxy_->setWidget(nullptr);
}

qreal ScaledWindow::scale() const {
    return transform().m11();
}

QPoint ScaledWindow::toViewport(const QPointF& designPoint) const {
    return mapFromScene(proxy_->mapToScene(designPoint));
}

void ScaledWindow::showWindowed(const QScreen& screen) {
    const QRect available = screen.availableGeometry();
    const WindowStart start =
        PlanWindowedStart(available.size(), kFrameAllowance, sceneRect().size().toSize());
    if (start.maximised) {
        // Without a window manager nothing maximises: the geometry does it then.
        setGeometry(available);
        showMaximized();
        return;
    }
    resize(start.size);
    move(available.center() - QPoint(start.size.width(), start.size.height()) / 2);
    show();
}

void ScaledWindow::showKiosk(const QScreen& screen) {
    kiosk_ = true;
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setGeometry(screen.geometry());
    showFullScreen();
}

void ScaledWindow::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    fit();
}

void ScaledWindow::closeEvent(QCloseEvent* event) {
    if (kiosk_)
        event->ignore();
    else
        QGraphicsView::closeEvent(event);
}

void ScaledWindow::fit() {
    const qreal scale = FitScale(viewport()->size(), sceneRect().size());
    setTransform(QTransform::fromScale(scale, scale));
}

bool ScaledWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool placed = type == QEvent::Show || type == QEvent::Resize || type == QEvent::Move;
    if (placed && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const QGraphicsProxyWidget* proxy = widget->graphicsProxyWidget();
        // Once the dialog has done with its own sizing and placing.
        if (widget->windowType() == Qt::Dialog && proxy && proxy->scene() == scene())
            QMetaObject::invokeMethod(
                this,
                [this, dialog = QPointer<QWidget>(widget)] {
                    if (dialog && dialog->graphicsProxyWidget()) centreDialog(dialog);
                },
                Qt::QueuedConnection);
    }
    return QGraphicsView::eventFilter(watched, event);
}

// A dialog drawn in the scene stays in the middle of the screens, whatever
// place it chose for itself from the window it thinks it is over, and is drawn
// smaller when it sized itself for the whole display and is wider than the screens.
void ScaledWindow::centreDialog(QWidget* dialog) const {
    QGraphicsProxyWidget* proxy = dialog->graphicsProxyWidget();
    // The proxy holds a window at least as wide as the window's layout asks,
    // which for a message box's long lines is more than the box itself.
    const QSizeF own = dialog->size();
    if (proxy->size() != own) {
        proxy->setMinimumSize(own);
        proxy->resize(own);
    }
    const QRectF frame = proxy->windowFrameRect();
    const qreal shrink = std::min(1.0, FitScale(proxy_->size(), frame.size()));
    const QPointF middle = proxy_->mapToScene(proxy_->rect().center());
    const QPointF inParent =
        proxy->parentItem() ? proxy->parentItem()->mapFromScene(middle) : middle;
    const QPointF place = inParent - frame.center() * shrink;
    // The scene draws the dialog's frame, with the title it was given.
    if (proxy->windowTitle() != dialog->windowTitle()) proxy->setWindowTitle(dialog->windowTitle());
    if (proxy->scale() != shrink) proxy->setScale(shrink);
    if (proxy->pos() != place) proxy->setPos(place);
}
