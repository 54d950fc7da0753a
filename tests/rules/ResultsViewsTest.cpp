#include "rules/ResultsViews.h"

#include "TestDoubles.h"
#include "core/Dates.h"
#include "core/ProgramState.h"
#include "records/ResultsFile.h"
#include "roster/GradeFilters.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int kSchoolYear = 2026;
const QString kAll = QStringLiteral("全学年");
const QDate kWednesday(2026, 12, 9);
const QDate kSunday(2026, 12, 13);

// A classroom of three levels; students are added with a grade and a name.
class ResultsViewsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rig = std::make_unique<TestRig>();
        ProgramState& s = state();
        s.levels.LevelCount = 3;
        s.levels.LastLevel = 3;
        for (int lv = 1; lv <= 3; ++lv) {
            s.levels.LevelNames[lv] = QStringLiteral("レベル%1").arg(lv);
            s.criteria.TargetTime[lv] = 60;
            s.criteria.LowestTime[lv] = 120;
        }
        s.roster.SchoolYear = kSchoolYear;
        s.counts.BestTime.fill(99999);
        s.session.StudentNo = 0;
    }

    ProgramState& state() { return rig->state; }

    // Adds a student in roster order; the name is stored blank-padded to 20.
    void addStudent(int id, const QString& name, int grade, int32_t bestTimeOnLevel1 = 99999) {
        ProgramState& s = state();
        const int row = ++s.roster.RosterCount;
        s.roster.RosterId[row] = int16_t(id);
        s.roster.RosterName[id] = name.leftJustified(20, QLatin1Char(' '));
        s.roster.RosterBirthYear[id] = int16_t(kSchoolYear - 6 - grade);
        s.counts.BestTime(1, id) = bestTimeOnLevel1;
    }

    ResultRecord run(const QDate& day, QTime time, int student, int level, int32_t result) {
        ResultRecord record;
        record.date = ToOleDay(day);
        record.timeOfDay = ToOleTimeOfDay(time);
        record.student = int16_t(student);
        record.level = int16_t(level);
        record.result = result;
        return record;
    }

    std::unique_ptr<TestRig> rig;
};

TEST(ResultsViewsText, GradeMarksCoverPrimaryAndLowerSecondaryOnly) {
    const std::vector<std::pair<int, QString>> cases = {
        {0, "　"}, {1, "①"}, {6, "⑥"}, {7, "Ⅰ"}, {9, "Ⅲ"}, {10, "　"}, {-3, "　"},
    };
    for (const auto& [grade, mark] : cases)
        EXPECT_EQ(GradeMark(grade), mark) << grade;
}

TEST(ResultsViewsText, GradeFilterTexts) {
    struct Case {
        const char* filter;
        int grade;
        bool shown;
    };
    const Case cases[] = {
        {"全学年", 12, true},     {"家族", 0, true},        {"小学生全体", 1, true},
        {"小学生全体", 6, true},  {"小学生全体", 7, false}, {"小学生全体", 0, false},
        {"中学生全体", 7, true},  {"中学生全体", 9, true},  {"中学生全体", 10, false},
        {"中学生全体", 6, false}, {"小３", 3, true},        {"小３", 4, false},
        {"中１", 7, true},        {"中３", 9, true},        {"中３", 3, false},
        {"高１", 10, false},      {"", 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InGradeFilter(QString::fromUtf8(c.filter), c.grade), c.shown)
            << c.filter << " " << c.grade;
}

TEST(ResultsViewsText, NameFieldTrimsPadsAndCuts) {
    EXPECT_EQ(NameField(QStringLiteral("山田          ")), QStringLiteral("山田　　　"));
    EXPECT_EQ(NameField(QStringLiteral("山田太郎花子です")), QStringLiteral("山田太郎花"));
    EXPECT_EQ(NameField(QStringLiteral("ab")), QStringLiteral("ab　　　"));
    EXPECT_EQ(NameField(QString()), QStringLiteral("　　　　　"));
}

TEST(ResultsViewsText, RankFieldKeepsItsLastCharacters) {
    EXPECT_EQ(RankField(1, 2), QStringLiteral(" 1"));
    EXPECT_EQ(RankField(10, 2), QStringLiteral("10"));
    EXPECT_EQ(RankField(100, 2), QStringLiteral("00"));
    EXPECT_EQ(RankField(5, 3), QStringLiteral("  5"));
    EXPECT_EQ(RankField(100, 3), QStringLiteral("100"));
}

TEST(ResultsViewsSort, OnePassPutsEqualKeysRightFirstTwoPassesRestoreThem) {
    std::vector<int64_t> keys = {5, 3, 5, 3, 1};
    std::vector<int16_t> students = {1, 2, 3, 4, 5};
    MergeSortRanks(keys, students);
    EXPECT_EQ(keys, (std::vector<int64_t>{1, 3, 3, 5, 5}));
    EXPECT_EQ(students, (std::vector<int16_t>{5, 4, 2, 3, 1}));
    MergeSortRanks(keys, students);
    EXPECT_EQ(students, (std::vector<int16_t>{5, 2, 4, 1, 3}));
}

TEST(ResultsViewsSort, SortsLargeInputsAscending) {
    std::vector<int64_t> keys;
    std::vector<int16_t> students;
    for (int i = 0; i < 4999; ++i) {
        keys.push_back((i * 7919) % 1000);
        students.push_back(int16_t(i + 1));
    }
    MergeSortRanks(keys, students);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i], ((students[i] - 1) * 7919) % 1000);
}

