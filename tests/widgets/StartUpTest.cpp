#include "TestDoubles.h"

#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "core/Seeding.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

TEST(EraDate, FormatsTheJapaneseEra) {
    EXPECT_EQ(FormatEraDate(QDateTime(QDate(2026, 12, 9), QTime(10, 0))),
              QStringLiteral("令和8年 12月 09日（水）"));
    EXPECT_EQ(FormatEraDate(QDateTime(QDate(2019, 5, 1), QTime(0, 0))),
              QStringLiteral("令和1年 5月 01日（水）"));
    EXPECT_EQ(FormatEraDate(QDateTime(QDate(2019, 4, 30), QTime(23, 59, 59))),
              QStringLiteral("平成31年 4月 30日（火）"));
}

TEST(SeasonColor, FollowsTheMonth) {
    EXPECT_EQ(SeasonColorForMonth(12), (Colour{192, 255, 192}));
    EXPECT_EQ(SeasonColorForMonth(3), (Colour{192, 255, 192}));
    EXPECT_EQ(SeasonColorForMonth(1), (Colour{255, 128, 0}));
    EXPECT_EQ(SeasonColorForMonth(2), (Colour{255, 128, 0}));
    EXPECT_EQ(SeasonColorForMonth(6), (Colour{0, 192, 192}));
    EXPECT_EQ(SeasonColorForMonth(8), (Colour{0, 192, 192}));
    EXPECT_EQ(SeasonColorForMonth(9), (Colour{192, 64, 0}));
    EXPECT_EQ(SeasonColorForMonth(11), (Colour{192, 64, 0}));
}

TEST(OleDate, CountsDaysFromTheEpoch) {
    EXPECT_EQ(ToOleDay(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(ToOleDay(QDate(1900, 1, 1)), 2);
    EXPECT_EQ(ToOleDay(QDate(2026, 12, 9)), 46365);
    EXPECT_EQ(FromOleDay(46365), QDate(2026, 12, 9));
    EXPECT_EQ(ToOleTimeOfDay(QTime(12, 0)), 0.5);
    EXPECT_LT(ToOleTimeOfDay(QTime(23, 59, 59)), 1.0);
    EXPECT_EQ(FromOleTimeOfDay(ToOleTimeOfDay(QTime(23, 59, 59))), QTime(23, 59, 59));
}

TEST(StartUp, SeedsFromTheClockAndSetsTheSeason) {
    TestRig rig;
    rig.clock.current = QDateTime(QDate(2026, 1, 15), QTime(1, 2, 3));
    const QString date = PrepareStartUp(rig.state);
    ASSERT_EQ(rig.random.seeds.size(), 1u);
    EXPECT_EQ(rig.random.seeds[0], FreshSeed(rig.clock));
    EXPECT_EQ(rig.state.SeasonColor, (Colour{255, 128, 0}));
    EXPECT_EQ(date, QStringLiteral("令和8年 1月 15日（木）"));
}

TEST(StartUp, HandsOverExactlyOnceEvenWhenItIsSlow) {
    TestRig rig;
    ScreenHost host;
    StartupScreen* first = host.open<StartupScreen>(rig.state);
    int handOvers = 0;
    first->setHandOver([&] {
        ++handOvers;
        QTest::qWait(250); // longer than the 100 ms interval, events keep running
    });
    QTest::qWait(600);
    EXPECT_EQ(handOvers, 1);
    EXPECT_EQ(first->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("Just a moment, please."));
    EXPECT_EQ(first->findChild<QLabel*>(QStringLiteral("Label5"))->text(),
              QStringLiteral("令和8年 12月 09日（水）"));
}

TEST(LevelCatalogue, NamesSevenOfferedLevelsAndPracticeLevels) {
    TestRig rig;
    SetProgramIdentity(rig.state);
    EXPECT_EQ(rig.state.levels.ProgramTitle, QStringLiteral("円の公式ドリル"));
    EXPECT_EQ(rig.state.levels.LevelBoardSwitch, 1);

    BuildLevelTable(rig.state);
    const LevelCatalogue& levels = rig.state.levels;
    EXPECT_EQ(levels.LevelCount, 7);
    EXPECT_EQ(levels.LastLevel, 7);
    EXPECT_EQ(levels.LevelNames[1], QStringLiteral("円周１"));
    EXPECT_EQ(levels.LevelNames[7], QStringLiteral("混合"));
    EXPECT_EQ(levels.LevelNames[20], QStringLiteral("レベル７－1"));
    EXPECT_EQ(levels.LevelEnabled[24], 1);
    EXPECT_EQ(levels.LevelEnabled[25], 0);
    EXPECT_EQ(levels.LevelEnabled[35], 0);
    EXPECT_TRUE(IsPracticeLevel(rig.state, 19));
    EXPECT_TRUE(IsPracticeLevel(rig.state, 22));
    EXPECT_FALSE(IsPracticeLevel(rig.state, 20));
    EXPECT_FALSE(IsPracticeLevel(rig.state, 1));

    const auto before = levels.LevelNames;
    BuildLevelTable(rig.state);
    EXPECT_EQ(levels.LevelNames, before);
}

TEST(LevelCatalogue, DefineLevelsOpensTheBoard) {
    TestRig rig;
    DefineLevels(rig.state);
    EXPECT_EQ(rig.navigator.calls, std::vector<QString>{QStringLiteral("showBoard")});
}

TEST(LevelCatalogue, StartLevelClearsTheDrillFlags) {
    TestRig rig;
    DrillState& drill = rig.state.drill;
    drill.CorrectCount = 1;
    for (bool DrillState::*flag :
         {&DrillState::TimedOut, &DrillState::DrillFinished, &DrillState::EndRoutineStarted,
          &DrillState::JudgingNow, &DrillState::WrongAnswerShown})
        drill.*flag = true;
    StartLevel(rig.state);
    EXPECT_EQ(drill.CorrectCount, 0);
    EXPECT_FALSE(drill.TimedOut || drill.DrillFinished || drill.EndRoutineStarted ||
                 drill.JudgingNow || drill.WrongAnswerShown);
    EXPECT_EQ(rig.navigator.calls, std::vector<QString>{QStringLiteral("showDrill")});
}
