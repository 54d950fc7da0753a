#include "TestDoubles.h"

#include "core/Dates.h"
#include "core/SharedReading.h"
#include "platform/File.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <future>
#include <limits>
#include <memory>
#include <thread>

namespace {

const QDate kToday(2026, 12, 9);

CriteriaValue Number(double n) {
    return {CriteriaValue::Kind::Number, n, {}};
}

struct PastRun {
    QDate date;
    int student;
    int level;
    int32_t result;
};

QByteArray RecordBytes(const PastRun& run) {
    ResultRecord r;
    r.date = ToOleDay(run.date);
    r.timeOfDay = 0.25;
    r.student = int16_t(run.student);
    r.level = int16_t(run.level);
    r.result = run.result;
    return EncodeRecord(r);
}

struct CountsFixture : ::testing::Test {
    TempInstall install;
    TestRig rig;
    ProgramState& state = rig.state;
    CountTables& c = rig.state.counts;

    CountsFixture() {
        state.folders.DataFolder = install.dataFolder();
        rig.clock.current = QDateTime(kToday, QTime(10, 0));
        for (int lv = 1; lv <= kMaxLevel; ++lv) {
            state.criteria.TargetTime[lv] = 60;
            state.criteria.PointRate[lv] = 1;
            state.criteria.ClearPoint[lv] = 20;
            state.criteria.ClearCount[lv] = 3;
            state.criteria.PassDays[lv] = Number(7);
            state.criteria.OverdoDays[lv] = Number(1);
        }
    }

    QString path() const { return install.dataFolder() + kResultsFileName; }
    void writeRuns(const std::vector<PastRun>& runs) {
        QByteArray bytes;
        for (const PastRun& run : runs)
            bytes += RecordBytes(run);
        install.writeBytes(path(), bytes);
    }
};

} // namespace

TEST(RunPoints, FollowTheTargetTimeAtItsBoundaries) {
    struct Case {
        int32_t result;
        int32_t target;
        float rate;
        int points;
    } cases[] = {
        {60, 60, 1, 5},                                           // on target
        {59, 60, 1, 5},                                           // one second under: 5.0002
        {30, 60, 1, 11},                                          // 11.25
        {0, 60, 1, 55},                                           // no time at all
        {61, 60, 1, 4},       {119, 60, 1, 4},   {120, 60, 1, 1}, // 2T
        {599, 60, 1, 1},      {600, 60, 1, 0},                    // 10T
        {30, 60, 1.5f, 16},   {60, 60, 1.5f, 7}, {0, 60, 0.5f, 27},
        {99999, 60, 1, 0},    {99998, 60, 1, 0}, {99999, 200000, 1, 0}, // time-outs
        {30, 0, 1, 0},        {30, -5, 1, 0}, // no target: nothing, no division by zero
        {1234, 2000, 1, 46},                  // the time value of 1234 is 123
        {-7, 60, 1, 0},                       // a corrupt negative time
        {99997, 10000, 1, 1},                 // just under a time-out
    };
    for (const Case& k : cases)
        EXPECT_EQ(RunPoints(k.result, k.target, k.rate), k.points)
            << k.result << " vs " << k.target << " × " << k.rate;
}

TEST(RunPoints, AHugeRateInTheCriteriaIsHeldSoAWindowOfRunsStillSums) {
    const int bound = std::numeric_limits<int32_t>::max() / kResultsWindow;
    const struct {
        float rate;
        int points;
    } cases[] = {
        {3e38f, bound}, {-3e38f, -bound},  {std::numeric_limits<float>::max(), bound},
        {1e6f, bound},  {1952.0f, 107360}, {-2.0f, -110}, // 55 points a run below the bound
    };
    for (const auto& k : cases)
        EXPECT_EQ(RunPoints(0, 60, k.rate), k.points) << k.rate;
    EXPECT_EQ(RunPoints(kTimedOutResult, 60, 3e38f), 0);
}

TEST(RunPoints, TimeValueIsTheFirstThreeDigits) {
    const std::pair<int32_t, int> cases[] = {
        {0, 0}, {999, 999}, {1000, 100}, {1234, 123}, {99999, 999}};
    for (const auto& [result, value] : cases)
        EXPECT_EQ(TimeValue(result), value) << result;
}

