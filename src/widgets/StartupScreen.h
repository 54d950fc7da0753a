#pragma once
// The start-up screen.

#include "widgets/Screen.h"

#include <functional>

class QLabel;
class QTimer;

// Shows a picture, "Just a moment, please." and today's era date, then hands
// over exactly once, 100 ms later, so the screen has painted before files are
// read. Design name Firstfrm.
class StartupScreen : public Screen {
    Q_OBJECT
  public:
    StartupScreen(ProgramState& state, QWidget* parent);
    void setHandOver(std::function<void()> handOver) { handOver_ = std::move(handOver); }
    void load() override;

  private:
    void timerFired();

    QLabel* picture_;
    QLabel* label1_;
    QLabel* label5_;
    QTimer* timer1_;
    std::function<void()> handOver_;
};

// The start-up work that needs no window: seeds the one generator from the
// clock and chooses the season colour. Returns the era date text for Label5.
QString PrepareStartUp(ProgramState& state);

// The start-up picture, drawn by the program itself.
QPixmap MakeStartUpPicture(const QSize& size);
