#include "records/Distribution.h"

#include "core/SharedReading.h"
#include "core/Tables.h"
#include "core/Text.h"
#include "records/ResultsFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::int32_t kNoRun = std::numeric_limits<std::int32_t>::max();
const QString kStar = QStringLiteral("★");

// Each student's best result on one level: a dense table over the roster IDs,
// and a map for the odd student number outside them (a damaged record).
class BestRuns {
  public:
    BestRuns() : dense_(kStudentSlots, kNoRun) {}

    void add(int student, std::int32_t result) {
        std::int32_t& best = (student >= 0 && student <= kMaxStudent)
                                 ? dense_[std::size_t(student)]
                                 : others_.try_emplace(student, kNoRun).first->second;
        best = std::min(best, result);
    }

    void countInto(std::array<int, kBuckets>& counts) const {
        for (const std::int32_t best : dense_)
            if (best != kNoRun)
                ++counts[std::size_t(DistributionBucket(best, kBestRunsLastBucket))];
        for (const auto& [student, best] : others_)
            ++counts[std::size_t(DistributionBucket(best, kBestRunsLastBucket))];
    }

  private:
    std::vector<std::int32_t> dense_;
    std::unordered_map<int, std::int32_t> others_;
};

QStringList StarRows(const std::array<int, kBuckets>& counts, int scale) {
    QStringList rows;
    rows.reserve(kBuckets);
    for (int b = 0; b < kBuckets; ++b)
        rows << StarRow(b, counts[std::size_t(b)], scale);
    return rows;
}

} // namespace

int DistributionBucket(std::int32_t result, int lastBucket) {
    return std::min(result / 10, lastBucket);
}

namespace {

// Counts whole records slice by slice; the best runs are bucketed at the end.
class DistributionCounter {
  public:
    explicit DistributionCounter(int level) { d_.level = level; }

    void add(const char* bytes, qint64 size) {
        if (d_.level < 1 || d_.level > kDistributionMaxLevel) return;
        const qint64 records = size / kRecordSize;
        for (qint64 i = 0; i < records; ++i) {
            const RecordNumbers run = DecodeRecordNumbers(bytes + i * kRecordSize);
            if (run.level != d_.level || run.result < 0) continue;
            ++d_.runTotal;
            ++d_.allRuns[std::size_t(DistributionBucket(run.result, kAllRunsLastBucket))];
            best_.add(run.student, run.result);
        }
    }

    Distribution finish() {
        best_.countInto(d_.bestRuns);
        return d_;
    }

  private:
    Distribution d_;
    BestRuns best_;
};

// Small enough to stay in the processor's cache between the read and the count.
constexpr qint64 kSliceRecords = 4096;

} // namespace

Distribution CountDistribution(const char* bytes, qint64 size, int level) {
    DistributionCounter counter(level);
    counter.add(bytes, size);
    return counter.finish();
}

Distribution ReadDistribution(const QString& resultsPath, int level) {
    DistributionCounter counter(level);
    const ResultsReader reader(resultsPath);
    const qint64 size = reader.recordCount() * kRecordSize;
    std::vector<char> slice(std::size_t(kSliceRecords * kRecordSize));
    for (qint64 offset = 0; offset < size; offset += qint64(slice.size())) {
        // A file shortened meanwhile by another machine ends the count early.
        const qint64 read = reader.read(
            slice.data(), std::min<qint64>(qint64(slice.size()), size - offset), offset);
        counter.add(slice.data(), WholeRecordLength(read));
        if (read < qint64(slice.size())) break;
    }
    return counter.finish();
}

Distribution ReadDistribution(ProgramState& state, int level) {
    return ReadPatientlyValue(
        state, [path = ResultsFilePath(state), level] { return ReadDistribution(path, level); });
}

int StarScale(const std::array<int, kBuckets>& counts) {
    return std::max(1, *std::max_element(counts.begin(), counts.end()) / 10);
}

QString StarRow(int bucket, int count, int scale) {
    // Rounded to the nearest star, halves up: 25 runs at 2 a star make 13.
    const int stars = (2 * count + scale) / (2 * scale);
    return (QStringLiteral("  ") + QString::number(bucket * 10)).right(4) + QStringLiteral("～") +
           kStar.repeated(stars);
}

QStringList AllRunsRows(const Distribution& d) {
    const int scale = StarScale(d.allRuns);
    QStringList rows{QStringLiteral("レベル") + QString::number(d.level) +
                     QStringLiteral(" 今まで") + QString::number(d.runTotal) +
                     QStringLiteral("回  （★=") + QString::number(scale) + QStringLiteral("）")};
    return rows + StarRows(d.allRuns, scale);
}

QStringList BestRunsRows(const Distribution& d) {
    const int scale = StarScale(d.bestRuns);
    QStringList rows{QStringLiteral("レベル") + QString::number(d.level) + QStringLiteral(" （★=") +
                     QString::number(scale) + QStringLiteral("）")};
    return rows + StarRows(d.bestRuns, scale);
}
