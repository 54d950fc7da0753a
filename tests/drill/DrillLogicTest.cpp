#include "TestDoubles.h"

#include "core/LevelCatalogue.h"
#include "drill/DrillLogic.h"
#include "drill/ResultsLogic.h"

#include <gtest/gtest.h>

#include <set>

namespace {
const QString kTimes = QStringLiteral("\u00D7");

QString Press(std::initializer_list<const char*> keys) {
    QString trail;
    for (const char* key : keys)
        trail = AppendKey(trail, QString::fromUtf8(key));
    return trail;
}
} // namespace

TEST(InputTrail, BackSpaceTakesBackWholeKeys) {
    QString trail = Press({"4", "×", "3.14"});
    EXPECT_EQ(trail, QStringLiteral("/4/") + kTimes + QStringLiteral("/3.14"));
    EXPECT_EQ(TrailDisplay(trail), QStringLiteral("4") + kTimes + QStringLiteral("3.14"));
    trail = RemoveLastKey(trail);
    EXPECT_EQ(TrailDisplay(trail), QStringLiteral("4") + kTimes);
    trail = RemoveLastKey(RemoveLastKey(trail));
    EXPECT_EQ(trail, QString());
    EXPECT_EQ(RemoveLastKey(trail), QString());
    // A number of two digits is one key and goes at once.
    EXPECT_EQ(TrailDisplay(RemoveLastKey(Press({"2", "10"}))), QStringLiteral("2"));
}

