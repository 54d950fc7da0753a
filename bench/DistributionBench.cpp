// The criteria editor's distribution of one level over 1 000 000 records,
// against its floor: reading the whole file's bytes once.
#include "BenchHarness.h"

#include "records/Distribution.h"
#include "records/ResultsFile.h"

#include <QFile>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString BenchResultsPath() {
    return ResultsFilePath(*BenchClassroom().state);
}

void DistributionBench(benchmark::State& bench) {
    const QString path = BenchResultsPath();
    int runs = 0;
    for (auto _ : bench) {
        const Distribution distribution = ReadDistribution(path, 3);
        runs = distribution.runTotal;
        benchmark::DoNotOptimize(distribution);
    }
    if (runs == 0) bench.SkipWithError("no run of level 3 was counted");
}

void DistributionFloor(benchmark::State& bench) {
    const QByteArray path = QFile::encodeName(BenchResultsPath());
    std::vector<char> buffer;
    for (auto _ : bench) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        buffer.resize(size_t(info.st_size / kRecordSize) * kRecordSize);
        if (::pread(fd, buffer.data(), buffer.size(), 0) != ssize_t(buffer.size())) std::abort();
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(DistributionBench)->Name("Distribution")->Unit(benchmark::kMillisecond);
BENCHMARK(DistributionFloor)->Name("Distribution_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
