// Wires the real seams and starts the program on its start-up screen.
// circle-drill [--program-folder DIR] [--fullscreen]

#include "app/AppNavigator.h"
#include "app/ProgramFolder.h"
#include "app/StartUp.h"
#include "audio/SdlSoundOutput.h"
#include "core/ProgramState.h"
#include "core/RealPlatform.h"
#include "platform/Process.h"
#include "widgets/BundledFonts.h"
#include "widgets/GuardedApplication.h"
#include "widgets/MessageBoxDialogs.h"
#include "widgets/ScaledWindow.h"
#include "widgets/Screen.h"
#include "widgets/VersionDialog.h"

#include <QFont>
#include <QMessageBox>
#include <QScreen>

#include <optional>
#include <string_view>

namespace {

// --help and --version answer on standard output, without a window; nullopt
// when the program is to start.
std::optional<int> AnswerInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            platform::WriteText(
                platform::StandardStream::Output,
                QStringLiteral(
                    "usage: circle-drill [--help | --version] [--program-folder DIR] "
                    "[--fullscreen]\n"
                    "Starts the circle-formula drill. The data folders are read from "
                    "パスデータ.txt\n"
                    "in the folder above the program folder (by default the program's own "
                    "folder).\n"
                    "  --program-folder DIR  the classroom's program folder\n"
                    "  --fullscreen          kiosk mode: the whole screen, left only through the "
                    "program\n"));
            return 0;
        }
        if (option == "--version") {
            platform::WriteText(platform::StandardStream::Output,
                                QStringLiteral("circle-drill %1\n").arg(VersionText()));
            return 0;
        }
    }
    return std::nullopt;
}

// A wrong shortcut is told where its user looks: on standard error when it
// leads anywhere, otherwise (a Windows program started from its icon) in a
// message box.
void TellUsageError(const QString& problem) {
    const QString text = QStringLiteral("circle-drill: %1").arg(problem);
    if (platform::HasStream(platform::StandardStream::Error))
        platform::WriteText(platform::StandardStream::Error, text + QLatin1Char('\n'));
    else
        QMessageBox::critical(nullptr, QStringLiteral("円の公式ドリル"), text);
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered = AnswerInformationOption(argc, argv)) return *answered;
    GuardedApplication app(argc, argv);
    LoadFontsBesideProgram();
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 12));
    QStringList arguments = QCoreApplication::arguments();
    const ProgramFolderChoice programFolder =
        TakeProgramFolder(arguments, QCoreApplication::applicationDirPath());
    if (!programFolder.problem.isEmpty()) {
        TellUsageError(programFolder.problem);
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
    app.guard(&state);

    window.setWindowTitle(QStringLiteral("円の公式ドリル"));
    if (kiosk)
        window.showKiosk(*window.screen());
    else
        window.showWindowed(*window.screen());
    StartProgram(state, host, programFolder.folder);
    return GuardedApplication::exec();
}
