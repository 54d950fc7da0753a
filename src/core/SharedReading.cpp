#include "core/SharedReading.h"

#include "core/ProgramState.h"
#include "platform/File.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <thread>

namespace {

constexpr int kMissingFileAttempts = 4;
constexpr int kMissingFileWaitMs = 5000;
constexpr int kBusyFileWaitMs = 1000;
// A file held by another machine or a file server away is waited for without
// limit, but every so many seconds the user is asked: a file nobody may read
// stays unreadable. Seconds, not tries: one try at an unreachable server can
// take a minute.
constexpr double kSecondsPerQuestion = 30;

enum class ReadFailure { Missing, Busy, Network, Other };

ReadFailure ClassifyReadFailure(int errorNumber) {
    if (platform::KindOfError(errorNumber) != platform::ErrorKind::Other)
        return ReadFailure::Network;
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
// What the question says of the failure: a held or refused file (reading or
// writing), or a file server that does not answer.
QString WhyItWaits(const FileAccessError& error, ReadFailure failure, const QString& held) {
    const QString cause = QStringLiteral("%1 %2").arg(error.errorNumber()).arg(error.message());
    if (failure != ReadFailure::Network)
        return QStringLiteral("%1%2\n%3").arg(error.subject(), held, cause);
    QString text = QStringLiteral("ファイルサーバーに接続できません。\n%1").arg(cause);
    if (platform::KindOfError(error.errorNumber()) == platform::ErrorKind::TooManyConnections)
        text += QStringLiteral("\nファイルサーバーが Windows 10/11 のパソコンのときは、"
                               "つなげるのは 20 台までです。使わないパソコンのプログラムを"
                               "終わらせてください。");
    return text;
}

bool AskToGoOnReading(ProgramState& state, const FileAccessError& error, ReadFailure failure) {
    const QString text =
        QStringLiteral("%1\n\nOK で待ち続け、キャンセルでプログラムを終了します。")
            .arg(WhyItWaits(error, failure,
                            QStringLiteral("を読み出せません。ほかのパソコンが使っているか、"
                                           "読み出しが許可されていません。")));
    return state.platform.dialogs->askOkCancel(state.levels.ProgramTitle, text);
}

bool AskToGoOnWriting(ProgramState& state, const FileAccessError& error, ReadFailure failure,
                      const QString& onCancel) {
    const QString text =
        QStringLiteral("%1\n\nOK で待ち続け、キャンセルで%2。")
            .arg(WhyItWaits(error, failure,
                            QStringLiteral("に書き込めません。ほかのパソコンが使っているか、"
                                           "書き込みが許可されていません。")),
                 onCancel);
    return state.platform.dialogs->askOkCancel(state.levels.ProgramTitle, text);
}

// One more try at a held or refused file or an absent server: a second's
// wait, with the question every so many seconds. False when the user stops
// waiting.
bool WaitForBusyFile(ProgramState& state, double& askAt, const std::function<bool()>& ask) {
    const double now = state.platform.clock->monotonicSeconds();
    // The first question comes with the thirtieth try.
    if (askAt < 0) askAt = now + kSecondsPerQuestion - kBusyFileWaitMs / 1000.0;
    if (now >= askAt) {
        if (!ask()) return false;
        askAt = state.platform.clock->monotonicSeconds() + kSecondsPerQuestion;
    }
    state.platform.clock->wait(kBusyFileWaitMs);
    return true;
}

// Tries still running on their workers; the program's end waits for them a
// few seconds at most, then leaves them to the system.
class Workers {
  public:
    ~Workers() {
        std::unique_lock lock(mutex_);
        ended_.wait_for(lock, std::chrono::seconds(3), [this] { return running_ == 0; });
    }
    void start(std::function<void()> work) {
        {
            const std::lock_guard lock(mutex_);
            ++running_;
        }
        std::thread([this, work = std::move(work)] {
            work();
            const std::lock_guard lock(mutex_);
            --running_;
            ended_.notify_all();
        }).detach();
    }

  private:
    std::mutex mutex_;
    std::condition_variable ended_;
    int running_ = 0;
};

Workers& RunningWorkers() {
    static Workers workers;
    return workers;
}

constexpr int kWorkerPollMs = 40;

bool AskWhileStuck(ProgramState& state, const QString& onCancel) {
    const QString text = QStringLiteral("ファイルサーバーに接続できません。%1が答えません。\n\n"
                                        "OK で待ち続け、キャンセルで%2。")
                             .arg(kResultsFileSubject, onCancel);
    return state.platform.dialogs->askOkCancel(state.levels.ProgramTitle, text);
}

enum class WorkerTry { Ended, Cancelled };

// One try of write on a worker while this thread waits, asking at askAt and
// every 30 seconds after while the try is still running; throws what the try threw.
WorkerTry TryOnWorker(ProgramState& state, const QString& onCancel,
                      const std::function<void()>& write, double& askAt) {
    auto outcome = std::make_shared<std::promise<void>>();
    std::future<void> ended = outcome->get_future();
    RunningWorkers().start([write, outcome] {
        try {
            write();
            outcome->set_value();
        } catch (...) {
            outcome->set_exception(std::current_exception());
        }
    });
    while (ended.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (state.platform.clock->monotonicSeconds() >= askAt) {
            if (!AskWhileStuck(state, onCancel)) return WorkerTry::Cancelled;
            askAt = state.platform.clock->monotonicSeconds() + kSecondsPerQuestion;
        }
        state.platform.clock->wait(kWorkerPollMs);
    }
    ended.get();
    return WorkerTry::Ended;
}

} // namespace

void ReadPatiently(ProgramState& state, const std::function<void()>& read) {
    int missing = 0;
    double askAt = -1;
    for (;;) {
        try {
            read();
            return;
        } catch (const FileAccessError& error) {
            const ReadFailure failure = ClassifyReadFailure(error.errorNumber());
            switch (failure) {
            case ReadFailure::Missing:
                if (++missing >= kMissingFileAttempts)
                    ReportAndEnd(state, QStringLiteral("ファイルがありません"), error);
                state.platform.clock->wait(kMissingFileWaitMs);
                break;
            case ReadFailure::Busy:
            case ReadFailure::Network:
                if (!WaitForBusyFile(state, askAt,
                                     [&] { return AskToGoOnReading(state, error, failure); }))
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
    double askAt = -1;
    for (;;) {
        try {
            write();
            return true;
        } catch (const FileAccessError& error) {
            const ReadFailure failure = ClassifyReadFailure(error.errorNumber());
            if (failure != ReadFailure::Busy && failure != ReadFailure::Network) throw;
            if (!WaitForBusyFile(state, askAt,
                                 [&] { return AskToGoOnWriting(state, error, failure, onCancel); }))
                return false;
        }
    }
}

bool WritePatientlyOffThread(ProgramState& state, const QString& onCancel,
                             std::function<void()> write) {
    double askAt =
        state.platform.clock->monotonicSeconds() + kSecondsPerQuestion - kBusyFileWaitMs / 1000.0;
    for (;;) {
        try {
            return TryOnWorker(state, onCancel, write, askAt) == WorkerTry::Ended;
        } catch (const FileAccessError& error) {
            const ReadFailure failure = ClassifyReadFailure(error.errorNumber());
            if (failure != ReadFailure::Busy && failure != ReadFailure::Network) throw;
            if (!WaitForBusyFile(state, askAt,
                                 [&] { return AskToGoOnWriting(state, error, failure, onCancel); }))
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
