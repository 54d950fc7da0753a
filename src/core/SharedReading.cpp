#include "core/SharedReading.h"

#include "core/ProgramState.h"
#include "platform/File.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <cerrno>
#include <chrono>
#include <deque>
#include <exception>
#include <memory>

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
    if (state.platform.clock->monotonicSeconds() >= askAt) {
        if (!ask()) return false;
        askAt = state.platform.clock->monotonicSeconds() + kSecondsPerQuestion;
    }
    state.platform.clock->wait(kBusyFileWaitMs);
    return true;
}

// The workers that run the tries: made as tries need them and kept until the
// program ends. A try left stuck by Cancel keeps its worker; the next try
// gets another. The program's end waits a few seconds at most for running
// tries, then leaves the workers to the system (they keep what they share
// with this alive). Qt's threads and wait conditions, not the C++ library's:
// under Wine the latter go through a thread library in which a thread made
// just as another one ended sometimes never started, and a wake-up at the
// program's end could wait for ever.
class Workers {
  public:
    ~Workers() {
        QDeadlineTimer deadline(std::chrono::seconds(3));
        const QMutexLocker lock(&shared_->mutex);
        while (shared_->running > 0 && !deadline.hasExpired())
            shared_->tryEnded.wait(&shared_->mutex, deadline);
    }
    void start(std::function<void()> work) {
        const QMutexLocker lock(&shared_->mutex);
        ++shared_->running;
        shared_->queue.push_back(std::move(work));
        // Each waiting try has an idle worker to wake, or a new one.
        if (shared_->idle >= int(shared_->queue.size())) {
            shared_->workArrived.wakeOne();
            return;
        }
        (new WorkerThread(shared_))->start();
    }

  private:
    struct Shared {
        QMutex mutex;
        QWaitCondition workArrived;
        QWaitCondition tryEnded;
        std::deque<std::function<void()>> queue;
        int idle = 0;
        int running = 0; // tries handed out and not yet ended

