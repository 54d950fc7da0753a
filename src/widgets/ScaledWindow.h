#pragma once
// The program's window on the display. The screens keep their 1024 × 768
// design inside the ScreenHost; this view draws the host at the largest scale
// that fits the window and keeps its shape, centred on a plain background.
// Everything is painted through the view's transform, so text and figures are
// drawn at the new size (not a stretched picture), and clicks and touches are
// mapped back onto the control drawn under them. Message boxes and dialogs
// opened over a screen are drawn in the same scene, so they scale with it.
// Assistive technology is told each control's drawn rectangle (DrawnGeometry.h).

#include <QGraphicsView>

class QGraphicsProxyWidget;
class QScreen;
class ScreenHost;

// The largest scale at which a design of the given size fits the area whole.
qreal FitScale(const QSizeF& area, const QSizeF& design);

// How a framed window starts on a display with the given free area: at the
// largest scale at which the window and its frame fit, or maximised when not
// even the unscaled design fits with its frame.
struct WindowStart {
    bool maximised = false;
    QSize size; // the inside of the window when it is not maximised
};
WindowStart PlanWindowedStart(const QSize& available, const QSize& frame, const QSize& design);

class ScaledWindow : public QGraphicsView {
    Q_OBJECT
  public:
    explicit ScaledWindow(ScreenHost& host);
    ~ScaledWindow() override;

    qreal scale() const;
    // Where a point of the 1024 × 768 design is in the viewport.
    QPoint toViewport(const QPointF& designPoint) const;

    // A window with a frame that can be resized and maximised.
    void showWindowed(const QScreen& screen);
    // Kiosk: no frame, the whole display, and no way out but the program's own
    // buttons (closing the window from outside is refused).
    void showKiosk(const QScreen& screen);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fit();
    void centreDialog(QWidget* dialog) const;

    QGraphicsProxyWidget* proxy_;
    bool kiosk_ = false;
};