TEST_F(ResultsViewsTest, EqualBestTimesShareARankAndTheNextTakesItsRow) {
    addStudent(11, "あい", 3, 50);
    addStudent(12, "かき", 7, 60);
    addStudent(13, "さし", 3, 50);
    state().session.StudentNo = 12;
    const RankingLines ranking = RankLevel(state(), 1, RankingOrder::BestTime, kAll);
    const QStringList expected = {
        QStringLiteral(" 1③あい　　　    50 　"),
        QStringLiteral(" 1③さし　　　    50 　"),
        QStringLiteral(" 3●かき　　　    60 ●"),
    };
    EXPECT_EQ(ranking.lines, expected);
    EXPECT_EQ(ranking.ownLine, 2);
}

TEST_F(ResultsViewsTest, NoRecordAndFailedRunsStandLastWithTheirMarks) {
    addStudent(1, "なし", 8, 99999);
    addStudent(2, "しっぱい", 1, 99998);
    addStudent(3, "はやい", 2, 40);
    const RankingLines ranking = RankLevel(state(), 1, RankingOrder::BestTime, kAll);
    const QStringList expected = {
        QStringLiteral(" 1②はやい　　    40 　"),
        QStringLiteral(" 2①しっぱい　*失敗* 　"),
        QStringLiteral("--Ⅱなし　　　------ 　"),
    };
    EXPECT_EQ(ranking.lines, expected);
    EXPECT_EQ(ranking.ownLine, -1);
    // The student report's wider field.
    const RankingLines report = RankLevel(state(), 1, RankingOrder::BestTime, kAll, 3);
    EXPECT_TRUE(report.lines[0].startsWith(QStringLiteral("  1②")));
    EXPECT_TRUE(report.lines[2].startsWith(QStringLiteral("---Ⅱ")));
}

TEST_F(ResultsViewsTest, RanksCountStudentsTheGradeFilterHides) {
    addStudent(1, "小学生", 5, 30);
    addStudent(2, "中学生A", 7, 45);
    addStudent(3, "中学生B", 9, 50);
    const RankingLines ranking =
        RankLevel(state(), 1, RankingOrder::BestTime, QStringLiteral("中学生全体"));
    ASSERT_EQ(ranking.lines.size(), 2);
    EXPECT_TRUE(ranking.lines[0].startsWith(QStringLiteral(" 2Ⅰ中学生A")));
    EXPECT_TRUE(ranking.lines[1].startsWith(QStringLiteral(" 3Ⅲ中学生B")));
}

