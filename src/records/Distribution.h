#pragma once
// How the recorded times of one level are spread, in steps of ten seconds:
// over all runs, and over each student's best run. The criteria editor shows
// both as rows of stars so that the teacher can set target and lowest times
// against real results.

#include <QString>

struct ProgramState;
#include <QStringList>

#include <array>
#include <cstdint>

// Levels the distribution can show; records of other levels are left out.
inline constexpr int kDistributionMaxLevel = 50;
// Bucket b holds results 10b .. 10b + 9; the last all-runs bucket also holds
// every result of 1000 seconds or more (time-outs included).
inline constexpr int kAllRunsLastBucket = 100;
// The last best-runs bucket holds every best of 300 seconds or more.
inline constexpr int kBestRunsLastBucket = 30;
inline constexpr int kBuckets = kAllRunsLastBucket + 1;

struct Distribution {
    int level = 0;
    int runTotal = 0;
    std::array<int, kBuckets> allRuns{};
    std::array<int, kBuckets> bestRuns{}; // one count per student
    bool operator==(const Distribution&) const = default;
};

// The bucket of a result (≥ 0), capped at lastBucket.
int DistributionBucket(std::int32_t result, int lastBucket);

// Counts the level's runs in whole 44-byte records (a torn tail is ignored),
// in one pass without sorting. Runs with a negative result are left out: they
// cannot be placed in a bucket.
Distribution CountDistribution(const char* bytes, qint64 size, int level);
// Reads the results file in cache-sized slices and counts them as they come
// in; an absent file counts nothing.
Distribution ReadDistribution(const QString& resultsPath, int level);
// The same for this classroom's file, read on a worker, patiently
// (ReadPatiently in core/SharedReading.h).
Distribution ReadDistribution(ProgramState& state, int level);

// How many runs one star stands for: a tenth of the largest bucket, at least 1.
int StarScale(const std::array<int, kBuckets>& counts);
// "  40～★★": the bucket's lower bound and one star per scale runs, rounded.
QString StarRow(int bucket, int count, int scale);
// The all-runs list: heading with the run total and the scale, then 101 rows.
QStringList AllRunsRows(const Distribution& distribution);
// The best-runs list: heading with the scale, then 101 rows.
QStringList BestRunsRows(const Distribution& distribution);