TEST(DateWindows, CountCalendarDaysIncludingToday) {
    const double now = OleMoment(QDateTime(kToday, QTime(10, 0)));
    const double today = ToOleDay(kToday);
    EXPECT_TRUE(IsInsideWindow(today, now, 1));
    EXPECT_FALSE(IsInsideWindow(today - 1, now, 1));
    EXPECT_TRUE(IsInsideWindow(today - 1, now, 2));
    EXPECT_FALSE(IsInsideWindow(today - 2, now, 2));
    EXPECT_FALSE(IsInsideWindow(today, now, 0));
    EXPECT_FALSE(IsInsideWindow(today + 1, now, 0)); // a machine with its clock ahead
    EXPECT_FALSE(IsInsideWindow(today, now, -3));
}

TEST_F(CountsFixture, AFullWindowOfRunsAtAHugeRateSumsWithoutOverflow) {
    state.criteria.PointRate[1] = 3e38f;
    writeRuns(std::vector<PastRun>(kResultsWindow, PastRun{kToday, 1, 1, 0}));
    CountResults(state);
    const int32_t bound = std::numeric_limits<int32_t>::max() / kResultsWindow;
    EXPECT_EQ(c.TotalPoints(1, 1), bound * kResultsWindow);
    EXPECT_EQ(c.TodayPoints(1, 1), bound * kResultsWindow);
    EXPECT_EQ(c.PassPoints(1, 1), bound * kResultsWindow);
}

TEST_F(CountsFixture, EmptyOrAbsentFileLeavesEverythingClear) {
    for (const bool present : {false, true}) {
        if (present) install.writeBytes(path(), {});
        c.RunCount(1, 1) = 9; // left over from an earlier count
        c.ClassBest[1] = 5;
        CountResults(state);
        EXPECT_TRUE(c.Runs.empty());
        EXPECT_EQ(c.SkippedRecords, 0);
        EXPECT_EQ(c.RunCount(1, 1), 0);
        EXPECT_EQ(c.BestTime(1, 1), kNoBestTime);
        EXPECT_EQ(c.BestTime(35, 5000), kNoBestTime);
        EXPECT_EQ(c.ClassBest[1], kNoBestTime);
        EXPECT_EQ(c.ClassBest[35], kNoBestTime);
    }
}

TEST_F(CountsFixture, CountsRunsAndPointsPerWindow) {
    const QDate yesterday = kToday.addDays(-1);
    state.criteria.PassDays[2] = Number(2);
    state.criteria.OverdoDays[2] = Number(1);
    writeRuns({
        {kToday, 4, 2, 30},              // 11 points, today
        {yesterday, 4, 2, 60},           // 5 points, yesterday
        {kToday.addDays(-2), 4, 2, 120}, // 1 point, outside both windows
        {kToday, 4, 2, 99999},           // a time-out: no run, no points
        {kToday, 4, 3, 61},              // another level
    });
    CountResults(state);
    EXPECT_EQ(c.RunCount(2, 4), 3);
    EXPECT_EQ(c.TotalPoints(2, 4), 17);
    EXPECT_EQ(c.PassRunCount(2, 4), 2);
    EXPECT_EQ(c.PassPoints(2, 4), 16);
    EXPECT_EQ(c.OverdoRunCount(2, 4), 1);
    EXPECT_EQ(c.OverdoPoints(2, 4), 11);
    EXPECT_EQ(c.TodayCount(2, 4), 1.0f);
    EXPECT_EQ(c.TodayPoints(2, 4), 11);
    EXPECT_EQ(c.RunCount(3, 4), 1);
    EXPECT_EQ(c.TotalPoints(3, 4), 4);
    EXPECT_EQ(c.BestTime(2, 4), 30);
    EXPECT_EQ(c.Runs.size(), 5u);

    // A second count starts from clear tables.
    CountResults(state);
    EXPECT_EQ(c.RunCount(2, 4), 3);
    EXPECT_EQ(c.TotalPoints(2, 4), 17);
}

