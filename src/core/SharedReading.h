#pragma once
// The one way every screen and command reads a file the classroom shares (the
// results file, the roster) and writes the results file: patient with a file
// server that is briefly away or a file another machine holds, and ending the
// program with one message when a file stays unreadable.

#include "core/SharedReading.h"
#include "core/Text.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>

struct ProgramState;

// What the results file's errors call it; its other failures are headed as
// the classroom knows them.
inline const QString kResultsFileSubject = QStringLiteral("成績ファイル");

// The file could not be read and the user has been told (or chose to stop
// waiting): the program ends without another message.
class ShownFileError : public DataFileError {
  public:
    using DataFileError::DataFileError;
};

// Runs read, which throws FileAccessError, until it succeeds: a missing file or
// folder is tried again for about 15 seconds; a held or refused file, or a
// file server that does not answer (platform::KindOfError), every second with
// a question to the user every 30 seconds; any other failure, or the user
// giving up, is shown once and throws ShownFileError.
// Each try runs on a worker thread while this thread waits in the clock's
// wait (the window paints, events run, the wait screen shows when a try takes
// more than a moment), and the question comes every 30 seconds even while a
// call is stuck (a file server that stopped answering). A try left stuck by
// Cancel ends by itself later, so read must own everything it uses: copies
// of what it needs of the state, and what it reads kept in a value it owns
// (ReadPatientlyValue), taken into the state by the caller afterwards.
void ReadPatiently(ProgramState& state, std::function<void()> read);
// The same for the settings (at start, in the criteria editor): a missing or
// unreadable file is thrown on at once, for the caller to tell; a held one is
// waited for.
void ReadSettingsPatiently(ProgramState& state, std::function<void()> read);

// Runs write, which throws FileAccessError, each try on a worker as a read's,
// with the same patience for a held or refused file and an absent server; the
// question says what Cancel does (onCancel: "変更をやめます"). False when the
// user cancels, a stuck try then left to end by itself (write owns what it
// uses); any other failure is thrown on to the caller. The caller shows its
// wait (screen or panel) first. The program's end waits a few seconds at most
// for a stuck try.
bool WritePatiently(ProgramState& state, const QString& onCancel, std::function<void()> write);

// The value read returns, read by patience (ReadPatiently or
// ReadSettingsPatiently); read runs on a worker and must own what it uses
// (capture copies, not the state).
template <typename Read>
auto ReadPatientlyValue(ProgramState& state, Read read,
                        void (*patience)(ProgramState&, std::function<void()>) = ReadPatiently)
    -> decltype(read()) {
    using Value = decltype(read());
    auto value = std::make_shared<std::optional<Value>>();
    patience(state, [value, read = std::move(read)]() mutable { value->emplace(read()); });
    return std::move(**value);
}

// Shows, under the caution title, what a writer's lock said of an intent it
// set aside (ResultsFileLock::setAsideNotice); nothing when notice is empty.
void TellSetAsideNotice(ProgramState& state, const QString& notice);

// Runs a screen action that reads or writes shared files. A file error (or
// any other error) is shown once and the program ends; the caller gets false
// and must leave the screen as it is. Nothing of the error leaves the handler.
bool RunFileAction(ProgramState& state, const std::function<void()>& action);
