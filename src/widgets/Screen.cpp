#include "widgets/Screen.h"

#include "core/ProgramState.h"

#include "core/Events.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace {
const char* kClosingProperty = "drillClosing";
}

QRect TwipRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

QColor Rgb(int red, int green, int blue) {
    return QColor(red, green, blue);
}

void SetBackground(QWidget* widget, Colour colour) {
    SetBackground(widget, QColor(colour.red, colour.green, colour.blue));
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        const QRect& place) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

Screen::Screen(ProgramState& state, QWidget* parent) : QWidget(parent), state_(state) {}

void Screen::endProgramWith(const QString& title, const QString& text) {
    state_.platform.dialogs->inform(title, text);
    state_.platform.navigator->endProgram();
}

ScreenHost::ScreenHost(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWindowWidth, kWindowHeight);
}

void ScreenHost::place(Screen* screen) {
    screen->setGeometry(screen->placeIn(rect()));
}

void ScreenHost::bringToFront(Screen* screen) {
    screen->show();
    screen->raise();
    screen->setFocus();
}

bool ScreenHost::closing(const QObject* screen) {
    return screen->property(kClosingProperty).toBool();
}

void ScreenHost::closeScreen(Screen* screen) {
    if (closing(screen)) return;
    screen->setProperty(kClosingProperty, true);
    screen->hide();
    // A screen often closes itself from its own handler: delete it afterwards.
    screen->deleteLater();
}

bool ScreenHost::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        // Another window of this program (a dialog, a message) took over;
        // switching to another program is no return.
        const QWidget* now = QApplication::activeWindow();
        returnPending_ = now != nullptr && now != this;
    } else if (event->type() == QEvent::WindowActivate && returnPending_) {
        returnPending_ = false;
        // After the code that opened the dialog has gone on.
        QMetaObject::invokeMethod(this, &ScreenHost::returnToFrontScreen, Qt::QueuedConnection);
    }
    return QWidget::event(event);
}

Screen* ScreenHost::frontScreen() const {
    const QObjectList all = children();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (auto* screen = qobject_cast<Screen*>(*it);
            screen && !closing(screen) && !screen->isHidden())
            return screen;
    return nullptr;
}

void ScreenHost::returnToFrontScreen() {
    // An activation that showed the dialog itself is still at work.
    if (activating_ > 0) return;
    if (Screen* screen = frontScreen()) {
        ++activating_;
        screen->returnedTo();
        --activating_;
    }
}

void ScreenHost::closeAll() {
    const QObjectList all = children();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (auto* screen = qobject_cast<Screen*>(*it)) closeScreen(screen);
}
