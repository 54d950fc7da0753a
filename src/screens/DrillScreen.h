#pragma once
// DrillScreen: one timed drill of one level. The student completes the shown
// formula with the keypad and confirms with "OK"; the drill ends after ten net
// correct answers or at five times the level's lowest time.

#include "core/Attempt.h"
#include "drill/ProblemGenerator.h"
#include "widgets/Screen.h"

#include <QString>

#include <array>
#include <optional>

struct AnswerSound;
class CircleFigure;
class KeyLabel;
class QFrame;
class QLabel;
class QTimer;

// The drill screen; design name (objectName) MainFrm.
class DrillScreen : public Screen {
    Q_OBJECT
  public:
    DrillScreen(ProgramState& state, QWidget* parent);

    void load() override;
    void activate() override;

  private:
    void 初期設定();
    void レベル別設定();
    void スタート();
    void 問題作成表示();
    void 判定();
    void 判定後処理();

    void Label5_Click(int index);
    void Label6_Click(int index);
    void Label3_Click();
    void Commandkakunin_Click();
    void sTimer1_Timer();
    void sTimer2_Timer();
    // The end of a drill, once per drill: the overlay, then the record and the
    // results screen, or straight back to the board after a practice level.
    void EndOfDrill();

    void buildStatusStrip();
    void buildWorkArea();
    void buildKeypad(QWidget* panel);
    void buildOverlay();
    KeyLabel* makeKey(QWidget* panel, const QString& name, const QString& caption,
                      const QRect& place, const QColor& colour, double points);

    void fillStatusStrip();
    void showRemaining();
    void setProgressWidth(double twips);
    void hideLamps(int elapsed);
    void refuseLevelWithoutTimeLimit();
    bool stoppedForSilentSpeakers(const AnswerSound& sound);
    bool keypadLocked() const;
    // The answered problem for the attempt log, on a recorded level.
    void keepAttempt(const Attempt& attempt);
    void keepTimedOutProblem();

    QFrame* sPicture1_;
    QLabel* sLabel2_;
    QLabel* sLabel3_;
    QLabel* sLabel7_;
    QLabel* sLabel8_;
    QLabel* sLabel9_;
    QLabel* sLabel10_;
    QLabel* sLabel11_;
    QLabel* sLabel12_;
    QLabel* sLabel13_;
    QLabel* sLabel14_;
    QFrame* sShape2_;
    QFrame* sShape3_;
    QFrame* sShape4_;
    QFrame* sShape5_;
    std::array<QFrame*, 30> lamps_{}; // sPicture3 elements 10..39

    QFrame* picture2_;
    QLabel* label1_;
    std::array<CircleFigure*, 2> figures_{};
    QFrame* picture3_;
    std::array<KeyLabel*, 14> label5_{}; // elements 0, 1, 2, 12, 13
    std::array<KeyLabel*, 2> label6_{};
    KeyLabel* label3_;
    QLabel* inputLabel_;
    QLabel* label2_;
    QLabel* correctionLabel_; // what the mistake was, under the expected answer

    QFrame* sPicture2_;
    QLabel* lblsss1_;
    QLabel* lblsss2_;

    QTimer* sTimer1_;
    QTimer* sTimer2_;

    QString inputTrail_;
    std::optional<int> previousValue_;
    // The problem on screen, for its attempt: what it is, when it was shown.
    std::optional<CircleProblem> shownProblem_;
    double shownAt_ = 0;
    int problemNumber_ = 0;
};

// Waits on the clock, letting events run, then swaps the drill for the results.
void ShowResultsAfterDelay(ProgramState& state, int seconds);
