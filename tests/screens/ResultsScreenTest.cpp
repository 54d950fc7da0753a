#include "DrillHarness.h"

#include "screens/DrillScreen.h"
#include "screens/ResultsScreen.h"

#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class ResultsScreenTest : public ::testing::Test, public DrillClassroom {
  protected:
    // As the end of a drill leaves things: the run recorded, the flags set.
    ResultsScreen* show(int level, int32_t result) {
        state().LevelNo = level;
        state().ResultValue = result;
        state().drill.TimedOut = result == 99999 ? 1 : 0;
        addRecord(level, result);
        navigator.showResults();
        return results();
    }
    void settle(ResultsScreen* screen) {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return Shown(screen, QStringLiteral("Command4")); }, 3000));
    }
    void makeClearable(int level) {
        state().criteria.ClearPoint[size_t(level)] = 5;
        state().criteria.ClearCount[size_t(level)] = 1;
    }
    static CriteriaValue Number(double value) {
        return CriteriaValue{CriteriaValue::Kind::Number, value, {}};
    }
};
} // namespace

TEST_F(ResultsScreenTest, ShowsTheRunItsPointsAndTheClassBest) {
    state().criteria.PointRate[1] = 2;
    addRecord(2, 40);
    addRecord(20, 40); // the day's total counts every level up to 35
    state().counts.NewPersonalBest = true;
    state().counts.NewClassBest = true;
    ResultsScreen* screen = show(1, 30);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("終了"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label15")), QStringLiteral("円の公式ドリル"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label16")), QStringLiteral("円周１"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label17")), QStringLiteral("山田　花子"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label18")), QStringLiteral("今の成績：30秒"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label19")), QStringLiteral("獲得ポイント：11点×2→22点"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label13")), QStringLiteral(" (このレベル\u30001回目)"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label14")), QStringLiteral("（3回目)"));
    EXPECT_EQ(state().board.TodayRunTotal, 3);
    EXPECT_TRUE(Shown(screen, QStringLiteral("Label20")));
    EXPECT_EQ(Text(screen, QStringLiteral("Label20")), QStringLiteral("！！！最高新記録！！！"));
    EXPECT_EQ(played(QStringLiteral("最高1.wav")), 1);
    EXPECT_EQ(played(QStringLiteral("jiko.wav")), 0);
    EXPECT_FALSE(state().counts.NewPersonalBest);
    EXPECT_FALSE(state().counts.NewClassBest);
    EXPECT_FALSE(Shown(screen, QStringLiteral("Label2")));
    EXPECT_FALSE(Shown(screen, QStringLiteral("Command4")));
    EXPECT_FALSE(Shown(screen, QStringLiteral("Command5")));
    EXPECT_TRUE(Child<QTimer>(screen, QStringLiteral("Timer1"))->isActive());
    EXPECT_EQ(navigator.count(QStringLiteral("closeWait")), 1);
    settle(screen);
    EXPECT_TRUE(Shown(screen, QStringLiteral("Command5")));
}

TEST_F(ResultsScreenTest, APersonalBestAloneIsCongratulated) {
    state().counts.NewPersonalBest = true;
    ResultsScreen* screen = show(1, 45);
    EXPECT_EQ(Text(screen, QStringLiteral("Label20")), QStringLiteral("新記録おめでとう"));
    EXPECT_EQ(played(QStringLiteral("jiko.wav")), 1);
    EXPECT_EQ(sound.played.size(), 1u);
}

