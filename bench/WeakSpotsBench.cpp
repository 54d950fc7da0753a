// One student's weak spots over the last 30 days of an attempt log of
// 1 000 000 attempts (5 000 students, a year), against its floor: reading
// the bytes of those 30 days once.
#include "BenchHarness.h"

#include "records/AttemptLog.h"
#include "rules/WeakSpots.h"

#include <QFile>
#include <benchmark/benchmark.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kStudent = 2345;

QString BenchLogPath() {
    return AttemptLogPath(*BenchClassroom().state);
}

void WeakSpotsBench(benchmark::State& bench) {
    const QString path = BenchLogPath();
    const double firstDay = FirstWeakSpotDay(kBenchToday);
    int answered = 0;
    for (auto _ : bench) {
        const AttemptReading reading = ReadAttemptsSince(path, firstDay, kStudent);
        const WeakSpots spots = WeakSpotsOf(reading.records, kStudent, kBenchToday);
        answered = spots.kinds[0].answered;
        benchmark::DoNotOptimize(spots);
    }
    if (answered == 0) bench.SkipWithError("no attempt of the student was counted");
}

// The offset of the first record of the 30 days, found once outside the timing.
qint64 FirstRecentOffset(const QString& path, double firstDay) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    const QByteArray bytes = file.readAll();
    for (qint64 at = 0; at + kAttemptRecordSize <= bytes.size(); at += kAttemptRecordSize) {
        double date = 0;
        std::memcpy(&date, bytes.constData() + at, sizeof date);
        if (date >= firstDay) return at;
    }
    return bytes.size();
}

void WeakSpotsFloor(benchmark::State& bench) {
    const QString path = BenchLogPath();
    const qint64 from = FirstRecentOffset(path, FirstWeakSpotDay(kBenchToday));
    const QByteArray name = QFile::encodeName(path);
    std::vector<char> buffer;
    for (auto _ : bench) {
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        buffer.resize(size_t(info.st_size - from));
        if (::pread(fd, buffer.data(), buffer.size(), from) != ssize_t(buffer.size())) std::abort();
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(WeakSpotsBench)->Name("WeakSpots")->Unit(benchmark::kMillisecond);
BENCHMARK(WeakSpotsFloor)->Name("WeakSpots_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
