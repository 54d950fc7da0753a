// The answer sound holds the program while it plays; the screen must already
// show the judged answer, and no timer may run meanwhile.
#include "audio/Sounds.h"

#include "TestDoubles.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

// Counts its paints, as the screen that shows the judged answer.
class PaintCountingLabel : public QLabel {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        QLabel::paintEvent(event);
    }
};

class PaintsSeenBySound : public SoundOutput {
  public:
    const PaintCountingLabel* label = nullptr;
    const bool* timerFired = nullptr;
    int paintsAtPlay = -1;
    bool timerFiredAtPlay = false;
    PlayResult playToEnd(const QString&) override {
        paintsAtPlay = label->paints;
        timerFiredAtPlay = *timerFired;
        return {};
    }
};

TEST(SoundOnScreen, TheScreenPaintsBeforeTheSoundHoldsTheProgramButTimersWait) {
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;
    state.folders.SoundFolder = install.dataRoot() + QStringLiteral("音フォルダ/");
    install.writeText(state.folders.SoundFolder + kSoundListFileName,
                      QStringLiteral("正解音2,a,*\n"));
    LoadSoundTable(state);
    PaintCountingLabel label;
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    bool timerFired = false;
    PaintsSeenBySound sound;
    sound.label = &label;
    sound.timerFired = &timerFired;
    state.platform.sound = &sound;

    const int before = label.paints;
    label.setText(QStringLiteral("○"));
    // A real timer (a zero interval would be a posted call instead), due before the sound.
    QTimer::singleShot(1, &label, [&] { timerFired = true; });
    QTest::qSleep(20);
    PlayCorrectSound(state);
    EXPECT_GT(sound.paintsAtPlay, before);
    EXPECT_FALSE(sound.timerFiredAtPlay);
    EXPECT_TRUE(QTest::qWaitFor([&] { return timerFired; }, 1000));
}

} // namespace