TEST_F(CountsFixture, ZeroDayWindowsTakeNothing) {
    state.criteria.PassDays[1] = Number(0);
    state.criteria.OverdoDays[1] = CriteriaValue{}; // empty cell
    writeRuns({{kToday, 1, 1, 30}});
    CountResults(state);
    EXPECT_EQ(c.RunCount(1, 1), 1);
    EXPECT_EQ(c.PassRunCount(1, 1), 0);
    EXPECT_EQ(c.OverdoRunCount(1, 1), 0);
    EXPECT_EQ(c.TodayCount(1, 1), 1.0f);
}

TEST_F(CountsFixture, ClassBestIgnoresStudentsAbove1000) {
    writeRuns({{kToday, 1, 1, 50},
               {kToday, 2, 1, 40},
               {kToday, 2, 1, 45},
               {kToday, 1001, 1, 10},
               {kToday, 5000, 2, 20}});
    CountResults(state);
    EXPECT_EQ(c.BestTime(1, 1), 50);
    EXPECT_EQ(c.BestTime(1, 2), 40);
    EXPECT_EQ(c.BestTime(1, 1001), 10);
    EXPECT_EQ(c.ClassBest[1], 40);
    EXPECT_EQ(c.BestTime(2, 5000), 20);
    EXPECT_EQ(c.ClassBest[2], kNoBestTime);
}

TEST_F(CountsFixture, InvalidRecordsChangeNoTable) {
    // A longer window counted before: none of its runs may stay behind.
    writeRuns(std::vector<PastRun>(10, PastRun{kToday, 2, 2, 40}));
    CountResults(state);
    writeRuns({{kToday, 0, 1, 5},
               {kToday, 1, 0, 5},
               {kToday, 1, 36, 5},
               {kToday, 5001, 1, 5},
               {kToday, -2, 1, 5},
               {QDate(1899, 12, 29), 1, 1, 5}, // date −1
               {kToday, 3, 1, 70}});
    CountResults(state);
    EXPECT_EQ(c.SkippedRecords, 6);
    ASSERT_EQ(c.Runs.size(), 1u);
    EXPECT_EQ(c.Runs[0].student, 3);
    EXPECT_EQ(c.RunCount(1, 1), 0);
    EXPECT_EQ(c.RunCount(1, 0), 0);
    EXPECT_EQ(c.BestTime(1, 1), kNoBestTime);
    EXPECT_EQ(c.BestTime(1, 0), kNoBestTime);
    EXPECT_EQ(c.ClassBest[1], 70);
    EXPECT_EQ(c.RunCount(2, 2), 0);
}

// Every run earns its own level's points, however often its result comes back
// and whichever level had the same result before it.
TEST_F(CountsFixture, EachRunEarnsThePointsOfItsOwnLevelsRule) {
    struct Level {
        int level;
        int32_t target;
        float rate;
    };
    const Level levels[] = {{1, 60, 1}, {2, 7, 2.5f}, {3, 0, 1}, {4, 700, 1.1f}, {5, 60, 3e38f}};
    const int32_t results[] = {-3,  0,   1,   6,   7,    8,    13,   14,   69,    70,   119,
                               120, 599, 600, 601, 5999, 6000, 6999, 7000, 99998, 99999};
    std::vector<PastRun> runs;
    for (int round = 0; round < 3; ++round)
        for (const Level& l : levels)
            for (const int32_t result : results)
                runs.push_back({kToday, 1 + round % 2, l.level, result});
    for (const Level& l : levels) {
        state.criteria.TargetTime[l.level] = l.target;
        state.criteria.PointRate[l.level] = l.rate;
    }
    writeRuns(runs);
    CountResults(state);
    for (const Level& l : levels) {
        SCOPED_TRACE(l.level);
        int32_t each = 0;
        for (const int32_t result : results)
            each += RunPoints(result, l.target, l.rate);
        EXPECT_EQ(c.TotalPoints(l.level, 1), 2 * each); // rounds 0 and 2
        EXPECT_EQ(c.TotalPoints(l.level, 2), each);
        EXPECT_EQ(c.TodayPoints(l.level, 1), 2 * each);
    }
}

