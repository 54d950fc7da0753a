#include "records/Counts.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "records/Criteria.h"
#include "records/ResultsFile.h"

#include <QDebug>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The points of one run are held within this, so that the sum of a whole
// window of runs fits the point tables.
constexpr int32_t kMaxRunPoints = std::numeric_limits<int32_t>::max() / kResultsWindow;
// Only students up to this ID take part in the classroom best.
constexpr int kClassBestLastStudent = 1000;

bool TakesPartInClassBest(int student) {
    return student >= 1 && student <= kClassBestLastStudent;
}

void ComputeClassBest(CountTables& counts) {
    for (int level = 1; level <= kMaxLevel; ++level) {
        int32_t best = kNoBestTime;
        for (int student = 1; student <= kClassBestLastStudent; ++student)
            best = std::min(best, counts.BestTime(level, student));
        counts.ClassBest[level] = best;
    }
}

// The rules themselves live here, so the counting loop gets them inlined.
bool IsCompleted(int32_t result) {
    return result < kCompletedBelow;
}

int TimeValueOf(int32_t result) {
    int32_t value = result;
    while (value >= 1000)
        value /= 10;
    return value;
}

int BasePointsOf(int32_t result, int32_t targetTime) {
    // A corrupt negative time or a level without a target earns nothing.
    if (targetTime <= 0 || result < 0 || result >= kFirstTimeOutResult) return 0;
    if (result > targetTime) {
        if (result < 2 * targetTime) return 4;
        if (result < 10 * targetTime) return 1;
        return 0;
    }
    const double share = double(targetTime - TimeValueOf(result)) / double(targetTime);
    return int(share * share * share * 50.0 + 5.0);
}

int PointsOf(int32_t result, int32_t targetTime, float pointRate) {
    const float points = pointRate * float(BasePointsOf(result, targetTime));
    // A huge rate in the criteria file is held to a bound at which a window
    // of runs still sums within the 32-bit point tables.
    const float bound = float(kMaxRunPoints);
    return int(std::clamp(points, -bound, bound));
}

// A window of d days takes the dates after this; none when d is 0 or less.
double WindowStart(double now, double days) {
    return days > 0 ? now - days : std::numeric_limits<double>::infinity();
}

// A level's points for each result, worked out on first use. A window holds
// a few hundred different results per level, each met many times, and a
// look-up is cheaper than the division and the branches on the result, which
// no processor predicts.
class PointsByResult {
  public:
    PointsByResult(int32_t targetTime, float pointRate)
        : targetTime_(targetTime), pointRate_(pointRate),
          points_(size_t(std::clamp<int64_t>(int64_t(targetTime) * kRememberedTargets, 0,
                                             kRememberedResults)),
                  kNotYet) {}

    int of(int32_t result) {
        // Negative and larger results are rare: worked out each time.
        if (uint32_t(result) >= points_.size()) return PointsOf(result, targetTime_, pointRate_);
        int& points = points_[size_t(result)];
        if (points == kNotYet) points = PointsOf(result, targetTime_, pointRate_);
        return points;
    }

  private:
    // Results up to ten times the target earn points; a slower run is rare.
    static constexpr int64_t kRememberedTargets = 10;
    static constexpr int64_t kRememberedResults = kCompletedBelow;
    static constexpr int kNotYet = std::numeric_limits<int>::min();
    int32_t targetTime_;
    float pointRate_;
    std::vector<int> points_;
};

// What one level's criteria say about a run, worked out once per count.
struct LevelRule {
    PointsByResult points{0, 0};
    double passFrom = 0;
    double overdoFrom = 0;
};

} // namespace

void ClearCountTables(CountTables& c) {
    c.RunCount.fill(0);
    c.PassRunCount.fill(0);
    c.OverdoRunCount.fill(0);
    c.TotalPoints.fill(0);
    c.PassPoints.fill(0);
    c.OverdoPoints.fill(0);
    c.TodayCount.fill(0);
    c.TodayPoints.fill(0);
}

bool IsCompletedRun(int32_t result) {
    return IsCompleted(result);
}
int TimeValue(int32_t result) {
    return TimeValueOf(result);
}
int BaseRunPoints(int32_t result, int32_t targetTime) {
    return BasePointsOf(result, targetTime);
}
int RunPoints(int32_t result, int32_t targetTime, float pointRate) {
    return PointsOf(result, targetTime, pointRate);
}
bool IsInsideWindow(double recordDate, double now, double days) {
    return recordDate > WindowStart(now, days);
}

double OleMoment(const QDateTime& when) {
    return ToOleDay(when.date()) + ToOleTimeOfDay(when.time());
}

