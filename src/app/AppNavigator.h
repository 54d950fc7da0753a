#pragma once
// The real moves between screens: each screen is created when shown and
// destroyed when closed, inside the one window.

#include "core/Platform.h"

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
    void showCriteriaEditor() override;
    void showRecordsBrowser() override;
    void showWorksheets() override;
    void endProgram() override;

  private:
    ScreenHost& host_;
    ProgramState& state_;
};
