#pragma once

#include "widgets/Screen.h"

// "Just a moment, please." while slow work runs; design name BASEFRM.
class WaitScreen : public Screen {
    Q_OBJECT
  public:
    WaitScreen(ProgramState& state, QWidget* parent);
    void load() override;
    QRect placeIn(const QRect& window) const override;
};
