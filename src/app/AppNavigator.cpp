#include "app/AppNavigator.h"

#include "core/ProgramState.h"
#include "core/Screen.h"
#include "core/StartupScreens.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "drill/DrillScreen.h"
#include "drill/ResultsScreen.h"
#include "screens/RecordsBrowserScreen.h"

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

void AppNavigator::showNameSelection() { host_.open<NameSelectionScreen>(state_); }
void AppNavigator::showBoard() {
    // The board takes over from the name selection screen.
    host_.close<NameSelectionScreen>();
    host_.open<LevelBoard>(state_);
}
void AppNavigator::closeBoard() { host_.close<LevelBoard>(); }
void AppNavigator::showDrill() { host_.open<MainFrm>(state_); }
void AppNavigator::closeDrill() { host_.close<MainFrm>(); }
void AppNavigator::showResults() { host_.open<FrmSyuuryou>(state_); }
void AppNavigator::closeResults() { host_.close<FrmSyuuryou>(); }
void AppNavigator::showWait() { host_.open<WaitScreen>(state_); }
void AppNavigator::closeWait() { host_.close<WaitScreen>(); }
void AppNavigator::showCriteriaEditor() { NotYetBuilt(host_, state_, "FrmTimeData"); }
void AppNavigator::showRecordsBrowser() { host_.open<FrmData>(state_); }

void AppNavigator::endProgram() {
    host_.closeAll();
    QApplication::exit(0);
}
