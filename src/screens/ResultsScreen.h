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

    QLabel* Image1_;
    QLabel* Label15_;
    QLabel* Label16_;
    QLabel* Label17_;
    QLabel* Label18_;
    QLabel* Label19_;
    QLabel* Label20_;
    QLabel* Label14_;
    QLabel* Label13_;
    QLabel* Label2_;
    QWidget* Picture1_;
    QPushButton* Command4_;
    QPushButton* Command5_;
    QTimer* Timer1_;
};

// The screen's background: circles with their diameters and radii.
QPixmap MakeResultsBackground(const QSize& size);