TEST_F(ResultsViewsTest, PointsRankingsOrderByOneTableAndBreakTiesByTheOther) {
    addStudent(1, "いち", 1);
    addStudent(2, "に", 1);
    addStudent(3, "さん", 1);
    auto& counts = state().counts;
    counts.TotalPoints(1, 1) = 100;
    counts.TodayPoints(1, 1) = 0;
    counts.TotalPoints(1, 2) = 100;
    counts.TodayPoints(1, 2) = 20;
    counts.TotalPoints(1, 3) = 1234567;
    counts.TodayPoints(1, 3) = 5;
    state().session.StudentNo = 2;

    const RankingLines total = RankLevel(state(), 1, RankingOrder::TotalPoints, kAll);
    const QStringList expectedTotal = {
        QStringLiteral(" 1①さん　　　  5/34567"),
        QStringLiteral(" 2●に　　　　 20/  100"),
        QStringLiteral(" 2①いち　　　  0/  100"),
    };
    EXPECT_EQ(total.lines, expectedTotal);
    EXPECT_EQ(total.ownLine, 1);

    // Today's order leaves out the student without points today.
    const RankingLines today = RankLevel(state(), 1, RankingOrder::TodayPoints, kAll);
    const QStringList expectedToday = {
        QStringLiteral(" 1●に　　　　 20/  100"),
        QStringLiteral(" 2①さん　　　  5/34567"),
    };
    EXPECT_EQ(today.lines, expectedToday);
}

TEST_F(ResultsViewsTest, TodaysPointsShareRanksOnEqualTodayPointsUnderAFilter) {
    addStudent(1, "いち", 7);
    addStudent(2, "に", 2);
    addStudent(3, "さん", 8);
    addStudent(4, "よん", 9);
    auto& counts = state().counts;
    counts.TodayPoints(2, 1) = 10;
    counts.TotalPoints(2, 1) = 30;
    counts.TodayPoints(2, 2) = 30; // hidden by the filter, still ranked first
    counts.TotalPoints(2, 2) = 30;
    counts.TodayPoints(2, 3) = 10;
    counts.TotalPoints(2, 3) = 50;
    counts.TotalPoints(2, 4) = 900; // nothing today
    const RankingLines ranking =
        RankLevel(state(), 2, RankingOrder::TodayPoints, QStringLiteral("中学生全体"));
    const QStringList expected = {
        QStringLiteral(" 2Ⅱさん　　　 10/   50"),
        QStringLiteral(" 2Ⅰいち　　　 10/   30"),
    };
    EXPECT_EQ(ranking.lines, expected);
}

TEST_F(ResultsViewsTest, TheHundredthRankReadsAsZeroZero) {
    for (int id = 1; id <= 101; ++id)
        addStudent(id, QStringLiteral("s%1").arg(id), 4, 100 + id);
    const RankingLines ranking = RankLevel(state(), 1, RankingOrder::BestTime, kAll);
    ASSERT_EQ(ranking.lines.size(), 101);
    EXPECT_TRUE(ranking.lines[8].startsWith(QStringLiteral(" 9④s9")));
    EXPECT_TRUE(ranking.lines[9].startsWith(QStringLiteral("10④s10")));
    EXPECT_TRUE(ranking.lines[99].startsWith(QStringLiteral("00④s100")));
    EXPECT_TRUE(ranking.lines[100].startsWith(QStringLiteral("01④s101")));
}

TEST_F(ResultsViewsTest, PeriodDaysFollowTheWeekdayMondayToSunday) {
    struct Case {
        int period;
        QDate today;
        int days;
    };
    const Case cases[] = {
        {1, kSunday, 7},
        {2, kSunday, 14},
        {1, kWednesday, 3},
        {2, kWednesday, 10},
        {1, QDate(2026, 12, 7), 1},
        {2, QDate(2026, 12, 7), 8},
        {1, QDate(2026, 12, 12), 6},
        {3, kWednesday, 30},
        {4, kSunday, 365},
        {5, kWednesday, 3650},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeriodDaysFor(c.period, c.today), c.days)
            << c.period << " " << c.today.toString().toStdString();
}

