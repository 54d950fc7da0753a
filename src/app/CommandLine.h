#pragma once
// What the teachers' commands beside the program share: the arguments
// [--now "YYYY-MM-DD HH:MM:SS"] [--program-folder DIR | PROGRAM_FOLDER] (by
// default the command's own folder), a clock that may stand at that
// moment, messages on standard error, and a state loaded from the program folder.

#include "core/Platform.h"
#include "core/ProgramState.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>

#include <functional>
#include <optional>

// Exit status of a command refused for its arguments or its data files.
inline constexpr int kBadInput = 2;

// "--help" or "--version" anywhere in args: prints usage and what the command
// does, or the command's name and version, on standard output and returns
// true; nothing else is to be done. Call it before a window system is set up,
// which would say things on standard error.
bool PrintedHelp(const QStringList& args, const char* usage, const char* description);

// Messages of the toolkit itself (a font, the display, a runtime folder) are
// not the teachers' business: a command shows only its own on standard error.
void KeepToolkitMessagesQuiet();

struct CommandArguments {
    std::optional<QDateTime> now;
    QString programFolder;
};

// A command's own option at args[i]: returns false when args[i] is not one of
// its options; otherwise moves i onto the option's last value, or sets `problem`.
using OwnOption = std::function<bool(const QStringList& args, qsizetype& i, QString& problem)>;

// Reads --now, the program folder and the command's own options; nullopt with
// `problem` set when they are wrong or the folder does not exist.
std::optional<CommandArguments> ParseCommandArguments(QStringList args, QString& problem,
                                                      const OwnOption& ownOption = {});

// The wall clock, or a moment fixed by --now; waits simply sleep.
class CommandClock : public Clock {
  public:
    explicit CommandClock(std::optional<QDateTime> fixed);
    QDateTime now() const override;
    double monotonicSeconds() const override;
    void wait(int milliseconds) override;

  private:
    std::optional<QDateTime> fixed_;
    QElapsedTimer monotonic_;
};

// Messages meant for a message box go to standard error; questions are answered no.
class StderrDialogs : public Dialogs {
  public:
    void inform(const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text) override;
    bool askOkCancel(const QString& title, const QString& text) override;
};

// Loads the configuration and the level table of the program folder into a
// fresh state and runs `work` on it. A data file that cannot be used is
// reported as "<command>: <message>" and gives kBadInput; otherwise `work`'s status.
int RunOnClassroom(const char* command, const CommandArguments& arguments,
                   const std::function<int(ProgramState&)>& work);
