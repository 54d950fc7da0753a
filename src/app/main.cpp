// Wires the real seams and starts the program on its start-up screen.

#include "app/AppNavigator.h"
#include "app/StartUp.h"
#include "audio/SdlSoundOutput.h"
#include "core/GuardedApplication.h"
#include "core/ProgramState.h"
#include "core/RealPlatform.h"
#include "core/Screen.h"
#include "core/VersionDialog.h"

#include <QFont>

#include <cstdio>
#include <optional>
#include <string_view>

namespace {

// --help and --version answer on standard output, without a window; nullopt
// when the program is to start.
std::optional<int> AnswerInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            std::fputs("usage: circle-drill [--help | --version]\n"
                       "Starts the circle-formula drill. The data folders are read from パスデータ.txt\n"
                       "in the folder above the program's own folder.\n",
                       stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("circle-drill %s\n", qPrintable(VersionText()));
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered = AnswerInformationOption(argc, argv))
        return *answered;
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
    StartProgram(state, host, QCoreApplication::applicationDirPath());
    return GuardedApplication::exec();
}