TEST_F(ResultsViewsTest, ThisWeekRunsFromMonday) {
    addStudent(5, "ごう", 6);
    const QTime noon(12, 0);
    const std::vector<ResultRecord> records = {
        run(QDate(2026, 12, 6), noon, 5, 1, 70),  // Sunday before
        run(QDate(2026, 12, 7), noon, 5, 1, 80),  // Monday
        run(QDate(2026, 12, 13), noon, 5, 1, 90), // Sunday
        run(QDate(2026, 11, 30), noon, 5, 1, 75), // Monday of the week before
    };
    const auto daysOf = [&](const QDate& today, int period) {
        std::vector<ResultRecord> untilToday;
        for (const ResultRecord& record : records) {
            if (record.date <= ToOleDay(today)) untilToday.push_back(record);
        }
        const LevelLines lists = PeriodLines(
            state(), untilToday, today, PeriodDaysFor(period, today), PeriodOrder::TimeFirst, kAll);
        QStringList days;
        for (const QString& line : lists[1])
            days << line.mid(6, 5);
        days.sort();
        return days;
    };
    EXPECT_EQ(daysOf(kWednesday, 1), QStringList{QStringLiteral("12/07")});
    EXPECT_EQ(daysOf(kWednesday, 2), (QStringList{"11/30", "12/06", "12/07"}));
    EXPECT_EQ(daysOf(kSunday, 1), (QStringList{"12/07", "12/13"}));
    EXPECT_EQ(daysOf(kSunday, 2), (QStringList{"11/30", "12/06", "12/07", "12/13"}));
}

TEST_F(ResultsViewsTest, TodayLinesShowTimesPointsBeforeTheRateAndTimeOuts) {
    addStudent(1, "じぶん", 2);
    addStudent(2, "ほか", 8);
    state().session.StudentNo = 1;
    state().criteria.PointRate[1] = 2.0f; // not applied in the lists
    const std::vector<ResultRecord> records = {
        run(kWednesday, QTime(9, 5), 1, 1, 95),
        run(kWednesday, QTime(14, 30), 2, 1, 30),
        run(kWednesday, QTime(15, 0), 2, 1, 99999),
        run(kWednesday.addDays(-1), QTime(9, 0), 2, 1, 40), // yesterday
        run(kWednesday, QTime(9, 0), 2, 4, 40),             // level without a column
        run(kWednesday, QTime(9, 0), 2, 2, 130),
    };
    const LevelLines lists = TodayLines(state(), records, kWednesday, kAll);
    ASSERT_EQ(lists.size(), 4u);
    const QStringList expected = {
        QStringLiteral("  30秒 14:30Ⅱほか　　　Ⅱ11"),
        QStringLiteral("  95秒 09:05●じぶん　　●4"),
        QStringLiteral("　　× 15:00Ⅱほか　　　Ⅱ"),
    };
    EXPECT_EQ(lists[1], expected);
    EXPECT_EQ(lists[2], QStringList{QStringLiteral(" 130秒 09:00Ⅱほか　　　Ⅱ1")});
    EXPECT_TRUE(lists[3].isEmpty());
    // The grade filter hides the other student's runs.
    EXPECT_EQ(TodayLines(state(), records, kWednesday, QStringLiteral("小２"))[1],
              QStringList{QStringLiteral("  95秒 09:05●じぶん　　●4")});
}

TEST_F(ResultsViewsTest, UnsoundRecordsStayOffTheLists) {
    addStudent(1, "いち", 1);
    std::vector<ResultRecord> records = {
        run(kWednesday, QTime(9, 0), 0, 1, 50),    // no student
        run(kWednesday, QTime(9, 0), 1, 0, 50),    // no level
        run(kWednesday, QTime(9, 0), 1, 36, 50),   // beyond the last level
        run(kWednesday, QTime(9, 0), 6000, 1, 50), // beyond the last student
    };
    for (const LevelLines& lists :
         {TodayLines(state(), records, kWednesday, kAll),
          PeriodLines(state(), records, kWednesday, 30, PeriodOrder::TimeFirst, kAll)}) {
        for (const QStringList& lines : lists)
            EXPECT_TRUE(lines.isEmpty()) << lines.join('|').toStdString();
    }
}

