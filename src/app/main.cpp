// Wires the real seams and starts the program on its start-up screen.

#include "app/AppNavigator.h"
#include "app/Configuration.h"
#include "audio/SdlSoundOutput.h"
#include "core/GuardedApplication.h"
#include "core/ProgramState.h"
#include "core/RealPlatform.h"
#include "core/Screen.h"
#include "core/StartupScreens.h"
#include "core/Text.h"

#include <QFont>

int main(int argc, char** argv) {
    GuardedApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 12));

    ProgramState state;
    SystemClock clock;
    MersenneRandom random;
    SdlAudio audio;
    SdlSoundOutput sound(audio);
    ScreenHost host;
    MessageBoxDialogs dialogs(&host);
    ProcessLauncher launcher;
    AppNavigator navigator(host, state);
    state.platform = Platform{&clock, &random, &sound, &dialogs, &launcher, &navigator};
    app.guard(&state);

    host.setWindowTitle(QStringLiteral("円の公式ドリル"));
    host.show();
    Firstfrm* first = host.open<Firstfrm>(state);
    first->setHandOver([&] {
        try {
            LoadConfiguration(state, QCoreApplication::applicationDirPath());
            navigator.showNameSelection();
            host.closeScreen(first);
        } catch (const DataFileError& error) {
            dialogs.inform(QStringLiteral("ファイルエラー"), error.message());
            navigator.endProgram();
        }
    });
    return GuardedApplication::exec();
}
