#pragma once
// The seams through which the program touches the outside world. Each has a
// real implementation (RealPlatform.h, audio/) and a test double (tests/support).

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

class Clock {
  public:
    virtual ~Clock() = default;
    // Local wall-clock date and time: record dates, "today", the era date.
    virtual QDateTime now() const = 0;
    // Seconds on a clock that never jumps or wraps: drill timing, minutes since login.
    virtual double monotonicSeconds() const = 0;
    // Waits, letting window events run, so the screen stays responsive.
    virtual void wait(int milliseconds) = 0;

    double secondsSinceMidnight() const;
};

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t value) = 0;
    // Uniform in [0, 1).
    virtual double next() = 0;
};

struct PlayResult {
    int code = 0; // 0 = played to the end
    QString error;
};

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Plays a wave file and returns only when it has finished playing.
    virtual PlayResult playToEnd(const QString& wavePath) = 0;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual void inform(const QString& title, const QString& text) = 0;
    virtual bool askYesNo(const QString& title, const QString& text) = 0;
    virtual bool askOkCancel(const QString& title, const QString& text) = 0;
};

class Launcher {
  public:
    virtual ~Launcher() = default;
    // Starts a program in a normal, focused window; false when it could not start.
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
};

// The moves between screens. The real one (app/) opens and closes the screen
// widgets; tests record the calls. Screens never know each other's classes.
class Navigator {
  public:
    virtual ~Navigator() = default;
    virtual void showNameSelection() = 0;
    virtual void showBoard() = 0;
    virtual void closeBoard() = 0;
    virtual void showDrill() = 0;
    virtual void closeDrill() = 0;
    virtual void showResults() = 0;
    virtual void closeResults() = 0;
    virtual void showWait() = 0;
    virtual void closeWait() = 0;
    virtual bool waitShown() const = 0;
    virtual void showCriteriaEditor() = 0;
    virtual void showRecordsBrowser() = 0;
    virtual void showWorksheets() = 0;
    // Closes every screen, last opened first, and ends the program.
    virtual void endProgram() = 0;
};

struct Platform {
    Clock* clock = nullptr;
    RandomSource* random = nullptr;
    SoundOutput* sound = nullptr;
    Dialogs* dialogs = nullptr;
    Launcher* launcher = nullptr;
    Navigator* navigator = nullptr;
};