TEST_F(ResultsViewsTest, PeriodLinesInPointsOrder) {
    addStudent(1, "いち", 1);
    const std::vector<ResultRecord> records = {
        run(kWednesday, QTime(9, 0), 1, 2, 30),
        run(kWednesday, QTime(9, 0), 1, 2, 95),
        run(kWednesday, QTime(9, 0), 1, 2, 99999),
    };
    const LevelLines lists =
        PeriodLines(state(), records, kWednesday, 30, PeriodOrder::PointsFirst, kAll);
    const QStringList expected = {
        QStringLiteral("    4 12/09①いち　　　①95秒"),
        QStringLiteral("   11 12/09①いち　　　①30秒"),
        QStringLiteral("　　× 12/09①いち　　　①"),
    };
    EXPECT_EQ(lists[2], expected);
}

TEST_F(ResultsViewsTest, PersonalTimesShowOnlyTheStudentsRunsAndTimeOuts) {
    addStudent(1, "じぶん", 2);
    addStudent(2, "ほか", 2);
    state().session.StudentNo = 1;
    const std::vector<ResultRecord> records = {
        run(QDate(2026, 3, 1), QTime(9, 5, 7), 1, 1, 95),
        run(kWednesday, QTime(16, 0, 0), 1, 1, 99999), run(kWednesday, QTime(16, 0, 0), 2, 1, 50),
        run(kWednesday.addDays(-3650), QTime(16, 0, 0), 1, 1, 50), // too old
    };
    const LevelLines lists = PersonalTimesLines(state(), records, kWednesday, kAll);
    const QStringList expected = {
        QStringLiteral("2026/03/01 9:05:07  95秒"),
        QStringLiteral("2026/12/09 16:00:00 時間切れ"),
    };
    EXPECT_EQ(lists[1], expected);
}

TEST_F(ResultsViewsTest, ReadsOnlyTheLastRecordsOfTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kResultsFileName);
    EXPECT_TRUE(ReadLastRecords(path, 3).empty()); // no file yet
    for (int result = 1; result <= 5; ++result)
        AppendRecord(path, run(kWednesday, QTime(9, 0), 1, 1, result));
    const std::vector<ResultRecord> last = ReadLastRecords(path, 3);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last.front().result, 3);
    EXPECT_EQ(last.back().result, 5);
    EXPECT_EQ(ReadLastRecords(path, 1000).size(), 5u);
}

TEST(ResultsViewsShade, TheLastCountedLineDecides) {
    struct Case {
        QStringList lines;
        ListShade shade;
    };
    const Case cases[] = {
        {{}, ListShade::None},
        {{QStringLiteral("　　× 10:00①あ①")}, ListShade::None},
        {{QStringLiteral("  60秒 10:00①あ①5")}, ListShade::Green},
        {{QStringLiteral("  61秒 10:00①あ①4")}, ListShade::LightGreen},
        {{QStringLiteral(" 120秒 10:00①あ①4")}, ListShade::LightGreen},
        {{QStringLiteral(" 121秒 10:00①あ①1")}, ListShade::Silver},
        {{QStringLiteral("  30秒 x"), QStringLiteral(" 200秒 x")}, ListShade::Silver},
        {{QStringLiteral(" 200秒 x"), QStringLiteral("  30秒 x"), QStringLiteral("　　× 10:00")},
         ListShade::Green},
        {{QStringLiteral("1234秒 x")}, ListShade::Silver}, // read whole, not as 234
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListShadeFor(c.lines, 60, 120), c.shade) << c.lines.join('|').toStdString();
    EXPECT_EQ(ShadeColour(ListShade::Green).green, 192);
    EXPECT_EQ(ShadeColour(ListShade::LightGreen).red, 192);
    EXPECT_EQ(ShadeColour(ListShade::Silver).blue, 192);
}

// ---- Level availability ----------------------------------------------------

class AvailabilityTest : public ResultsViewsTest {
  protected:
    void SetUp() override {
        ResultsViewsTest::SetUp();
        ProgramState& s = state();
        s.session.StudentNo = 7;
        s.session.StudentName = QStringLiteral("たろう");
        for (int lv = 1; lv <= 3; ++lv) {
            s.criteria.ClearPoint[lv] = 50;
            s.criteria.ClearCount[lv] = 5;
            s.criteria.OverdoCount[lv] = CriteriaValue{CriteriaValue::Kind::Number, 10, {}};
        }
    }
    void overPractise(int level) { state().counts.OverdoRunCount(level, 7) = 10; }
    void pass(int level) {
        state().counts.PassPoints(level, 7) = 50;
        state().counts.PassRunCount(level, 7) = 5;
    }
};

