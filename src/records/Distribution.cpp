#include "records/Distribution.h"

#include "core/Tables.h"
#include "records/ResultsFile.h"

#include <algorithm>
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

int DistributionBucket(std::int32_t result, int lastBucket) { return std::min(result / 10, lastBucket); }

Distribution CountDistribution(const char* bytes, qint64 size, int level) {
    Distribution d;
    d.level = level;
    if (level < 1 || level > kDistributionMaxLevel)
        return d;
    BestRuns best;
    const qint64 records = size / kRecordSize;
    for (qint64 i = 0; i < records; ++i) {
        const RecordNumbers run = DecodeRecordNumbers(bytes + i * kRecordSize);
        if (run.level != level || run.result < 0)
            continue;
        ++d.runTotal;
        ++d.allRuns[std::size_t(DistributionBucket(run.result, kAllRunsLastBucket))];
        best.add(run.student, run.result);
    }
    best.countInto(d.bestRuns);
    return d;
}

Distribution ReadDistribution(const QString& resultsPath, int level) {
    const QByteArray bytes = ReadLastRecordBytes(resultsPath, std::numeric_limits<qint64>::max());
    return CountDistribution(bytes.constData(), bytes.size(), level);
}

int StarScale(const std::array<int, kBuckets>& counts) {
    return std::max(1, *std::max_element(counts.begin(), counts.end()) / 10);
}

QString StarRow(int bucket, int count, int scale) {
    // Rounded to the nearest star, halves up: 25 runs at 2 a star make 13.
    const int stars = (2 * count + scale) / (2 * scale);
    return (QStringLiteral("  ") + QString::number(bucket * 10)).right(4) + QStringLiteral("～") + kStar.repeated(stars);
}

QStringList AllRunsRows(const Distribution& d) {
    const int scale = StarScale(d.allRuns);
    QStringList rows{QStringLiteral("レベル") + QString::number(d.level) + QStringLiteral(" 今まで") +
                     QString::number(d.runTotal) + QStringLiteral("回  （★=") + QString::number(scale) +
                     QStringLiteral("）")};
    return rows + StarRows(d.allRuns, scale);
}

QStringList BestRunsRows(const Distribution& d) {
    const int scale = StarScale(d.bestRuns);
    QStringList rows{QStringLiteral("レベル") + QString::number(d.level) + QStringLiteral(" （★=") +
                     QString::number(scale) + QStringLiteral("）")};
    return rows + StarRows(d.bestRuns, scale);
}
