#pragma once
// The one way every screen and command reads a file the classroom shares (the
// results file, the roster) and writes the results file: patient with a file
// server that is briefly away or a file another machine holds, and ending the
// program with one message when a file stays unreadable.

#include "core/SharedReading.h"
#include "core/Text.h"

#include <functional>
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
void ReadPatiently(ProgramState& state, const std::function<void()>& read);

// Runs write, which throws FileAccessError, with the same patience for a held
// or refused file and an absent server; the question says what Cancel does (onCancel:
// "変更をやめます"). False when the user cancels; any other failure is thrown on to the caller.
bool WritePatiently(ProgramState& state, const QString& onCancel,
                    const std::function<void()>& write);

// The same with each try on a worker thread while this thread waits in the
// clock's wait (the window paints, events run): the question comes every 30
// seconds even while a call is stuck (a file server that stopped answering).
// On Cancel while a try is stuck, that try is left to end by itself, so
// write must own everything it uses. The program's end waits a few seconds
// at most for such a try.
bool WritePatientlyOffThread(ProgramState& state, const QString& onCancel,
                             std::function<void()> write);

template <typename Read>
auto ReadPatientlyValue(ProgramState& state, Read read) -> decltype(read()) {
    std::optional<decltype(read())> value;
    ReadPatiently(state, [&] { value.emplace(read()); });
    return std::move(*value);
}

// Shows, under the caution title, what a writer's lock said of an intent it
// set aside (ResultsFileLock::setAsideNotice); nothing when notice is empty.
void TellSetAsideNotice(ProgramState& state, const QString& notice);

// Runs a screen action that reads or writes shared files. A file error (or
// any other error) is shown once and the program ends; the caller gets false
// and must leave the screen as it is. Nothing of the error leaves the handler.
bool RunFileAction(ProgramState& state, const std::function<void()>& action);
// A screen action that only reads shared files: read patiently, then as RunFileAction.
bool RunReadAction(ProgramState& state, const std::function<void()>& read);