TEST_F(CountsFixture, ReadsOnlyTheLast20000Records) {
    std::vector<PastRun> runs(5, PastRun{kToday, 2, 1, 30});
    runs.resize(kResultsWindow + 5, PastRun{kToday, 1, 1, 30});
    writeRuns(runs);
    CountResults(state);
    EXPECT_EQ(c.Runs.size(), size_t(kResultsWindow));
    EXPECT_EQ(c.RunCount(1, 2), 0);
    EXPECT_EQ(c.RunCount(1, 1), kResultsWindow);
    EXPECT_EQ(c.BestTime(1, 2), kNoBestTime);
}

TEST_F(CountsFixture, RecordRunEndSetsFlagsOnlyForBetterTimes) {
    writeRuns({{kToday, 1, 1, 40}, {kToday, 1, 1, 40}, {kToday, 2, 1, 30}});
    CountResults(state);
    state.session.StudentNo = 1;
    state.LevelNo = 1;

    struct Step {
        int student;
        int32_t result;
        int personal;
        int classBest;
    } steps[] = {
        {1, 40, 0, 0},    // equals the personal best: no record
        {1, 35, 1, 0},    // personal best, class best is 30
        {1, 30, 1, 0},    // ties the class best: a personal best only
        {1, 29, 1, 1},    // both
        {1001, 5, 1, 0},  // above 1000: never the class best
        {1, 99999, 0, 0}, // a time-out
    };
    qint64 expectedRecords = 3;
    for (const Step& s : steps) {
        c.NewPersonalBest = false;
        c.NewClassBest = false;
        state.session.StudentNo = s.student;
        state.ResultValue = s.result;
        RecordRunEnd(state);
        EXPECT_EQ(c.NewPersonalBest, s.personal) << s.student << " " << s.result;
        EXPECT_EQ(c.NewClassBest, s.classBest) << s.student << " " << s.result;
        EXPECT_EQ(RecordCount(path()), ++expectedRecords);
    }
    EXPECT_EQ(c.ClassBest[1], 29);
    EXPECT_EQ(c.BestTime(1, 1), 29);
    EXPECT_EQ(c.BestTime(1, 1001), 5);
    EXPECT_EQ(ReadRecord(path(), expectedRecords)->result, 99999);
}

TEST_F(CountsFixture, AlreadyPassedUsesTheCountBeforeTheRun) {
    // ClearCount 3, ClearPoint 20: two runs of 11 points are not yet a pass.
    writeRuns({{kToday, 1, 1, 30}, {kToday, 1, 1, 30}});
    state.session.StudentNo = 1;
    state.LevelNo = 1;
    state.ResultValue = 30;
    CountResults(state);
    RecordRunEnd(state);
    EXPECT_FALSE(c.AlreadyPassed);
    CountResults(state);
    RecordRunEnd(state);
    EXPECT_TRUE(c.AlreadyPassed);
}

TEST_F(CountsFixture, ClearedAndOverPractisedAtTheirThresholds) {
    state.criteria.OverdoCount[1] = Number(3);
    state.criteria.OverdoPoint[1] = Number(0);                               // off
    writeRuns({{kToday, 1, 1, 30}, {kToday, 1, 1, 60}, {kToday, 1, 1, 60}}); // 21 points, 3 runs
    CountResults(state);
    EXPECT_TRUE(IsLevelCleared(state, 1, 1));
    EXPECT_TRUE(IsOverPractised(state, 1, 1));

    state.criteria.ClearPoint[1] = 22;
    EXPECT_FALSE(IsLevelCleared(state, 1, 1));
    state.criteria.ClearPoint[1] = 21;
    state.criteria.ClearCount[1] = 4;
    EXPECT_FALSE(IsLevelCleared(state, 1, 1));

    state.criteria.OverdoCount[1] = Number(4);
    EXPECT_FALSE(IsOverPractised(state, 1, 1));
    state.criteria.OverdoPoint[1] = Number(21);
    EXPECT_TRUE(IsOverPractised(state, 1, 1));
    state.criteria.OverdoCount[1] = CriteriaValue{};
    state.criteria.OverdoPoint[1] = Number(22);
    EXPECT_FALSE(IsOverPractised(state, 1, 1));
}

