#include "widgets/WaitScreen.h"

#include "core/Events.h"

#include <QLabel>

WaitScreen::WaitScreen(ProgramState& state, QWidget* parent) : Screen(state, parent) {
    setObjectName(QStringLiteral("BASEFRM"));
    SetBackground(this, QColor(255, 255, 192));
    auto* label = new QLabel(QStringLiteral("Just a moment, please."), this);
    label->setObjectName(QStringLiteral("Label19"));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(0, 0, 400, 120);
    label->setStyleSheet(QStringLiteral("font-size: 20pt;"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(
        QStringLiteral("#BASEFRM { background: rgb(255,255,192); border: 2px solid #808080; }"));
}

QRect WaitScreen::placeIn(const QRect& window) const {
    QRect box(0, 0, 400, 120);
    box.moveCenter(window.center());
    return box;
}

void WaitScreen::load() {
    LetEventsRun();
}
