#include "app/StartUp.h"

#include "app/Configuration.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "records/ResultsFile.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

StartupScreen* StartProgram(ProgramState& state, ScreenHost& host, const QString& programFolder) {
    StartupScreen* first = host.open<StartupScreen>(state);
    first->setHandOver([&state, &host, first, programFolder] {
        Navigator& navigator = *state.platform.navigator;
        try {
            LoadConfigurationPatiently(state, programFolder);
            // Runs an earlier start could not record go in before anything is counted.
            QString setAside;
            MoveOutboxIntoResults(state, &setAside);
            TellSetAsideNotice(state, setAside);
            navigator.showNameSelection();
            host.closeScreen(first);
        } catch (const ShownFileError&) {
            navigator.endProgram(); // told, or the user stopped waiting
        } catch (const DataFileError& error) {
            state.platform.dialogs->inform(QStringLiteral("ファイルエラー"), error.message());
            navigator.endProgram();
        }
    });
    return first;
}