TEST_F(ResultsScreenTest, ATimeOutHasNoRecordNoPointsAndNoSound) {
    ResultsScreen* screen = show(1, 99999);
    EXPECT_EQ(Text(screen, QStringLiteral("Label18")), QStringLiteral("記録なし"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label19")), QStringLiteral("獲得ポイント：0点×1→0点"));
    EXPECT_EQ(Text(screen, QStringLiteral("Label20")), QStringLiteral("時間切れ"));
    EXPECT_TRUE(sound.played.empty());
    // A time-out is not a run of the day.
    EXPECT_EQ(Text(screen, QStringLiteral("Label13")), QStringLiteral(" (このレベル\u30000回目)"));
}

TEST_F(ResultsScreenTest, WithoutARecordOnlyARunInsideTheLowestTimeSounds) {
    ResultsScreen* inside = show(1, 120);
    EXPECT_FALSE(Shown(inside, QStringLiteral("Label20")));
    EXPECT_EQ(played(QStringLiteral("fugoukaku.wav")), 1);
    navigator.closeResults();
    ResultsScreen* slower = show(1, 121);
    EXPECT_FALSE(Shown(slower, QStringLiteral("Label20")));
    EXPECT_EQ(sound.played.size(), 1u);
}

TEST_F(ResultsScreenTest, ATieWithTheBestTimeIsNoRecord) {
    addRecord(1, 30);
    DrillScreen* frm = startDrill(1);
    for (int i = 0; i < 10; ++i) {
        passSeconds(frm, 3);
        answerRight(frm);
    }
    ResultsScreen* screen = results();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(Text(screen, QStringLiteral("Label18")), QStringLiteral("今の成績：30秒"));
    EXPECT_FALSE(Shown(screen, QStringLiteral("Label20")));
    EXPECT_EQ(played(QStringLiteral("最高1.wav")), 0);
    EXPECT_EQ(played(QStringLiteral("jiko.wav")), 0);
    EXPECT_EQ(played(QStringLiteral("fugoukaku.wav")), 1);
}

TEST_F(ResultsScreenTest, AClearedOverPractisedLevelSendsTheStudentOn) {
    makeClearable(3);
    state().criteria.OverdoCount[3] = Number(1);
    ResultsScreen* screen = show(3, 30);
    EXPECT_TRUE(Shown(screen, QStringLiteral("Label2")));
    EXPECT_EQ(Text(screen, QStringLiteral("Label2")), QStringLiteral("このレベルクリア"));
    EXPECT_FALSE(Shown(screen, QStringLiteral("Picture1")));
    settle(screen);
    EXPECT_EQ(Text(screen, QStringLiteral("Label2")), QStringLiteral("次のレベルへ進みましょう"));
    EXPECT_FALSE(Shown(screen, QStringLiteral("Command5")));
}

TEST_F(ResultsScreenTest, AClearedLevelWithoutLimitsOffersAnotherRun) {
    makeClearable(3);
    ResultsScreen* screen = show(3, 30);
    settle(screen);
    EXPECT_EQ(Text(screen, QStringLiteral("Label2")), QStringLiteral("このレベルクリア"));
    EXPECT_TRUE(Shown(screen, QStringLiteral("Command5")));
}

TEST_F(ResultsScreenTest, TheFirstClearingOfTheGoalLevelIsCelebrated) {
    makeClearable(7);
    state().counts.AlreadyPassed = false;
    ResultsScreen* screen = show(7, 30);
    EXPECT_TRUE(Shown(screen, QStringLiteral("Picture1")));
    EXPECT_EQ(Text(screen, QStringLiteral("Label1")),
              QStringLiteral("目標レベルクリア。おめでとう！"));
    EXPECT_EQ(played(QStringLiteral("合格.wav")), 1);
    if (const QByteArray folder = qgetenv("DRILL_SCREENSHOTS"); !folder.isEmpty())
        host.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/results-goal.png"));
    settle(screen);
    EXPECT_FALSE(Shown(screen, QStringLiteral("Picture1")));
    EXPECT_TRUE(Shown(screen, QStringLiteral("Command5")));
    EXPECT_TRUE(Shown(screen, QStringLiteral("Label2")));
}

// A sound holds the program as long as it plays, and the screen paints just
// before it starts; the goal panel must stay up through the record sound and
// the fanfare, with the buttons still hidden.
TEST_F(ResultsScreenTest, TheGoalPanelStaysThroughTheRecordSoundAndTheFanfare) {
    struct Case {
        const char* name;
        int personalBest;
        int classBest;
        const char* recordSound;
    };
    for (const Case& c :
         {Case{"personal best", 1, 0, "jiko.wav"}, Case{"class best", 1, 1, "最高1.wav"},
          Case{"inside the lowest time", 0, 0, "fugoukaku.wav"}}) {
        SCOPED_TRACE(c.name);
        sound.played.clear();
        makeClearable(7);
        state().counts.AlreadyPassed = false;
        state().counts.NewPersonalBest = c.personalBest;
        state().counts.NewClassBest = c.classBest;
        std::vector<std::string> seen; // the sound, and what the bottom band showed as it started
        sound.whilePlaying = [&](const QString& path) {
            ResultsScreen* screen = results();
            const bool panel = screen && Shown(screen, QStringLiteral("Picture1"));
            const bool buttons = screen && Shown(screen, QStringLiteral("Command4"));
            seen.push_back(path.section(QLatin1Char('/'), -1).toStdString() +
                           (panel ? " panel" : " -") + (buttons ? " buttons" : ""));
            // Longer than the settling time, as a real sound is.
            QThread::msleep(700);
        };
        ResultsScreen* screen = show(7, 30);
        sound.whilePlaying = nullptr;
        EXPECT_EQ(seen, (std::vector<std::string>{std::string(c.recordSound) + " panel",
                                                  "合格.wav panel"}));
        settle(screen);
        EXPECT_FALSE(Shown(screen, QStringLiteral("Picture1")));
        navigator.closeResults();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ResultsScreenTest, ALaterClearingOfTheGoalLevelShowsThePanelSilently) {
    makeClearable(7);
    state().counts.AlreadyPassed = true;
    ResultsScreen* screen = show(7, 30);
    EXPECT_TRUE(Shown(screen, QStringLiteral("Picture1")));
    EXPECT_EQ(played(QStringLiteral("合格.wav")), 0);
}

TEST_F(ResultsScreenTest, NoGoalPanelWhileSomeLevelIsMarkedUnclearable) {
    makeClearable(7);
    state().criteria.ClearCount[12] = 9999;
    ResultsScreen* screen = show(7, 30);
    EXPECT_TRUE(Shown(screen, QStringLiteral("Label2")));
    EXPECT_FALSE(Shown(screen, QStringLiteral("Picture1")));
}

TEST_F(ResultsScreenTest, AnOverPractisedGoalLevelDropsTheClearLabelButOffersAnotherRun) {
    makeClearable(7);
    state().criteria.OverdoPoint[7] = Number(5);
    ResultsScreen* screen = show(7, 30);
    settle(screen);
    EXPECT_FALSE(Shown(screen, QStringLiteral("Label2")));
    EXPECT_EQ(Text(screen, QStringLiteral("Label2")), QString());
    EXPECT_TRUE(Shown(screen, QStringLiteral("Command5")));
}

TEST_F(ResultsScreenTest, MenuGoesBackToTheBoardOnce) {
    ResultsScreen* screen = show(1, 45);
    settle(screen);
    auto* menu = Child<QPushButton>(screen, QStringLiteral("Command4"));
    EXPECT_EQ(menu->text(), QStringLiteral("メニューへ"));
    QTest::mouseClick(menu, Qt::LeftButton);
    EXPECT_FALSE(menu->isEnabled());
    EXPECT_EQ(navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(results(), nullptr);
}

TEST_F(ResultsScreenTest, AgainStartsTheSameLevelAfresh) {
    ResultsScreen* screen = show(4, 99999);
    settle(screen);
    auto* again = Child<QPushButton>(screen, QStringLiteral("Command5"));
    EXPECT_EQ(again->text(), QStringLiteral("もう一度"));
    QTest::mouseClick(again, Qt::LeftButton);
    EXPECT_FALSE(Child<QPushButton>(screen, QStringLiteral("Command4"))->isEnabled());
    EXPECT_EQ(results(), nullptr);
    EXPECT_FALSE(state().drill.TimedOut);
    DrillScreen* frm = drill();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel8")), QStringLiteral("面積１"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("10"));
}

TEST_F(ResultsScreenTest, LaysOutTheLinesInTwips) {
    ResultsScreen* screen = show(1, 45);
    const auto at = [&](const char* name) {
        return Child<QWidget>(screen, QString::fromLatin1(name))->geometry();
    };
    EXPECT_EQ(at("Label15"), TwipRect(1845, 405, 11490, 960));
    EXPECT_EQ(at("Label18"), TwipRect(1845, 4440, 11490, 825));
    EXPECT_EQ(at("Label20"), TwipRect(1845, 6390, 11490, 735));
    EXPECT_EQ(at("Label14"), TwipRect(10215, 1395, 3135, 375));
    EXPECT_EQ(at("Label2"), TwipRect(180, 7710, 15075, 555));
    EXPECT_EQ(at("Picture1"), TwipRect(180, 8145, 15105, 1785));
    EXPECT_EQ(at("Command4"), TwipRect(1890, 8325, 5235, 1005));
    EXPECT_EQ(at("Command5"), TwipRect(8055, 8325, 5235, 1005));
    EXPECT_EQ(at("Image1"), QRect(0, 0, 1024, 768));
    if (const QByteArray folder = qgetenv("DRILL_SCREENSHOTS"); !folder.isEmpty()) {
        settle(screen);
        host.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/results.png"));
    }
}
