// AppendResult (the run kept on this machine, then the lock, the note, the
// append and the sync) against its floor: writing and syncing 44 bytes in a
// file of the outbox folder, then at the end of a file of the results folder.
#include "BenchHarness.h"

#include "records/ResultsFile.h"

#include <QDir>
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

// 44 bytes at the end of the file at path, synced.
void AppendSynced(const QByteArray& path) {
    const char record[kRecordSize] = {};
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    struct stat info {};
    ::fstat(fd, &info);
    if (::pwrite(fd, record, kRecordSize, info.st_size) != kRecordSize || ::fsync(fd) != 0)
        std::abort();
    ::close(fd);
}

void AppendResultFloor(benchmark::State& bench) {
    AppendClassroom classroom;
    QDir().mkpath(classroom.state->folders.OutboxFolder);
    const QByteArray local =
        QFile::encodeName(classroom.state->folders.OutboxFolder + QStringLiteral("/floor.dat"));
    const QByteArray shared =
        QFile::encodeName(classroom.folder.path() + QStringLiteral("/floor.dat"));
    for (auto _ : bench) {
        AppendSynced(local);
        AppendSynced(shared);
    }
}

} // namespace

BENCHMARK(AppendResultBench)->Name("AppendResult")->Unit(benchmark::kMillisecond);
BENCHMARK(AppendResultFloor)->Name("AppendResult_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