TEST(Judge, ComparesTheWholeFormulaExactly) {
    const QString answer = QStringLiteral("4") + kTimes + QStringLiteral("3.14");
    struct Case {
        QString input;
        int expected;
    };
    const Case cases[] = {
        {answer, kCorrect},
        {QStringLiteral("  ") + answer + QStringLiteral(" "), kCorrect},
        {QStringLiteral("3.14") + kTimes + QStringLiteral("4"), kWrong},
        {QStringLiteral("4x3.14"), kWrong},
        {QStringLiteral("４") + kTimes + QStringLiteral("3.14"), kWrong},
        {QStringLiteral("4") + kTimes, kWrong},
        {QString(), kWrong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Judge(answer, c.input), c.expected) << c.input.toStdString();
    EXPECT_EQ(Judge(QString(), QString()), kCorrect);
}

TEST(CorrectCount, NeverGoesBelowZero) {
    EXPECT_EQ(CorrectCountAfterWrong(0), 0);
    EXPECT_EQ(CorrectCountAfterWrong(1), 0);
    EXPECT_EQ(CorrectCountAfterWrong(9), 8);
    EXPECT_EQ(RemainingAnswers(10, 0), 10);
    EXPECT_EQ(RemainingAnswers(10, 10), 0);
}

TEST(DrillClock, RoundsHalvesToEven) {
    EXPECT_EQ(WholeSeconds(0.0), 0);
    EXPECT_EQ(WholeSeconds(0.5), 0);
    EXPECT_EQ(WholeSeconds(1.5), 2);
    EXPECT_EQ(WholeSeconds(2.5), 2);
    EXPECT_EQ(WholeSeconds(2.51), 3);
    EXPECT_EQ(WholeSeconds(25.7), 26);
    EXPECT_EQ(WholeSeconds(299.49), 299);
    EXPECT_EQ(MinutesSinceLogin(1000 + 59.9, 1000), 0);
    EXPECT_EQ(MinutesSinceLogin(1000 + 60, 1000), 1);
    EXPECT_EQ(MinutesSinceLogin(1000 + 3599, 1000), 59);
}

TEST(RedLamps, GoOutDuringTheLastTenSecondsBeforeTheTarget) {
    // Target 30, lowest 60: 30 goes at 21 s, all ten by 30 s, none before.
    EXPECT_TRUE(RedLampsToHide(20, 30, 60).empty());
    EXPECT_EQ(RedLampsToHide(21, 30, 60), std::vector<int>({30}));
    EXPECT_EQ(RedLampsToHide(25, 30, 60), std::vector<int>({30, 31, 32, 33, 34}));
    EXPECT_EQ(RedLampsToHide(30, 30, 60).size(), 10u);
    EXPECT_EQ(RedLampsToHide(30, 30, 60).back(), 39);
    EXPECT_TRUE(RedLampsToHide(31, 30, 60).empty());
    // Near the lowest time one lamp from the end of the row goes each second.
    EXPECT_EQ(RedLampsToHide(51, 30, 60), std::vector<int>({30}));
    EXPECT_EQ(RedLampsToHide(60, 30, 60), std::vector<int>({39}));
    EXPECT_TRUE(RedLampsToHide(61, 30, 60).empty());
}

TEST(TimeOut, WaitsWhileAnAnswerIsJudgedOrTheDrillEnds) {
    TestRig rig;
    DrillState& drill = rig.state.drill;
    drill.TimeLimit = 300;
    drill.ElapsedSeconds = 299;
    EXPECT_FALSE(ShouldTimeOut(rig.state));
    drill.ElapsedSeconds = 300;
    EXPECT_TRUE(ShouldTimeOut(rig.state));
    drill.JudgingNow = true;
    EXPECT_FALSE(ShouldTimeOut(rig.state));
    drill.JudgingNow = false;
    drill.DrillFinished = true;
    EXPECT_FALSE(ShouldTimeOut(rig.state));
    drill.DrillFinished = false;
    drill.EndRoutineStarted = true;
    EXPECT_FALSE(ShouldTimeOut(rig.state));
}

TEST(NewProblem, WaitsWhileAnAnswerIsJudgedAndStopsOnceTheDrillIsOver) {
    TestRig rig;
    DrillState& drill = rig.state.drill;
    EXPECT_TRUE(MayShowNewProblem(rig.state));
    for (bool DrillState::*flag :
         {&DrillState::JudgingNow, &DrillState::TimedOut, &DrillState::DrillFinished}) {
        drill.*flag = true;
        EXPECT_FALSE(MayShowNewProblem(rig.state));
        drill.*flag = false;
    }
    // Ending has begun but the drill is not over yet: the judged answer's
    // successor may still be shown.
    drill.EndRoutineStarted = true;
    EXPECT_TRUE(MayShowNewProblem(rig.state));
}

TEST(RunTotals, SumTodayOverTheGivenLevels) {
    TestRig rig;
    rig.state.counts.TodayCount(1, 7) = 2;
    rig.state.counts.TodayCount(15, 7) = 3;
    rig.state.counts.TodayCount(16, 7) = 4;
    rig.state.counts.TodayCount(1, 8) = 9;
    EXPECT_EQ(TodayRunTotal(rig.state, 7, 1, 15), 5);
    EXPECT_EQ(TodayRunTotal(rig.state, 7, 1, 35), 9);
}

TEST(NoTimeLimit, NamesTheLevelAndTheCriterion) {
    TestRig rig;
    BuildLevelTable(rig.state);
    rig.state.criteria.LowestTime[2] = 0;
    rig.state.criteria.LowestTime[3] = -5;
    rig.state.criteria.LowestTime[4] = 1;
    EXPECT_FALSE(HasTimeLimit(rig.state, 2));
    EXPECT_FALSE(HasTimeLimit(rig.state, 3));
    EXPECT_TRUE(HasTimeLimit(rig.state, 4));
    const QString message = NoTimeLimitMessage(rig.state, 2);
    EXPECT_TRUE(message.contains(QStringLiteral("円周２"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("最低Time")));
}

TEST(ResultsLines, ShowPointsResultAndRunCounters) {
    struct Case {
        int32_t result;
        int32_t target;
        float rate;
        const char* line;
    };
    const Case cases[] = {
        {30, 60, 2.0f, "獲得ポイント：11点×2→22点"},  {60, 60, 1.0f, "獲得ポイント：5点×1→5点"},
        {59, 60, 1.0f, "獲得ポイント：5点×1→5点"},    {120, 60, 1.0f, "獲得ポイント：1点×1→1点"},
        {119, 60, 1.5f, "獲得ポイント：4点×1.5→6点"}, {600, 60, 1.0f, "獲得ポイント：0点×1→0点"},
        {99999, 60, 1.0f, "獲得ポイント：0点×1→0点"}, {30, 60, 1.1f, "獲得ポイント：11点×1.1→12点"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointsLine(c.result, c.target, c.rate), QString::fromUtf8(c.line)) << c.line;

    EXPECT_EQ(ResultLine(25), QStringLiteral("今の成績：25秒"));
    EXPECT_EQ(ResultLine(99997), QStringLiteral("今の成績：99997秒"));
    EXPECT_EQ(ResultLine(99998), QStringLiteral("記録なし"));
    EXPECT_EQ(ResultLine(99999), QStringLiteral("記録なし"));
    EXPECT_EQ(LevelRunsLine(3), QStringLiteral(" (このレベル\u30003回目)"));
    EXPECT_EQ(AllLevelsRunsLine(12), QStringLiteral("（12回目)"));
}

TEST(ResultsMessage, ClassBestOutranksPersonalBestAndTimeOutOutranksBoth) {
    TestRig rig;
    rig.state.LevelNo = 1;
    rig.state.criteria.LowestTime[1] = 60;
    CountTables& counts = rig.state.counts;
    rig.state.ResultValue = 61;
    EXPECT_EQ(ChooseMessage(rig.state), ResultMessage::None);
    EXPECT_FALSE(PlaysFailSound(rig.state));
    rig.state.ResultValue = 60;
    EXPECT_TRUE(PlaysFailSound(rig.state));
    counts.NewPersonalBest = true;
    EXPECT_EQ(ChooseMessage(rig.state), ResultMessage::PersonalBest);
    EXPECT_FALSE(PlaysFailSound(rig.state));
    counts.NewClassBest = true;
    EXPECT_EQ(ChooseMessage(rig.state), ResultMessage::ClassBest);
    EXPECT_EQ(MessageText(ResultMessage::ClassBest), QStringLiteral("！！！最高新記録！！！"));
    rig.state.drill.TimedOut = true;
    EXPECT_EQ(ChooseMessage(rig.state), ResultMessage::TimedOut);
    EXPECT_EQ(MessageText(ResultMessage::TimedOut), QStringLiteral("時間切れ"));
}

TEST(ResultsSettling, MovesOnFromAClearedOverPractisedLevel) {
    TestRig rig;
    BuildLevelTable(rig.state);
    ProgramState& s = rig.state;
    s.session.StudentNo = 7;
    s.criteria.ClearPoint[3] = 50;
    s.criteria.ClearCount[3] = 5;
    s.criteria.OverdoCount[3] = CriteriaValue{CriteriaValue::Kind::Number, 8, {}};
    s.LevelNo = 3;

    // Neither cleared nor over-practised: "もう一度".
    Settling settling = SettleFor(s);
    EXPECT_TRUE(settling.showRetry);
    EXPECT_FALSE(settling.moveOnMessage);

    s.counts.PassPoints(3, 7) = 50;
    s.counts.PassRunCount(3, 7) = 5;
    s.counts.OverdoRunCount(3, 7) = 8;
    settling = SettleFor(s);
    EXPECT_FALSE(settling.showRetry);
    EXPECT_TRUE(settling.moveOnMessage);

    // Over-practised but not cleared: still "もう一度".
    s.counts.PassRunCount(3, 7) = 4;
    EXPECT_TRUE(SettleFor(s).showRetry);

    // Without limits a level is never over-practised.
    s.counts.PassRunCount(3, 7) = 5;
    s.criteria.OverdoCount[3] = CriteriaValue{};
    EXPECT_TRUE(SettleFor(s).showRetry);

    // The goal level: the clear label goes, "もう一度" stays.
    s.LevelNo = 7;
    s.criteria.ClearPoint[7] = 1;
    s.criteria.ClearCount[7] = 1;
    s.criteria.OverdoPoint[7] = CriteriaValue{CriteriaValue::Kind::Number, 10, {}};
    s.counts.PassPoints(7, 7) = 10;
    s.counts.PassRunCount(7, 7) = 1;
    s.counts.OverdoPoints(7, 7) = 10;
    settling = SettleFor(s);
    EXPECT_TRUE(settling.showRetry);
    EXPECT_TRUE(settling.hideClearLabel);
    EXPECT_TRUE(ShowsGoalPanel(s));
    s.criteria.ClearCount[20] = 9999;
    EXPECT_FALSE(ShowsGoalPanel(s));
    EXPECT_TRUE(IsGoalLevelCleared(s));
}
