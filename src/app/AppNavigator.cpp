#include "app/AppNavigator.h"

#include "core/ProgramState.h"
#include "core/Screen.h"
#include "core/StartupScreens.h"

#include <QApplication>
#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcNavigation, "drill.navigation")

// Screens whose code has not landed yet leave the student at the wait screen.
void NotYetBuilt(ScreenHost& host, ProgramState& state, const char* screen) {
    qCWarning(lcNavigation) << screen << "is not built yet";
    host.open<WaitScreen>(state);
}
} // namespace

void AppNavigator::showNameSelection() { NotYetBuilt(host_, state_, "namesel"); }
void AppNavigator::showBoard() { NotYetBuilt(host_, state_, "seisekitime1"); }
void AppNavigator::closeBoard() {}
void AppNavigator::showDrill() { NotYetBuilt(host_, state_, "MainFrm"); }
void AppNavigator::closeDrill() {}
void AppNavigator::showResults() { NotYetBuilt(host_, state_, "FrmSyuuryou"); }
void AppNavigator::closeResults() {}
void AppNavigator::showWait() { host_.open<WaitScreen>(state_); }
void AppNavigator::closeWait() { host_.close<WaitScreen>(); }
void AppNavigator::showCriteriaEditor() { NotYetBuilt(host_, state_, "FrmTimeData"); }
void AppNavigator::showRecordsBrowser() { NotYetBuilt(host_, state_, "FrmData"); }

void AppNavigator::endProgram() {
    host_.closeAll();
    QApplication::exit(0);
}
