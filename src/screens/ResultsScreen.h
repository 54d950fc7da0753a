#pragma once
// ResultsScreen ("終了"): the result of the drill just recorded, the points it
// earns, new records and cleared levels, then "メニューへ" or "もう一度".

#include "widgets/Screen.h"

class QLabel;
class QPushButton;
class QTimer;

// The end-of-drill results: the time, the points, the bests, the pass sound;
// design name FrmSyuuryou.
class ResultsScreen : public Screen {
    Q_OBJECT
  public:
    ResultsScreen(ProgramState& state, QWidget* parent);

    void load() override;     // Form_Load
    void activate() override; // Form_Activate

  private:
    void Timer1_Timer();
    void Command4_Click();
    void Command5_Click();
    void fillLines();
    void playMessageAndSound();

    QLabel* image1_;
    QLabel* label15_;
    QLabel* label16_;
    QLabel* label17_;
    QLabel* label18_;
    QLabel* label19_;
    QLabel* label20_;
    QLabel* keptLine_; // the run waits on this machine and is not counted yet
    QLabel* label14_;
    QLabel* label13_;
    QLabel* label2_;
    QWidget* picture1_;
    QPushButton* command4_;
    QPushButton* command5_;
    QTimer* timer1_;
};

// The screen's background: circles with their diameters and radii.
QPixmap MakeResultsBackground(const QSize& size);
