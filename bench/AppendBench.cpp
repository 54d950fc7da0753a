// AppendResult (the run kept on this machine, then the lock, the note, the
// append and the sync) against its floor: writing and syncing 44 bytes in a
// file of the outbox folder, then at the end of a file of the results folder.
// AppendRun is the same with the run's ten attempts, which ride in the outbox
// and land in the attempt log before the record; its floor writes and syncs
// the same bytes to the same three files.
#include "BenchHarness.h"

#include "core/ProgramState.h"
#include "records/AttemptLog.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A second later at every look: each run is its own, as a student's are
// (a run kept twice, to the second, is recorded once).
class TickingClock : public StillClock {
  public:
    using StillClock::StillClock;
    QDateTime now() const override { return StillClock::now().addSecs(ticks_++); }

  private:
    mutable qint64 ticks_ = 0;
};

// A classroom whose results file starts empty, beside the bench data (the
// same disk), so the bench data's own file does not grow.
struct AppendClassroom : BenchClassroom {
    QTemporaryDir folder{root + QStringLiteral("append-XXXXXX")};
    TickingClock ticking{clock.now()};

    explicit AppendClassroom(int attempts) {
        state->platform.clock = &ticking;
        state->folders.DataFolder = folder.path() + QLatin1Char('/');
        state->folders.OutboxFolder = folder.path() + QStringLiteral("/outbox");
        state->session.StudentNo = 17;
        state->LevelNo = 3;
        state->ResultValue = 42;
        for (int i = 1; i <= attempts; ++i) {
            Attempt a;
            a.problem = i;
            a.kind = 1 + i % 4;
            a.length = 2 + i % 9;
            a.keys = QStringLiteral("8×8×3.14");
            a.tenths = 35;
            state->drill.Attempts.push_back(a);
        }
    }
};

void AppendResultBench(benchmark::State& bench) {
    AppendClassroom classroom(int(bench.range(0)));
    for (auto _ : bench)
        if (AppendResult(*classroom.state) != RunRecording::Recorded)
            bench.SkipWithError("the run was not recorded");
}

// bytes zeros at the end of the file at path, synced.
void AppendSynced(const QByteArray& path, qsizetype bytes) {
    const QByteArray zeros(bytes, '\0');
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    struct stat info {};
    ::fstat(fd, &info);
    if (::pwrite(fd, zeros.constData(), size_t(bytes), info.st_size) != bytes || ::fsync(fd) != 0)
        std::abort();
    ::close(fd);
}

void AppendResultFloor(benchmark::State& bench) {
    const int attempts = int(bench.range(0));
    AppendClassroom classroom(attempts);
    QDir().mkpath(classroom.state->folders.OutboxFolder);
    const QByteArray local =
        QFile::encodeName(classroom.state->folders.OutboxFolder + QStringLiteral("/floor.dat"));
    const QByteArray shared =
        QFile::encodeName(classroom.folder.path() + QStringLiteral("/floor.dat"));
    const QByteArray log =
        QFile::encodeName(classroom.folder.path() + QStringLiteral("/floor-attempts.dat"));
    const qsizetype attemptBytes = qsizetype(attempts) * kAttemptRecordSize;
    for (auto _ : bench) {
        AppendSynced(local, kRecordSize + attemptBytes);
        if (attempts > 0) AppendSynced(log, attemptBytes);
        AppendSynced(shared, kRecordSize);
    }
}

} // namespace

BENCHMARK(AppendResultBench)->Name("AppendResult")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendResultFloor)->Name("AppendResult_floor")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendResultBench)->Name("AppendRun")->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendResultFloor)->Name("AppendRun_floor")->Arg(10)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