        [[noreturn]] void serve() {
            QMutexLocker lock(&mutex);
            for (;;) {
                ++idle;
                while (queue.empty())
                    workArrived.wait(&mutex);
                --idle;
                std::function<void()> work = std::move(queue.front());
                queue.pop_front();
                lock.unlock();
                work();
                lock.relock();
                --running;
                tryEnded.wakeAll();
            }
        }
    };
    // Never deleted: it serves until the program ends.
    class WorkerThread : public QThread {
      public:
        explicit WorkerThread(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

      private:
        void run() override { shared_->serve(); }
        std::shared_ptr<Shared> shared_;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

Workers& RunningWorkers() {
    static Workers workers;
    return workers;
}

constexpr int kWorkerPollMs = 40;
// A call that has not ended by then shows the wait screen; a usual read
// ends well before and shows nothing.
constexpr auto kMomentBeforeWaitScreen = std::chrono::milliseconds(300);

enum class CallKind { Read, Write };

struct Patience {
    CallKind kind;
    // A read of the classroom's files tries a missing one again for a while
    // and ends the program at any other failure; a write, or a read of the
    // settings at start, throws both on to its caller.
    bool endsAtFailure;
    QString onCancel; // the question's last words: what Cancel does
};

// The wait screen over a read that takes longer than a moment, real time:
// the window must not look frozen, whatever the program's clock says. A
// write's caller shows its own wait first (the drill's wait screen, the
// browser's panel); a command has no window.
class WaitScreenWhenSlow {
  public:
    WaitScreenWhenSlow(ProgramState& state, CallKind kind)
        : navigator_(kind == CallKind::Read ? state.platform.navigator : nullptr),
          showAt_(std::chrono::steady_clock::now() + kMomentBeforeWaitScreen) {}
    ~WaitScreenWhenSlow() {
        if (shown_) navigator_->closeWait();
    }
    void showIfSlow() {
        if (!navigator_ || shown_ || std::chrono::steady_clock::now() < showAt_) return;
        if (navigator_->waitShown()) {
            navigator_ = nullptr; // another's wait screen: left to its owner
            return;
        }
        shown_ = true;
        navigator_->showWait();
    }

  private:
    Navigator* navigator_;
    std::chrono::steady_clock::time_point showAt_;
    bool shown_ = false;
};

bool AskWhileStuck(ProgramState& state, const Patience& how) {
    const QString stuck = how.kind == CallKind::Read
                              ? QStringLiteral("ファイルの読み出しが終わりません。")
                              : QStringLiteral("ファイルへの書き込みが終わりません。");
    const QString text = QStringLiteral("ファイルサーバーに接続できません。%1\n\n"
                                        "OK で待ち続け、キャンセルで%2。")
                             .arg(stuck, how.onCancel);
    return state.platform.dialogs->askOkCancel(state.levels.ProgramTitle, text);
}

enum class WorkerTry { Ended, Cancelled };

// How a try on a worker ended, told to the thread that waits for it.
class TryOutcome {
  public:
    void end(std::exception_ptr failure) {
        const QMutexLocker lock(&mutex_);
        failure_ = std::move(failure);
        ended_ = true;
        endedNow_.wakeAll();
    }
    bool endedWithin(std::chrono::milliseconds limit) {
        const QMutexLocker lock(&mutex_);
        if (!ended_) endedNow_.wait(&mutex_, QDeadlineTimer(limit));
        return ended_;
    }
    void rethrowFailure() const {
        if (failure_) std::rethrow_exception(failure_);
    }

  private:
    QMutex mutex_;
    QWaitCondition endedNow_;
    bool ended_ = false;
    std::exception_ptr failure_;
};

// One try of call on a worker while this thread waits, asking at askAt and
// every 30 seconds after while the try is still running; throws what the try threw.
WorkerTry TryOnWorker(ProgramState& state, const Patience& how, const std::function<void()>& call,
                      double& askAt, WaitScreenWhenSlow& waitScreen) {
    auto outcome = std::make_shared<TryOutcome>();
    RunningWorkers().start([call, outcome] {
        std::exception_ptr failure;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        outcome->end(failure);
    });
    while (!outcome->endedWithin(std::chrono::milliseconds(10))) {
        waitScreen.showIfSlow();
        if (state.platform.clock->monotonicSeconds() >= askAt) {
            if (!AskWhileStuck(state, how)) return WorkerTry::Cancelled;
            askAt = state.platform.clock->monotonicSeconds() + kSecondsPerQuestion;
        }
        state.platform.clock->wait(kWorkerPollMs);
    }
    outcome->rethrowFailure();
    return WorkerTry::Ended;
}

// The one waiting loop of reads and writes: each try on a worker, the
// failures met as how says. False when the user stops waiting.
bool CallPatiently(ProgramState& state, const Patience& how, const std::function<void()>& call) {
    WaitScreenWhenSlow waitScreen(state, how.kind);
    int missing = 0;
    // The first question comes with the thirtieth try at a held file.
    double askAt =
        state.platform.clock->monotonicSeconds() + kSecondsPerQuestion - kBusyFileWaitMs / 1000.0;
    for (;;) {
        try {
            return TryOnWorker(state, how, call, askAt, waitScreen) == WorkerTry::Ended;
        } catch (const FileAccessError& error) {
            const bool reading = how.kind == CallKind::Read;
            const ReadFailure failure = ClassifyReadFailure(error.errorNumber());
            waitScreen.showIfSlow();
            switch (failure) {
            case ReadFailure::Missing:
                if (!how.endsAtFailure) throw;
                if (++missing >= kMissingFileAttempts)
                    ReportAndEnd(state, QStringLiteral("ファイルがありません"), error);
                state.platform.clock->wait(kMissingFileWaitMs);
                break;
            case ReadFailure::Busy:
            case ReadFailure::Network:
                if (!WaitForBusyFile(state, askAt, [&] {
                        return reading ? AskToGoOnReading(state, error, failure)
                                       : AskToGoOnWriting(state, error, failure, how.onCancel);
                    }))
                    return false;
                break;
            case ReadFailure::Other:
                if (!how.endsAtFailure) throw;
                ReportAndEnd(state,
                             error.subject() == kResultsFileSubject
                                 ? QStringLiteral("成績ランダムファイル表示")
                                 : QStringLiteral("ファイルエラー"),
                             error);
            }
        }
    }
}

void ReadOrEnd(ProgramState& state, bool endsAtFailure, const std::function<void()>& read) {
    if (!CallPatiently(
            state, {CallKind::Read, endsAtFailure, QStringLiteral("プログラムを終了します")}, read))
        throw ShownFileError(QStringLiteral("reading stopped by the user"));
}

} // namespace

void ReadPatiently(ProgramState& state, std::function<void()> read) {
    ReadOrEnd(state, true, read);
}

void ReadSettingsPatiently(ProgramState& state, std::function<void()> read) {
    ReadOrEnd(state, false, read);
}

bool WritePatiently(ProgramState& state, const QString& onCancel, std::function<void()> write) {
    return CallPatiently(state, {CallKind::Write, false, onCancel}, write);
}

void TellSetAsideNotice(ProgramState& state, const QString& notice) {
    if (!notice.isEmpty()) state.platform.dialogs->inform(QStringLiteral("注意"), notice);
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
