#include "app/CommandLine.h"
#include "platform/Process.h"

#include "app/Configuration.h"
#include "app/ProgramFolder.h"
#include "core/LevelCatalogue.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "widgets/VersionDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

std::optional<CommandArguments> ParseCommandArguments(QStringList args, QString& problem,
                                                      const OwnOption& ownOption) {
    CommandArguments parsed;
    const ProgramFolderChoice folder =
        TakeProgramFolder(args, QCoreApplication::applicationDirPath());
    if (!folder.problem.isEmpty()) {
        problem = folder.problem;
        return std::nullopt;
    }
    if (folder.given) parsed.programFolder = folder.folder;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--now")) {
            if (++i >= args.size()) {
                problem = QStringLiteral("--now needs a value");
                return std::nullopt;
            }
            const QDateTime when =
                QDateTime::fromString(args[i], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!when.isValid()) {
                problem = QStringLiteral("--now \"%1\" is not YYYY-MM-DD HH:MM:SS").arg(args[i]);
                return std::nullopt;
            }
            parsed.now = when;
        } else if (ownOption && ownOption(args, i, problem)) {
            if (!problem.isEmpty()) return std::nullopt;
        } else if (args[i].startsWith(QStringLiteral("--")) || !parsed.programFolder.isEmpty()) {
            problem = QStringLiteral("unexpected argument \"%1\"").arg(args[i]);
            return std::nullopt;
        } else {
            parsed.programFolder = args[i];
        }
    }
    if (parsed.programFolder.isEmpty())
        parsed.programFolder =
            folder.folder; // the command's own folder, as in a copied installation
    if (!QDir(parsed.programFolder).exists()) {
        problem = QStringLiteral("program folder %1 does not exist").arg(parsed.programFolder);
        return std::nullopt;
    }
    return parsed;
}

bool PrintedHelp(const QStringList& args, const char* usage, const char* description) {
    const QStringList options = args.mid(1);
    if (options.contains(QStringLiteral("--help"))) {
        platform::WriteText(platform::StandardStream::Output,
                            QString::fromUtf8(usage) + QString::fromUtf8(description));
        return true;
    }
    if (options.contains(QStringLiteral("--version"))) {
        const QString command = args.isEmpty() ? QString() : QFileInfo(args[0]).completeBaseName();
        platform::WriteText(platform::StandardStream::Output,
                            QStringLiteral("%1 %2\n").arg(command, VersionText()));
        return true;
    }
    return false;
}

void KeepToolkitMessagesQuiet() {
    static const QtMessageHandler toStderr = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            const bool own = context.category && QByteArray(context.category).startsWith("drill.");
            if (own || type == QtFatalMsg) toStderr(type, context, message);
        });
}

CommandClock::CommandClock(std::optional<QDateTime> fixed) : fixed_(std::move(fixed)) {
    monotonic_.start();
}
QDateTime CommandClock::now() const {
    return fixed_ ? *fixed_ : QDateTime::currentDateTime();
}
double CommandClock::monotonicSeconds() const {
    return monotonic_.elapsed() / 1000.0;
}
void CommandClock::wait(int milliseconds) {
    QThread::msleep(milliseconds);
}

void StderrDialogs::inform(const QString& title, const QString& text) {
    platform::WriteText(platform::StandardStream::Error,
                        QStringLiteral("%1: %2\n").arg(title, text));
}
bool StderrDialogs::askYesNo(const QString& title, const QString& text) {
    inform(title, text);
    return false;
}
bool StderrDialogs::askOkCancel(const QString& title, const QString& text) {
    return askYesNo(title, text);
}

int RunOnClassroom(const char* command, const CommandArguments& arguments,
                   const std::function<int(ProgramState&)>& work) {
    CommandClock clock(arguments.now);
    StderrDialogs dialogs;
    ProgramState state;
    state.platform.clock = &clock;
    state.platform.dialogs = &dialogs;
    try {
        LoadClassroomData(state, QDir(arguments.programFolder).absolutePath());
        BuildLevelTable(state);
        return work(state);
    } catch (const ShownFileError&) {
        return kBadInput; // told on standard error already
    } catch (const DataFileError& error) {
        platform::WriteText(
            platform::StandardStream::Error,
            QStringLiteral("%1: %2\n").arg(QString::fromUtf8(command), error.message()));
        return kBadInput;
    }
}
