#pragma once
// A classroom for screen tests of the drill: a temporary installation with an
// empty results file, the test doubles, and a navigator that really opens the
// drill, results and wait screens in a window.

#include "DrillKeypad.h"
#include "TestDoubles.h"

#include "widgets/Screen.h"

#include <QLabel>
#include <QPointer>

#include <functional>

class DrillScreen;
class ResultsScreen;

// A sound output that can run something while a sound plays.
class HookedSound : public RecordingSound {
  public:
    std::function<void(const QString&)> whilePlaying;
    PlayResult playToEnd(const QString& wavePath) override;
};

class HostNavigator : public RecordingNavigator {
  public:
    HostNavigator(ScreenHost& host, ProgramState& state) : host_(host), state_(state) {}
    void showDrill() override;
    void closeDrill() override;
    void showResults() override;
    void closeResults() override;
    void showWait() override;
    void closeWait() override;

  private:
    ScreenHost& host_;
    ProgramState& state_;
};

class DrillClassroom {
  public:
    static constexpr int kStudent = 7;

    DrillClassroom();

    TestRig rig;
    TempInstall install;
    ScreenHost host;
    HostNavigator navigator{host, rig.state};
    SteppingRandom random;
    HookedSound sound;

    ProgramState& state() { return rig.state; }
    void setCriteria(int level, int targetTime, int lowestTime);
    void addRecord(int level, int32_t result, int daysAgo = 0);
    QString resultsPath() const;
    int recordCount() const;

    // Counts as the board does, then starts the level as the board does.
    DrillScreen* startDrill(int level);
    DrillScreen* drill() const;
    ResultsScreen* results() const;

    // Moves the clock on one second at a time, ticking the drill clock.
    void passSeconds(DrillScreen* frm, int seconds);
    // Presses the keys that compose the expected answer, or the reverse order.
    void answerRight(DrillScreen* frm);
    void answerWrong(DrillScreen* frm);
    void pressOk(DrillScreen* frm);
    void pressNext(DrillScreen* frm);

    int played(const QString& fileName) const;
};

// What a data folder restored from a backup can leave beside the results
// file: an intent that fits it no more, which the next writer sets aside.
enum class StaleIntent {
    None,
    ChangePastTheEnd,      // the intent alone
    DeletionWithShortCopy, // the intent and its safety copy
};
void LeaveStaleIntent(const QString& resultsPath, StaleIntent stale);
// The dated files an intent and its copy were set aside under.
QStringList SetAsideFilesBeside(const QString& resultsPath);
// Checks that exactly filesAside files were set aside beside the results file
// and that the teacher was told of them once, under the caution title.
void ExpectSetAsideToldOnce(const ScriptedDialogs& dialogs, const QString& resultsPath,
                            int filesAside);

template <typename T = QLabel> T* Child(const QWidget* screen, const QString& name) {
    T* child = screen->findChild<T*>(name);
    if (!child) throw std::runtime_error(("no control " + name).toStdString());
    return child;
}

inline QString Text(const QWidget* screen, const QString& name) {
    return Child(screen, name)->text();
}
inline bool Shown(const QWidget* screen, const QString& name) {
    return !Child<QWidget>(screen, name)->isHidden();
}