// Counting reports a file it cannot read and leaves waiting and telling to its
// caller: no question, no message, no wait.
TEST_F(CountsFixture, AnUnreadableFileIsThrownWithItsErrorAndNothingShown) {
    state.folders.DataFolder = install.root() + QStringLiteral("gone/");
    const QDateTime before = rig.clock.current;
    try {
        CountResults(state);
        FAIL() << "no error";
    } catch (const FileAccessError& error) {
        EXPECT_EQ(error.errorNumber(), ENOENT);
        EXPECT_EQ(error.subject(), kResultsFileSubject);
    }
    EXPECT_EQ(rig.clock.current, before);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

// As the screens count: patiently.
TEST_F(CountsFixture, MissingDataFolderIsRetriedThenReported) {
    state.folders.DataFolder = install.root() + QStringLiteral("gone/");
    const QDateTime before = rig.clock.current;
    EXPECT_THROW(ReadPatiently(state, [&] { CountResults(state); }), DataFileError);
    // Three waits of five seconds, then the message on the fourth failure.
    EXPECT_EQ(before.secsTo(rig.clock.current), 15);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.startsWith(QStringLiteral("ファイルがありません")));
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(kResultsFileName));
}

TEST_F(CountsFixture, FolderReappearingDuringTheWaitsIsRead) {
    const QString folder = install.root() + QStringLiteral("late/");
    state.folders.DataFolder = folder;
    struct AppearingClock : FakeClock {
        QString folder;
        void wait(int ms) override {
            FakeClock::wait(ms);
            QDir().mkpath(folder);
        }
    } clock;
    clock.folder = folder;
    state.platform.clock = &clock;
    ReadPatiently(state, [&] { CountResults(state); });
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_TRUE(c.Runs.empty());
}

TEST_F(CountsFixture, UnreadableFileIsReportedAsAnError) {
    // A folder where the file should be cannot be read as records.
    QDir().mkpath(path());
    EXPECT_THROW(ReadPatiently(state, [&] { CountResults(state); }), DataFileError);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.startsWith(QStringLiteral("成績ランダムファイル表示")));
}

namespace {
// A read that fails with the given error number a number of times, then succeeds.
struct FailingRead {
    int errorNumber;
    int failures;
    int calls = 0;
    QString text = QStringLiteral("denied");
    QByteArray operator()() {
        if (++calls <= failures)
            throw FileAccessError(QStringLiteral("成績累積データ.dat: ") + text, errorNumber,
                                  kResultsFileSubject);
        return QByteArrayLiteral("bytes");
    }
};
} // namespace

TEST_F(CountsFixture, AHeldFileIsWaitedForSecondBySecondWithoutAQuestion) {
    FailingRead read{EACCES, 29};
    const QDateTime before = rig.clock.current;
    EXPECT_EQ(ReadPatientlyValue(state, std::ref(read)), QByteArrayLiteral("bytes"));
    EXPECT_EQ(before.secsTo(rig.clock.current), 29);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

// Each read runs on a worker: under Windows a thread made just as another
// ended sometimes never started, and its read was waited for without end.
TEST_F(CountsFixture, ReadsInARowEachEndOnAWorker) {
    int sum = 0;
    for (int i = 1; i <= 2000; ++i)
        sum += ReadPatientlyValue(state, [i] { return i; });
    EXPECT_EQ(sum, 2001000);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST_F(CountsFixture, AFileHeldForLongAsksEveryThirtyTriesUntilTheUserGivesUp) {
    FailingRead read{EACCES, 1000};
    rig.dialogs.answers = {true, false};
    EXPECT_THROW(ReadPatientlyValue(state, std::ref(read)), ShownFileError);
    EXPECT_EQ(read.calls, 60);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u); // the two questions, no message after giving up
    EXPECT_TRUE(
        rig.dialogs.shown[0].text.startsWith(QStringLiteral("成績ファイルを読み出せません。")));
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(QStringLiteral("denied")));
}

