// Wires the real seams and starts the program on its start-up screen.
// circle-drill [--program-folder DIR] [--fullscreen]

#include "app/AppNavigator.h"
#include "app/Configuration.h"
#include "app/ProgramFolder.h"
#include "audio/SdlSoundOutput.h"
#include "core/ProgramState.h"
#include "core/RealPlatform.h"
#include "core/ScaledWindow.h"
#include "core/Screen.h"
#include "core/StartupScreens.h"
#include "core/Text.h"

#include <QApplication>
#include <QFont>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 12));
    QStringList arguments = QCoreApplication::arguments();
    const ProgramFolderChoice programFolder =
        TakeProgramFolder(arguments, QCoreApplication::applicationDirPath());
    if (!programFolder.problem.isEmpty()) {
        std::fprintf(stderr, "circle-drill: %s\n", qPrintable(programFolder.problem));
        return 2;
    }
    const bool kiosk = arguments.contains(QStringLiteral("--fullscreen"));

    ProgramState state;
    SystemClock clock;
    MersenneRandom random;
    SdlAudio audio;
    SdlSoundOutput sound(audio);
    ScreenHost host;
    ScaledWindow window(host);
    MessageBoxDialogs dialogs(&host);
    ProcessLauncher launcher;
    AppNavigator navigator(host, state);
    state.platform = Platform{&clock, &random, &sound, &dialogs, &launcher, &navigator};

    window.setWindowTitle(QStringLiteral("円の公式ドリル"));
    if (kiosk)
        window.showKiosk(*window.screen());
    else
        window.showWindowed(*window.screen());
    Firstfrm* first = host.open<Firstfrm>(state);
    first->setHandOver([&] {
        try {
            LoadConfiguration(state, programFolder.folder);
            navigator.showNameSelection();
            host.closeScreen(first);
        } catch (const DataFileError& error) {
            dialogs.inform(QStringLiteral("ファイルエラー"), error.message());
            navigator.endProgram();
        }
    });
    return QApplication::exec();
}
