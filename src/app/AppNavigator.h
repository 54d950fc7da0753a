#pragma once
// The real moves between screens: each screen is created when shown and
// destroyed when closed, inside the one window.

#include "core/Platform.h"

#include <QPointer>
#include <QWidget>

class ScreenHost;
struct ProgramState;

class AppNavigator : public Navigator {
  public:
    AppNavigator(ScreenHost& host, ProgramState& state) : host_(host), state_(state) {}

    void showNameSelection() override;
    void showBoard() override;
    void closeBoard() override;
    void showDrill() override;
    void closeDrill() override;
    void showResults() override;
    void closeResults() override;
    void showWait() override;
    void closeWait() override;
    bool waitShown() const override;
    void showCriteriaEditor() override;
    void showRecordsBrowser() override;
    void showWorksheets() override;
    void endProgram() override;

  private:
    ScreenHost& host_;
    ProgramState& state_;
    // Where the keys went before the wait screen took them: a screen that
    // stays under it gets them back.
    QPointer<QWidget> focusBeforeWait_;
};
