// AppendResult (the lock, the append, the sync) against its floor: writing
// and syncing 44 bytes at the end of a file in the same folder.
#include "BenchHarness.h"

#include "records/ResultsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A classroom whose results file starts empty, beside the bench data (the
// same disk), so the bench data's own file does not grow.
struct AppendClassroom : BenchClassroom {
    QTemporaryDir folder{root + QStringLiteral("append-XXXXXX")};

    AppendClassroom() {
        state->folders.DataFolder = folder.path() + QLatin1Char('/');
        state->folders.OutboxFolder = folder.path() + QStringLiteral("/outbox");
        state->session.StudentNo = 17;
        state->LevelNo = 3;
        state->ResultValue = 42;
    }
};

void AppendResultBench(benchmark::State& bench) {
    AppendClassroom classroom;
    for (auto _ : bench)
        if (AppendResult(*classroom.state) != RunRecording::Recorded)
            bench.SkipWithError("the run was not recorded");
}

void AppendResultFloor(benchmark::State& bench) {
    AppendClassroom classroom;
    const QByteArray path =
        QFile::encodeName(classroom.folder.path() + QStringLiteral("/floor.dat"));
    const char record[kRecordSize] = {};
    for (auto _ : bench) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        struct stat info {};
        ::fstat(fd, &info);
        if (::pwrite(fd, record, kRecordSize, info.st_size) != kRecordSize || ::fsync(fd) != 0)
            std::abort();
        ::close(fd);
    }
}

} // namespace

BENCHMARK(AppendResultBench)->Name("AppendResult")->Unit(benchmark::kMillisecond);
BENCHMARK(AppendResultFloor)->Name("AppendResult_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