// A file server that is away or dropped the connection is waited out by
// readers and writers alike, the question in the server's words and the
// system's own text of the cause; other errors end the reading at once.
TEST_F(CountsFixture, NetworkErrorsAreWaitedOutInTheirOwnWords) {
    struct Row {
        unsigned long systemCode;
        bool waited;
        bool tooManyMachines;
    };
    const Row rows[] = {
#ifdef _WIN32
        {71, true, true},    {64, true, false}, {59, true, false},  {121, true, false},
        {54, true, false},   {55, true, false}, {240, true, false}, {1231, true, false},
        {1236, true, false}, {53, true, false}, {31, true, false},  {267, false, false},
        {206, false, false},
#else
        {ETIMEDOUT, true, false}, {EHOSTDOWN, true, false},  {ENETUNREACH, true, false},
        {ESTALE, true, false},    {ECONNRESET, true, false}, {ENOTCONN, true, false},
        {EIO, true, false},       {EISDIR, false, false},    {ENOTDIR, false, false},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.systemCode);
        rig.dialogs.shown.clear();
        const int number = platform::ErrorNumberOf(row.systemCode);
        const QString cause = SystemErrorText(number);
        FailingRead read{number, 40};
        read.text = cause;
        if (!row.waited) {
            EXPECT_THROW(ReadPatientlyValue(state, std::ref(read)), ShownFileError);
            ASSERT_EQ(rig.dialogs.shown.size(), 1u);
            EXPECT_TRUE(rig.dialogs.shown[0].text.startsWith(u"成績ランダムファイル表示"));
            continue;
        }
        EXPECT_EQ(ReadPatientlyValue(state, std::ref(read)), QByteArrayLiteral("bytes"));
        FailingRead write{number, 40};
        write.text = cause;
        EXPECT_TRUE(WritePatiently(state, QStringLiteral("預けます"), [&] { write(); }));
        ASSERT_EQ(rig.dialogs.shown.size(), 2u); // one question each
        for (const auto& question : rig.dialogs.shown) {
            EXPECT_TRUE(question.text.startsWith(u"ファイルサーバーに接続できません。"));
            EXPECT_TRUE(question.text.contains(cause));
            EXPECT_EQ(question.text.contains(u"20 台"), row.tooManyMachines);
        }
#ifdef _WIN32
        // The code's own words, not those of the general failure (31).
        EXPECT_TRUE(cause.contains(QStringLiteral("Windows のコード %1").arg(row.systemCode)));
#endif
    }
}

TEST_F(CountsFixture, AFileFreedAfterTheQuestionIsRead) {
    FailingRead read{EBUSY, 45};
    EXPECT_EQ(ReadPatientlyValue(state, std::ref(read)), QByteArrayLiteral("bytes"));
    EXPECT_EQ(rig.dialogs.shown.size(), 1u);
}

// A read stuck on a server that stopped answering: the question comes while
// the try still runs, and Cancel ends the reading at once; the try, left to
// end by itself, touches only what it owns.
TEST_F(CountsFixture, CancelWhileAReadIsStuckEndsTheReadingAndLeavesTheTry) {
    struct SecondsClock : FakeClock {
        void wait(int) override { advance(1); } // a second a wait keeps the test short
    } clock;
    state.platform.clock = &clock;
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    rig.dialogs.answers = {false};
    const double start = clock.monotonic;
    EXPECT_THROW(ReadPatientlyValue(state,
                                    [released, ended] {
                                        released.wait();
                                        ended->store(true);
                                        return QByteArrayLiteral("late");
                                    }),
                 ShownFileError);
    EXPECT_EQ(clock.monotonic - start, 29); // the thirtieth second's question
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.startsWith(u"ファイルサーバーに接続できません。"));
    EXPECT_TRUE(rig.dialogs.shown[0].text.endsWith(u"キャンセルでプログラムを終了します。"));
    EXPECT_FALSE(ended->load());
    release.set_value();
    for (int i = 0; i < 500 && !ended->load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(ended->load());
}
