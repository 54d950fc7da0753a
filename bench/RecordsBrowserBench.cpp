// The records browser on 1 000 000 records: opening it (roster, one read of the
// file, the list laid out and its first rows painted) against reading the
// file's bytes once; deleting the first record (every later record moves)
// against copying the file's bytes once.
#include "BenchHarness.h"

#include "records/RecordMaintenance.h"
#include "records/ResultsFile.h"
#include "rules/RecordRows.h"
#include "screens/RecordsBrowser.h"

#include <QCoreApplication>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct BrowserClassroom : BenchClassroom {
    BrowserClassroom() {
        state->common.ClassroomCode = QStringLiteral("01234");
        state->common.ClassroomName = QStringLiteral("ベンチ教室");
    }
};

std::vector<char> ReadAll(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) std::abort();
    std::vector<char> bytes(size_t(info.st_size));
    if (::pread(fd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size())) std::abort();
    ::close(fd);
    return bytes;
}

void WriteAll(const QString& path, const std::vector<char>& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::pwrite(fd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()))
        std::abort();
    ::close(fd);
}

void BrowserOpen(benchmark::State& bench) {
    BrowserClassroom classroom;
    for (auto _ : bench) {
        RecordsBrowser screen(*classroom.state, nullptr);
        screen.resize(kWindowWidth, kWindowHeight);
        screen.load();
        auto* list = screen.findChild<QListView*>(QStringLiteral("List1"));
        QCoreApplication::processEvents(); // the view's delayed layout
        benchmark::DoNotOptimize(list->viewport()->grab());
        if (screen.model()->rowCount() != kBenchRecords)
            bench.SkipWithError("not every record is listed");
    }
}

void BrowserOpenFloor(benchmark::State& bench) {
    BrowserClassroom classroom;
    const QString path = ResultsFilePath(*classroom.state);
    for (auto _ : bench)
        benchmark::DoNotOptimize(ReadAll(path).data());
}

// Each run deletes from a fresh copy of the bench file in a folder of its own.
void DeleteRecordBench(benchmark::State& bench) {
    BrowserClassroom classroom;
    const std::vector<char> original = ReadAll(ResultsFilePath(*classroom.state));
    QTemporaryDir work(classroom.root + QStringLiteral("delete-XXXXXX"));
    const QString folder = work.path() + QLatin1Char('/');
    const QString path = folder + kResultsFileName;
    const QByteArray first(original.data(), kRecordSize);
    for (auto _ : bench) {
        bench.PauseTiming();
        WriteAll(path, original);
        bench.ResumeTiming();
        if (DeleteRecord(folder, 1, first) != MaintenanceOutcome::Done)
            bench.SkipWithError("the record was not deleted");
    }
}

void DeleteRecordFloor(benchmark::State& bench) {
    BrowserClassroom classroom;
    const QString path = ResultsFilePath(*classroom.state);
    QTemporaryDir work(classroom.root + QStringLiteral("copy-XXXXXX"));
    const QString target = work.path() + QStringLiteral("/copy.dat");
    for (auto _ : bench)
        WriteAll(target, ReadAll(path));
}

} // namespace

BENCHMARK(BrowserOpen)->Name("BrowserOpen")->Unit(benchmark::kMillisecond);
BENCHMARK(BrowserOpenFloor)->Name("BrowserOpen_floor")->Unit(benchmark::kMillisecond);
BENCHMARK(DeleteRecordBench)->Name("DeleteRecord")->Unit(benchmark::kMillisecond);
BENCHMARK(DeleteRecordFloor)->Name("DeleteRecord_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunScreenBenchmarks(argc, argv);
}
