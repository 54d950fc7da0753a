#pragma once
// The program's application object, with a last guard around the delivery of
// every event: an error that a screen let through (a file error, running out
// of memory) is shown once and ends the program cleanly instead of
// terminating it mid-event. Screens still handle their own errors; this only
// catches what they missed.

#include <QApplication>

struct ProgramState;

class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    // From now on errors are shown and end the program through state's seams;
    // none lets them through again.
    void guard(ProgramState* state) { state_ = state; }
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    ProgramState* state_ = nullptr;
};
