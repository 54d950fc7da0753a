#pragma once
// Test doubles of the platform seams, and a temporary installation tree.

#include "core/Platform.h"
#include "core/ProgramState.h"

#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <vector>

class FakeClock : public Clock {
  public:
    QDateTime current = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0));
    double monotonic = 1000.0;

    QDateTime now() const override { return current; }
    double monotonicSeconds() const override { return monotonic; }
    // A wait moves both clocks on and lets pending events run once.
    void wait(int milliseconds) override;
    void advance(double seconds);
};

// A clock whose waits a test watches (the screen's wait while a call is stuck).
class WatchedClock : public FakeClock {
  public:
    std::function<void()> onWait;
    void wait(int milliseconds) override {
        onWait();
        FakeClock::wait(milliseconds);
    }
};

// The first open of path blocks until release() (at the latest when this
// goes), as an open of a file on a server that does not answer; the file
// calls are the system's again afterwards.
class StuckOpen {
  public:
    explicit StuckOpen(const QString& path);
    ~StuckOpen();
    StuckOpen(const StuckOpen&) = delete;
    StuckOpen& operator=(const StuckOpen&) = delete;

    void release(); // the server answers again
    bool wasStuck() const { return *stuck_; }

  private:
    std::promise<void> release_;
    bool released_ = false;
    // Shared with the blocked call, which may outlive this.
    std::shared_ptr<std::atomic<bool>> stuck_ = std::make_shared<std::atomic<bool>>(false);
};

class ScriptedRandom : public RandomSource {
  public:
    std::deque<double> script; // drawn first, in order
    double fallback = 0.0;     // once the script is used up
    std::vector<std::uint32_t> seeds;
    int draws = 0;

    void seed(std::uint32_t value) override { seeds.push_back(value); }
    double next() override;
};

// Varied draws for whole drills, so that the problems differ as they would in
// class; the tests read each problem off the screen.
class SteppingRandom : public RandomSource {
  public:
    void seed(std::uint32_t) override {}
    double next() override {
        value_ = std::fmod(value_ + 0.381966, 1.0);
        return value_;
    }

  private:
    double value_ = 0.1;
};

class RecordingSound : public SoundOutput {
  public:
    std::vector<QString> played;
    std::deque<PlayResult> results; // handed out in order; success once empty

    PlayResult playToEnd(const QString& wavePath) override;
};

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        QString title;
        QString text;
    };
    std::vector<Shown> shown;
    std::deque<bool> answers; // for the questions; true once empty

    void inform(const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text) override;
    bool askOkCancel(const QString& title, const QString& text) override;
};

class RecordingLauncher : public Launcher {
  public:
    QString program;
    QStringList arguments;
    int starts = 0;
    bool succeed = true;

    bool start(const QString& program, const QStringList& arguments) override;
};

class RecordingNavigator : public Navigator {
  public:
    std::vector<QString> calls;
    bool waitUp = false;

    void showNameSelection() override { calls.push_back(QStringLiteral("showNameSelection")); }
    void showBoard() override { calls.push_back(QStringLiteral("showBoard")); }
    void closeBoard() override { calls.push_back(QStringLiteral("closeBoard")); }
    void showDrill() override { calls.push_back(QStringLiteral("showDrill")); }
    void closeDrill() override { calls.push_back(QStringLiteral("closeDrill")); }
    void showResults() override { calls.push_back(QStringLiteral("showResults")); }
    void closeResults() override { calls.push_back(QStringLiteral("closeResults")); }
    void showWait() override {
        calls.push_back(QStringLiteral("showWait"));
        waitUp = true;
    }
    void closeWait() override {
        calls.push_back(QStringLiteral("closeWait"));
        waitUp = false;
    }
    bool waitShown() const override { return waitUp; }
    void showCriteriaEditor() override { calls.push_back(QStringLiteral("showCriteriaEditor")); }
    void showRecordsBrowser() override { calls.push_back(QStringLiteral("showRecordsBrowser")); }
    void showWorksheets() override { calls.push_back(QStringLiteral("showWorksheets")); }
    void endProgram() override { calls.push_back(QStringLiteral("endProgram")); }
    int count(const QString& call) const;
};

// A ProgramState wired to the doubles above.
struct TestRig {
    FakeClock clock;
    ScriptedRandom random;
    RecordingSound sound;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    RecordingNavigator navigator;
    ProgramState state;

    TestRig();
};

// A temporary installation: <root>/programs/<program>/ is the program folder,
// <root>/programs/パスデータ.txt points at <root>/data/.
// One tick of a screen's running timer, delivered as the event loop delivers
// it, without waiting for the interval: tests move the clock on themselves.
// A stopped timer does not tick.
void TickTimer(QObject* screen, const QString& timerName);

// A file's bytes; empty when it cannot be read.
QByteArray FileBytes(const QString& path);

// How the file system holding folder compares names: Qt::CaseInsensitive where
// names that differ only in letter case are one file, as on Windows.
Qt::CaseSensitivity FileNameCase(const QString& folder);

class TempInstall {
  public:
    explicit TempInstall(const QString& programFolderName = QStringLiteral("circle"));

    QString root() const { return dir_.path() + QLatin1Char('/'); }
    QString programFolder() const; // no trailing separator
    QString dataRoot() const;      // the common folder, with separator
    QString dataFolder() const;    // common folder + program folder name + separator

    // Writes text as code page 932 with CR LF line ends.
    void writeText(const QString& path, const QString& text) const;
    void writeBytes(const QString& path, const QByteArray& bytes) const;
    // A whole classroom the commands can start on: path and common data
    // (さくら教室, code 01234), seven levels of levelLine each, no sounds, the roster.
    void writeClassroom(const QString& levelLine, const QString& roster) const;

  private:
    QTemporaryDir dir_;
    QString programFolderName_;
};