std::vector<bool> Flags(std::initializer_list<bool> levels) {
    std::vector<bool> flags{false};
    flags.insert(flags.end(), levels);
    return flags;
}

TEST_F(AvailabilityTest, SwitchOneOpensEveryLevel) {
    state().levels.LevelBoardSwitch = 1;
    const LevelAvailability a = LevelAvailabilityFor(state());
    EXPECT_EQ(a.enabled, Flags({true, true, true}));
    EXPECT_EQ(a.locked, Flags({false, false, false}));
    EXPECT_FALSE(a.finalLevelPassed);
}

TEST_F(AvailabilityTest, OverPractiseLocksEveryLevelButTheLast) {
    state().levels.LevelBoardSwitch = 1;
    overPractise(1);
    overPractise(2);
    overPractise(3);
    const LevelAvailability a = LevelAvailabilityFor(state());
    EXPECT_EQ(a.enabled, Flags({false, false, true}));
    EXPECT_EQ(a.locked, Flags({true, true, false}));
}

TEST_F(AvailabilityTest, OverPractisePointsLockToo) {
    state().levels.LevelBoardSwitch = 1;
    state().criteria.OverdoPoint[2] = CriteriaValue{CriteriaValue::Kind::Number, 100, {}};
    state().counts.OverdoPoints(2, 7) = 100;
    EXPECT_EQ(LevelAvailabilityFor(state()).locked, Flags({false, true, false}));
}

TEST_F(AvailabilityTest, NothingIsLockedOnceTheFinalLevelIsPassed) {
    state().levels.LevelBoardSwitch = 1;
    overPractise(1);
    overPractise(2);
    pass(3);
    const LevelAvailability a = LevelAvailabilityFor(state());
    EXPECT_TRUE(a.finalLevelPassed);
    EXPECT_EQ(a.enabled, Flags({true, true, true}));
    EXPECT_EQ(a.locked, Flags({false, false, false}));
}

TEST_F(AvailabilityTest, SwitchZeroOpensALevelWhenTheOneBeforeIsPassed) {
    state().levels.LevelBoardSwitch = 0;
    EXPECT_EQ(LevelAvailabilityFor(state()).enabled, Flags({true, false, false}));
    pass(1);
    EXPECT_EQ(LevelAvailabilityFor(state()).enabled, Flags({true, true, false}));
    pass(2);
    EXPECT_EQ(LevelAvailabilityFor(state()).enabled, Flags({true, true, true}));
    // A level after one without a pass target opens too.
    state().counts.PassPoints(2, 7) = 0;
    state().criteria.ClearPoint[3] = 9999;
    EXPECT_EQ(LevelAvailabilityFor(state()).enabled, Flags({true, true, true}));
}

TEST_F(AvailabilityTest, OnlyTheExactTrimmedNameTeacherOpensEveryLevel) {
    state().levels.LevelBoardSwitch = 0;
    const std::vector<std::pair<QString, bool>> cases = {
        {QStringLiteral("先生"), true},
        {QStringLiteral("先生                "), true},
        {QStringLiteral("  先生"), true},
        {QStringLiteral("山田先生"), false},
        {QStringLiteral("★先生"), false},
        {QStringLiteral("先生　"), false}, // a full-width blank is part of the name
    };
    for (const auto& [name, open] : cases) {
        state().session.StudentName = name;
        EXPECT_EQ(LevelAvailabilityFor(state()).enabled[3], open) << name.toStdString();
    }
}

TEST_F(AvailabilityTest, PracticeLevelsOpenAndNeverLock) {
    state().levels.LevelBoardSwitch = 0;
    state().levels.LevelNames[1] = QStringLiteral("練習");
    overPractise(1);
    const LevelAvailability a = LevelAvailabilityFor(state());
    EXPECT_EQ(a.enabled, Flags({true, true, false}));
    EXPECT_EQ(a.locked, Flags({false, false, false}));
}

} // namespace
