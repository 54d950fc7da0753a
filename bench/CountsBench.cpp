// CountResults over the last 20 000 of 1 000 000 records, against its floor:
// reading the same bytes from the file and clearing the tables once.
#include "BenchHarness.h"

#include "records/Counts.h"
#include "records/ResultsFile.h"

#include <QFile>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void ReadWindowBytes(const QByteArray& path, std::vector<char>& buffer) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    const off_t records = info.st_size / kRecordSize;
    const off_t count = std::min<off_t>(records, kResultsWindow);
    buffer.resize(size_t(count) * kRecordSize);
    if (::pread(fd, buffer.data(), buffer.size(), (records - count) * kRecordSize) !=
        ssize_t(buffer.size()))
        std::abort();
    ::close(fd);
}

void ClearTablesOnce(CountTables& c) {
    ClearCountTables(c);
    c.BestTime.fill(kNoBestTime);
}

void CountResultsBench(benchmark::State& bench) {
    BenchClassroom classroom;
    for (auto _ : bench) {
        CountResults(*classroom.state);
        benchmark::ClobberMemory();
    }
    if (classroom.state->counts.Runs.size() != size_t(kResultsWindow))
        bench.SkipWithError("the window was not read whole");
}

void CountResultsFloor(benchmark::State& bench) {
    BenchClassroom classroom;
    const QByteArray path = QFile::encodeName(ResultsFilePath(*classroom.state));
    std::vector<char> buffer;
    for (auto _ : bench) {
        ReadWindowBytes(path, buffer);
        ClearTablesOnce(classroom.state->counts);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(CountResultsBench)->Name("CountResults")->Unit(benchmark::kMillisecond);
BENCHMARK(CountResultsFloor)->Name("CountResults_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
