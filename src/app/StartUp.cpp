#include "app/StartUp.h"

#include "app/Configuration.h"
#include "core/ProgramState.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreens.h"
#include "core/Text.h"

Firstfrm* StartProgram(ProgramState& state, ScreenHost& host, const QString& programFolder) {
    Firstfrm* first = host.open<Firstfrm>(state);
    first->setHandOver([&state, &host, first, programFolder] {
        Navigator& navigator = *state.platform.navigator;
        try {
            LoadConfiguration(state, programFolder);
            navigator.showNameSelection();
            host.closeScreen(first);
        } catch (const DataFileError& error) {
            state.platform.dialogs->inform(QStringLiteral("ファイルエラー"), error.message());
            navigator.endProgram();
        }
    });
    return first;
}