namespace {

void LoadResultsInto(CountTables& c, const QString& path) {
    c.BestTime.fill(kNoBestTime);
    const QByteArray bytes = ReadLastRecordBytes(path, kResultsWindow);
    const qsizetype records = bytes.size() / kRecordSize;
    // Room for every record first, cut to the valid runs after: written in
    // place, without push_back's check for room and the call that may grow
    // the vector, the record's fields stay in registers. The last load's runs
    // need no clearing, as they are written over.
    c.Runs.resize(size_t(records));
    LoadedRun* run = c.Runs.data();
    const char* const end = bytes.constData() + records * kRecordSize;
    for (const char* record = bytes.constData(); record != end; record += kRecordSize) {
        const RecordNumbers n = DecodeRecordNumbers(record);
        if (!IsValidRecord(n.date, n.student, n.level)) continue;
        *run++ = {n.date, n.timeOfDay, n.student, n.level, n.result};
        int32_t& best = c.BestTime(n.level, n.student);
        best = std::min(best, n.result);
    }
    const qsizetype valid = run - c.Runs.data();
    c.Runs.resize(size_t(valid));
    const int skipped = int(records - valid);
    c.SkippedRecords = skipped;
    if (skipped > 0)
        qInfo().noquote()
            << QStringLiteral("%1: %2 invalid records skipped").arg(path).arg(skipped);
    ComputeClassBest(c);
}

// What a count reads of the state, copied so that a worker counts without it.
struct CountInputs {
    struct Level {
        int32_t targetTime = 0;
        float pointRate = 0;
        double passDays = 0;
        double overdoDays = 0;
    };
    QString resultsPath;
    QDateTime now;
    std::array<Level, kLevelSlots> levels{};
};

CountInputs CountInputsOf(const ProgramState& state) {
    CountInputs inputs;
    inputs.resultsPath = ResultsFilePath(state);
    inputs.now = state.platform.clock->now();
    for (int level = 1; level <= kMaxLevel; ++level)
        inputs.levels[level] = {TargetTimeOf(state, level), state.criteria.PointRate[level],
                                state.criteria.PassDays[level].toNumber(),
                                state.criteria.OverdoDays[level].toNumber()};
    return inputs;
}

void CountResultsInto(CountTables& c, const CountInputs& inputs) {
    ClearCountTables(c);
    LoadResultsInto(c, inputs.resultsPath);

    const double moment = OleMoment(inputs.now);
    const double today = ToOleDay(inputs.now.date());
    std::array<LevelRule, kLevelSlots> rules{};
    for (int level = 1; level <= kMaxLevel; ++level) {
        const CountInputs::Level& in = inputs.levels[level];
        rules[level] = {{in.targetTime, in.pointRate},
                        WindowStart(moment, in.passDays),
                        WindowStart(moment, in.overdoDays)};
    }

    for (const LoadedRun& run : c.Runs) {
        const int lv = run.level;
        const int st = run.student;
        LevelRule& rule = rules[lv];
        const bool completed = IsCompleted(run.result);
        const int points = rule.points.of(run.result);
        if (completed) ++c.RunCount(lv, st);
        if (run.date > rule.passFrom) {
            if (completed) ++c.PassRunCount(lv, st);
            c.PassPoints(lv, st) += points;
        }
        if (run.date > rule.overdoFrom) {
            if (completed) ++c.OverdoRunCount(lv, st);
            c.OverdoPoints(lv, st) += points;
        }
        c.TotalPoints(lv, st) += points;
        if (run.date == today) {
            if (completed) c.TodayCount(lv, st) += 1;
            c.TodayPoints(lv, st) += points;
        }
    }
}

// Trades the last count for a fresh one; the run flags of a drill's end stay.
void TakeCounts(CountTables& counts, CountTables& fresh) {
    fresh.AlreadyPassed = counts.AlreadyPassed;
    fresh.NewPersonalBest = counts.NewPersonalBest;
    fresh.NewClassBest = counts.NewClassBest;
    std::swap(counts, fresh);
}

} // namespace

void CountResults(ProgramState& state) {
    CountResultsInto(state.counts, CountInputsOf(state));
}

void CountResultsPatiently(ProgramState& state) {
    // Taken from the state for the try: a failed or abandoned one keeps it.
    std::shared_ptr<CountTables> fresh = std::move(state.spareCounts);
    if (!fresh) fresh = std::make_shared<CountTables>();
    ReadPatiently(state,
                  [fresh, inputs = CountInputsOf(state)] { CountResultsInto(*fresh, inputs); });
    TakeCounts(state.counts, *fresh);
    state.spareCounts = std::move(fresh);
}

void RecordRunEnd(ProgramState& state, QString* setAsideNotice) {
    const int lv = state.LevelNo;
    const int st = state.session.StudentNo;
    const int32_t r = state.ResultValue;
    CountTables& c = state.counts;
    const bool known = IsValidLevel(lv) && IsValidStudent(st);
    if (known) {
        // The tables of the last count: this run is not in them yet.
        c.AlreadyPassed = c.RunCount(lv, st) >= state.criteria.ClearCount[lv] &&
                          c.TotalPoints(lv, st) >= state.criteria.ClearPoint[lv];
        if (c.BestTime(lv, st) > r) {
            c.NewPersonalBest = true;
            c.BestTime(lv, st) = r;
        }
    }
    state.drill.RunKeptForLater = AppendResult(state, setAsideNotice) == RunRecording::KeptForLater;
    if (known && TakesPartInClassBest(st) && c.ClassBest[lv] > r) {
        c.ClassBest[lv] = r;
        c.NewClassBest = true;
    }
}

bool IsLevelCleared(const ProgramState& state, int level, int student) {
    const CountTables& c = state.counts;
    return c.PassPoints(level, student) >= state.criteria.ClearPoint[level] &&
           c.PassRunCount(level, student) >= state.criteria.ClearCount[level];
}

bool IsOverPractised(const ProgramState& state, int level, int student) {
    const CountTables& c = state.counts;
    const double count = state.criteria.OverdoCount[level].toNumber();
    const double points = state.criteria.OverdoPoint[level].toNumber();
    return (count != 0 && c.OverdoRunCount(level, student) >= count) ||
           (points != 0 && c.OverdoPoints(level, student) >= points);
}
