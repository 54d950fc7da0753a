#include "app/AppNavigator.h"

#include "core/ProgramState.h"
#include "screens/CriteriaEditor.h"
#include "screens/DrillScreen.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "screens/RecordsBrowser.h"
#include "screens/ResultsScreen.h"
#include "screens/WorksheetScreen.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"
#include "widgets/WaitScreen.h"

#include <QApplication>

void AppNavigator::showNameSelection() {
    host_.open<NameSelectionScreen>(state_);
}
void AppNavigator::showBoard() {
    // The board takes over from the name selection screen.
    host_.close<NameSelectionScreen>();
    host_.open<LevelBoard>(state_);
}
void AppNavigator::closeBoard() {
    host_.close<LevelBoard>();
}
void AppNavigator::showDrill() {
    host_.open<DrillScreen>(state_);
}
void AppNavigator::closeDrill() {
    host_.close<DrillScreen>();
}
void AppNavigator::showResults() {
    host_.open<ResultsScreen>(state_);
}
void AppNavigator::closeResults() {
    host_.close<ResultsScreen>();
}
void AppNavigator::showWait() {
    if (!waitShown()) focusBeforeWait_ = QApplication::focusWidget();
    host_.open<WaitScreen>(state_);
}
void AppNavigator::closeWait() {
    host_.close<WaitScreen>();
    if (focusBeforeWait_ && focusBeforeWait_->isVisible()) focusBeforeWait_->setFocus();
    focusBeforeWait_.clear();
}
bool AppNavigator::waitShown() const {
    return host_.find<WaitScreen>() != nullptr;
}
void AppNavigator::showCriteriaEditor() {
    host_.open<CriteriaEditor>(state_);
}
void AppNavigator::showRecordsBrowser() {
    host_.open<RecordsBrowser>(state_);
}
void AppNavigator::showWorksheets() {
    host_.open<WorksheetScreen>(state_);
}

void AppNavigator::endProgram() {
    host_.closeAll();
    QApplication::exit(0);
}
