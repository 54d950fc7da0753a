#include "core/SharedReading.h"

#include "core/ProgramState.h"

#include <cerrno>
#include <exception>

namespace {

constexpr int kMissingFileAttempts = 4;
constexpr int kMissingFileWaitMs = 5000;
constexpr int kBusyFileWaitMs = 1000;
// A file held by another machine is waited for without limit, but every so
// many tries the user is asked: a file nobody may read stays unreadable.
constexpr int kBusyAttemptsPerQuestion = 30;

enum class ReadFailure { Missing, Busy, Other };

ReadFailure ClassifyReadFailure(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return ReadFailure::Missing;
    case EACCES:
    case EBUSY:
    case EAGAIN:
    case ETXTBSY:
        return ReadFailure::Busy;
    default:
        return ReadFailure::Other;
    }
}

[[noreturn]] void ReportAndEnd(ProgramState& state, const QString& heading,
                               const FileAccessError& error) {
    const QString text =
        QStringLiteral("%1 %2\n%3").arg(heading).arg(error.errorNumber()).arg(error.message());
    state.platform.dialogs->inform(state.levels.ProgramTitle, text);
    throw ShownFileError(text);
}

// After a run of busy tries: true to go on waiting.
bool AskToGoOnReading(ProgramState& state, const FileAccessError& error) {
    const QString text = QStringLiteral("%1を読み出せません。ほかのパソコンが使っているか、"
                                        "読み出しが許可されていません。\n%2 %3\n\n"
                                        "OK で待ち続け、キャンセルでプログラムを終了します。")
                             .arg(error.subject())
                             .arg(error.errorNumber())
                             .arg(error.message());
    return state.platform.dialogs->askOkCancel(state.levels.ProgramTitle, text);
}

bool AskToGoOnWriting(ProgramState& state, const FileAccessError& error, const QString& onCancel) {
    const QString text = QStringLiteral("%1に書き込めません。ほかのパソコンが使っているか、"
                                        "書き込みが許可されていません。\n%2 %3\n\n"
                                        "OK で待ち続け、キャンセルで%4。")
                             .arg(error.subject())
                             .arg(error.errorNumber())
                             .arg(error.message(), onCancel);
    return state.platform.dialogs->askOkCancel(state.levels.ProgramTitle, text);
}

// One more try at a held or refused file: a second's wait, with the question
// every so many tries. False when the user stops waiting.
bool WaitForBusyFile(ProgramState& state, int& busyTries, const std::function<bool()>& ask) {
    if (++busyTries % kBusyAttemptsPerQuestion == 0 && !ask()) return false;
    state.platform.clock->wait(kBusyFileWaitMs);
    return true;
}

} // namespace

void ReadPatiently(ProgramState& state, const std::function<void()>& read) {
    int missing = 0;
    int busy = 0;
    for (;;) {
        try {
            read();
            return;
        } catch (const FileAccessError& error) {
            switch (ClassifyReadFailure(error.errorNumber())) {
            case ReadFailure::Missing:
                if (++missing >= kMissingFileAttempts)
                    ReportAndEnd(state, QStringLiteral("ファイルがありません"), error);
                state.platform.clock->wait(kMissingFileWaitMs);
                break;
            case ReadFailure::Busy:
                if (!WaitForBusyFile(state, busy, [&] { return AskToGoOnReading(state, error); }))
                    throw ShownFileError(error.message());
                break;
            case ReadFailure::Other:
                ReportAndEnd(state,
                             error.subject() == kResultsFileSubject
                                 ? QStringLiteral("成績ランダムファイル表示")
                                 : QStringLiteral("ファイルエラー"),
                             error);
            }
        }
    }
}

bool WritePatiently(ProgramState& state, const QString& onCancel,
                    const std::function<void()>& write) {
    int busy = 0;
    for (;;) {
        try {
            write();
            return true;
        } catch (const FileAccessError& error) {
            if (ClassifyReadFailure(error.errorNumber()) != ReadFailure::Busy) throw;
            if (!WaitForBusyFile(state, busy,
                                 [&] { return AskToGoOnWriting(state, error, onCancel); }))
                return false;
        }
    }
}

void TellSetAsideNotice(ProgramState& state, const QString& notice) {
    if (!notice.isEmpty()) state.platform.dialogs->inform(QStringLiteral("注意"), notice);
}

bool RunReadAction(ProgramState& state, const std::function<void()>& read) {
    return RunFileAction(state, [&] { ReadPatiently(state, read); });
}

bool RunFileAction(ProgramState& state, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const ShownFileError&) {
    } catch (const DataFileError& error) {
        state.platform.dialogs->inform(QStringLiteral("ファイルエラー"), error.message());
    } catch (const std::exception& error) {
        state.platform.dialogs->inform(
            state.levels.ProgramTitle,
            QStringLiteral("思わぬ誤りが起きたので、プログラムを終了します。\n%1")
                .arg(QString::fromLocal8Bit(error.what())));
    }
    state.platform.navigator->endProgram();
    return false;
}
