// A whole classroom round on a fresh demo classroom, driven only by clicks:
// a student picks their name, starts level 1 from the board, answers ten
// problems read off the drill screen, sees the results and goes back to a
// board that counts the run.

#include "TestDoubles.h"

#include "app/AppNavigator.h"
#include "app/Configuration.h"
#include "core/Screen.h"
#include "core/StartupScreens.h"
#include "drill/DrillScreen.h"
#include "drill/ResultsScreen.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kTimes = QStringLiteral("\u00D7");

// Varied draws, so that the ten problems differ as they would in class.
class SteppingRandom : public RandomSource {
public:
    void seed(std::uint32_t) override {}
    double next() override {
        value_ = std::fmod(value_ + 0.381966, 1.0);
        return value_;
    }

private:
    double value_ = 0.1;
};

// The program as main() starts it, on a demo classroom laid out by make-demo,
// with the real navigator and the test doubles for clock, random and sound.
class WholeProgram : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TestRig rig;
    SteppingRandom random;
    ScreenHost host;
    AppNavigator navigator{host, rig.state};

    void SetUp() override {
        const QString root = dir.path() + QLatin1Char('/');
        ASSERT_EQ(QProcess::execute(QStringLiteral(MAKE_DEMO_PATH), {root}), 0);
        rig.state.platform.random = &random;
        rig.state.platform.navigator = &navigator;
        host.show();
        PrepareStartUp(rig.state);
        LoadConfiguration(rig.state, root + QStringLiteral("circle"));
        navigator.showNameSelection();
    }

    template <typename W = QLabel> static W* Child(const QWidget* screen, const char* name) {
        W* child = screen ? screen->findChild<W*>(QString::fromLatin1(name)) : nullptr;
        if (!child)
            throw std::runtime_error(std::string("no control ") + name);
        return child;
    }

    // Clicks the key whose caption is the given text.
    static void pressKey(MainFrm* frm, const QString& caption) {
        for (const char* name : {"Label5_13", "Label5_1", "Label5_12", "Label5_2", "Label5_0", "Label6_1"}) {
            QLabel* key = Child(frm, name);
            if (key->text() == caption) {
                QTest::mouseClick(key, Qt::LeftButton);
                return;
            }
        }
        throw std::runtime_error(("no key " + caption).toStdString());
    }

    // Reads the formula off the screen and clicks it in, part by part, then OK.
    static void answer(MainFrm* frm) {
        const QStringList parts = Child(frm, "Label2")->text().split(kTimes);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                pressKey(frm, kTimes);
            pressKey(frm, parts[i]);
        }
        QTest::mouseClick(Child(frm, "Label6_0"), Qt::LeftButton);
    }

    // Three seconds on the drill clock, ticking the drill's timer each second.
    void think(MainFrm* frm) {
        for (int i = 0; i < 3; ++i) {
            rig.clock.advance(1);
            frm->sTimer1_Timer();
        }
    }

    // The number of today's runs in a board's counts label ("-----" is none).
    static int TodayRuns(const QString& text) {
        if (text == QStringLiteral("-----"))
            return 0;
        bool ok = false;
        const int runs = text.left(text.indexOf(QStringLiteral("回"))).toInt(&ok);
        if (!ok)
            throw std::runtime_error(("unexpected counts " + text).toStdString());
        return runs;
    }
};

} // namespace

TEST_F(WholeProgram, ANameTheBoardADrillAnsweredByClicksTheResultsAndTheBoardCountingTheRun) {
    // The name screen: pick the first student and confirm.
    auto* names = host.find<NameSelectionScreen>();
    ASSERT_NE(names, nullptr);
    auto* list = Child<QListWidget>(names, "List1");
    ASSERT_GT(list->count(), 1);
    const QPoint row = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseClick(Child<QPushButton>(names, "Command14"), Qt::LeftButton);
    const int student = rig.state.session.StudentNo;
    ASSERT_GT(student, 0);
    EXPECT_TRUE(list->item(1)->text().contains(rig.state.session.StudentName.trimmed()));

    // The board, ready, with today's count for level 1 before the run.
    auto* board = host.find<LevelBoard>();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(host.find<NameSelectionScreen>(), nullptr);
    ASSERT_TRUE(board->boardReady());
    const int runsBefore = TodayRuns(Child(board, "Label14_1")->text());
    auto* start = Child<QPushButton>(board, "Command4_1");
    ASSERT_TRUE(start->isEnabled());
    QTest::mouseClick(start, Qt::LeftButton);

    // The drill: ten problems, each read off the screen and clicked in.
    MainFrm* frm = host.find<MainFrm>();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(host.find<LevelBoard>(), nullptr);
    for (int problem = 0; problem < 10; ++problem) {
        ASSERT_NE(host.find<MainFrm>(), nullptr) << "the drill ended after " << problem << " problems";
        think(frm);
        answer(frm);
    }

    // The results: the run's time, then "メニューへ" once the screen settles.
    auto* results = host.find<FrmSyuuryou>();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(host.find<MainFrm>(), nullptr);
    EXPECT_EQ(Child(results, "Label18")->text(), QStringLiteral("今の成績：30秒"));
    auto* menu = Child<QPushButton>(results, "Command4");
    EXPECT_EQ(menu->text(), QStringLiteral("メニューへ"));
    EXPECT_TRUE(menu->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isHidden(); }, 5000));
    QTest::mouseClick(menu, Qt::LeftButton);

    // A new board for the same student, counting the run.
    EXPECT_EQ(host.find<FrmSyuuryou>(), nullptr);
    auto* after = host.find<LevelBoard>();
    ASSERT_NE(after, nullptr);
    ASSERT_TRUE(after->boardReady());
    EXPECT_EQ(rig.state.session.StudentNo, student);
    EXPECT_EQ(TodayRuns(Child(after, "Label14_1")->text()), runsBefore + 1);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}
