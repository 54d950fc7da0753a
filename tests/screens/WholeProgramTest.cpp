// A whole classroom round on a fresh demo classroom, driven only by clicks:
// a student picks their name, starts level 1 from the board, answers ten
// problems read off the drill screen, sees the results and goes back to a
// board that counts the run, as do the rankings and drill-stats. Then a
// teacher changes a criterion and deletes the run, and the board agrees.

#include "DemoClassroom.h"
#include "DrillKeypad.h"
#include "ListRows.h"
#include "TestDoubles.h"

#include "app/AppNavigator.h"
#include "app/StartUp.h"
#include "core/Text.h"
#include "rules/RecordRows.h"
#include "screens/CriteriaEditor.h"
#include "screens/DrillScreen.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "screens/RecordsBrowser.h"
#include "screens/ResultsScreen.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Today's runs and points of a level, as a board's counts label shows them:
// "2回/11点", or "-----" for none.
struct TodayCounts {
    int runs = 0;
    int points = 0;
    bool operator==(const TodayCounts&) const = default;
};

void PrintTo(const TodayCounts& counts, std::ostream* out) {
    *out << counts.runs << " runs / " << counts.points << " points";
}

TodayCounts ParseTodayCounts(const QString& text) {
    if (text == QStringLiteral("-----")) return {};
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)回/(\\d+)点$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) throw std::runtime_error(("unexpected counts " + text).toStdString());
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

// The last whole number of a text: the points of "獲得ポイント：5点×1→5点",
// the total points of a ranking line "  3●山田  12/  340".
int LastNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("(\\d+)\\D*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) throw std::runtime_error(("no number in " + text).toStdString());
    return match.captured(1).toInt();
}

// drill-stats' columns.
constexpr int kStatsLevel = 3;
constexpr int kStatsTodayRuns = 7;
constexpr int kStatsTotalPoints = 8;
constexpr int kStatsTodayPoints = 11;
constexpr int kStatsBestTime = 12;

// The program as main() starts it, on a demo classroom laid out by make-demo,
// with the real navigator and the test doubles for clock, random and sound.
class WholeProgram : public ::testing::Test {
  protected:
    DemoClassroom classroom;
    TestRig rig;
    SteppingRandom random;
    ScreenHost host;
    AppNavigator navigator{host, rig.state};

    void SetUp() override {
        rig.state.platform.random = &random;
        rig.state.platform.navigator = &navigator;
        host.show();
        StartProgram(rig.state, host, classroom.programFolder());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return host.find<NameSelectionScreen>() != nullptr; }, 5000));
    }

    template <typename W = QLabel> static W* Child(const QWidget* screen, const QString& name) {
        W* child = screen ? screen->findChild<W*>(name) : nullptr;
        if (!child) throw std::runtime_error("no control " + name.toStdString());
        return child;
    }
    static void Click(const QWidget* screen, const QString& button) {
        QTest::mouseClick(Child<QAbstractButton>(screen, button), Qt::LeftButton);
    }

    // Reads the formula off the screen and clicks it in, key by key, then OK.
    static void answer(DrillScreen* frm) {
        EnterFormula(frm, Child(frm, QStringLiteral("Label2"))->text());
        QTest::mouseClick(Child(frm, QStringLiteral("Label6_0")), Qt::LeftButton);
    }

    // Three seconds on the drill clock, ticking the drill's timer each second.
    void think(DrillScreen* frm) {
        for (int i = 0; i < 3; ++i) {
            rig.clock.advance(1);
            TickTimer(frm, QStringLiteral("sTimer1"));
        }
    }

    // Picks the first student on the name screen and confirms.
    LevelBoard* pickFirstStudent() {
        auto* names = host.find<NameSelectionScreen>();
        if (!names) throw std::runtime_error("no name selection screen");
        auto* list = Child<QListView>(names, QStringLiteral("List1"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
        Click(names, QStringLiteral("Command14"));
        EXPECT_TRUE(RowText(list, 1).contains(rig.state.session.StudentName.trimmed()));
        return readyBoard();
    }

    // The board on screen, once it has built its lists.
    LevelBoard* readyBoard() {
        auto* board = host.find<LevelBoard>();
        if (!board || !board->boardReady()) throw std::runtime_error("no ready board");
        return board;
    }

    static TodayCounts TodayOnBoard(const LevelBoard* board, int level) {
        return ParseTodayCounts(Child(board, QStringLiteral("Label14_%1").arg(level))->text());
    }

    // The student's own line ("●") of a level's ranking list.
    static QString OwnRankingLine(const LevelBoard* board, int level) {
        const auto* list = Child<QListView>(board, QStringLiteral("List5_%1").arg(level));
        for (const QString& line : RowTexts(list))
            if (line.contains(QStringLiteral("●"))) return line;
        return {};
    }

    // Starts level 1, answers ten problems by clicks and goes back to the board
    // from the results screen. Returns the points the results screen gave.
    int playLevelOne(LevelBoard* board) {
        Click(board, QStringLiteral("Command4_1"));
        DrillScreen* frm = host.find<DrillScreen>();
        EXPECT_EQ(host.find<LevelBoard>(), nullptr);
        for (int problem = 0; problem < 10; ++problem) {
            if (host.find<DrillScreen>() != frm)
                throw std::runtime_error("the drill ended after " + std::to_string(problem) +
                                         " problems");
            think(frm);
            answer(frm);
        }

        auto* results = host.find<ResultsScreen>();
        if (!results) throw std::runtime_error("no results screen");
        EXPECT_EQ(host.find<DrillScreen>(), nullptr);
        EXPECT_EQ(Child(results, QStringLiteral("Label18"))->text(),
                  QStringLiteral("今の成績：30秒"));
        const int points = LastNumber(Child(results, QStringLiteral("Label19"))->text());
        auto* menu = Child<QPushButton>(results, QStringLiteral("Command4"));
        EXPECT_EQ(menu->text(), QStringLiteral("メニューへ"));
        EXPECT_TRUE(menu->isHidden());
        if (!QTest::qWaitFor([&] { return !menu->isHidden(); }, 5000))
            throw std::runtime_error("the results screen never offered the menu");
        QTest::mouseClick(menu, Qt::LeftButton);
        EXPECT_EQ(host.find<ResultsScreen>(), nullptr);
        return points;
    }

    // Opens the data change panel, types the password and clicks the given
    // teacher button: 0 the records browser, 1 the criteria editor.
    void openTeacherScreen(LevelBoard* board, int which) {
        Click(board, QStringLiteral("Command8"));
        auto* password = Child<QLineEdit>(board, QStringLiteral("Text3"));
        EXPECT_TRUE(password->hasFocus());
        QTest::keyClicks(password, QStringLiteral("sensei"));
        Click(board, QStringLiteral("Command10_%1").arg(which));
        EXPECT_EQ(host.find<LevelBoard>(), nullptr);
    }

    // drill-stats' row for a student and level, at the test clock's moment.
    QStringList statsRow(int student, int level) {
        QProcess process;
        process.start(QStringLiteral(DRILL_STATS_PATH),
                      {QStringLiteral("--now"),
                       rig.clock.current.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       classroom.programFolder()});
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            throw std::runtime_error("drill-stats failed: " +
                                     process.readAllStandardError().toStdString());
        for (const QString& line :
             QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            const QStringList row = line.split(QLatin1Char(','));
            if (row.size() > kStatsLevel && row[0].toInt() == student &&
                row[kStatsLevel].toInt() == level)
                return row;
        }
        throw std::runtime_error("drill-stats has no row " + std::to_string(student) + "," +
                                 std::to_string(level));
    }
};

} // namespace

TEST_F(WholeProgram, TheRunIsCountedOnTheBoardInTheRankingsAndInDrillStats) {
    LevelBoard* board = pickFirstStudent();
    EXPECT_EQ(host.find<NameSelectionScreen>(), nullptr);
    const int student = rig.state.session.StudentNo;
    ASSERT_GT(student, 0);
    const TodayCounts before = TodayOnBoard(board, 1);
    const QString rankingBefore = OwnRankingLine(board, 1);
    const int totalBefore = rankingBefore.isEmpty() ? 0 : LastNumber(rankingBefore);

    const int points = playLevelOne(board);
    EXPECT_GT(points, 0);

    // A new board for the same student, counting the run today.
    LevelBoard* after = readyBoard();
    EXPECT_EQ(rig.state.session.StudentNo, student);
    const TodayCounts today = TodayOnBoard(after, 1);
    EXPECT_EQ(today, (TodayCounts{before.runs + 1, before.points + points}));

    // The points ranking ("合計累計") holds the student's line with the run's points.
    ASSERT_TRUE(Child<QRadioButton>(after, QStringLiteral("Option2_1"))->isChecked());
    ASSERT_TRUE(Child<QRadioButton>(after, QStringLiteral("Option1_1"))->isChecked());
    EXPECT_EQ(LastNumber(OwnRankingLine(after, 1)), totalBefore + points);

    // The time display's "本日のみ" lists the run: 30 seconds, by this student.
    Click(after, QStringLiteral("Option2_0"));
    Click(after, QStringLiteral("Option1_2"));
    ASSERT_EQ(Child(after, QStringLiteral("Label5"))->text(), QStringLiteral("本日の成績"));
    const QStringList todayLines = RowTexts(Child<QListView>(after, QStringLiteral("List5_1")));
    const QString own = QStringLiteral("●");
    EXPECT_EQ(todayLines.filter(own).size(), today.runs)
        << todayLines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(todayLines.filter(QRegularExpression(QStringLiteral("^ *30秒 10:0\\d●"))).size(), 1)
        << todayLines.join(QLatin1Char('|')).toStdString();

    // drill-stats, run as a teacher would, reads the same figures from the file.
    const QStringList stats = statsRow(student, 1);
    EXPECT_EQ(stats[kStatsTodayRuns].toInt(), today.runs);
    EXPECT_EQ(stats[kStatsTodayPoints].toInt(), today.points);
    EXPECT_EQ(stats[kStatsTotalPoints].toInt(), totalBefore + points);
    EXPECT_LE(stats[kStatsBestTime].toInt(), 30);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST_F(WholeProgram, ATeacherChangesACriterionAndDeletesTheRunAndTheBoardAgrees) {
    const QByteArray resultsBefore = [&] {
        QFile file(classroom.results());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    // The first demo student has not run level 1 today.
    LevelBoard* board = pickFirstStudent();
    ASSERT_EQ(TodayOnBoard(board, 1), TodayCounts{});
    playLevelOne(board);
    const TodayCounts withRun = TodayOnBoard(readyBoard(), 1);
    ASSERT_EQ(withRun.runs, 1);

    // The criteria editor: level 1's target time goes from 30 to 20 seconds,
    // so the 30-second run earns fewer points.
    openTeacherScreen(readyBoard(), 1);
    auto* editor = host.find<CriteriaEditor>();
    ASSERT_NE(editor, nullptr);
    auto* grid = Child<QTableWidget>(editor, QStringLiteral("MSFlexGrid1"));
    ASSERT_EQ(grid->item(0, 0)->text().trimmed(), QStringLiteral("30")); // level 1, 目標Time
    auto* box = Child<QLineEdit>(editor, QStringLiteral("Gridinputtext"));
    QTest::keyClick(box, Qt::Key_Space);
    QTest::keyClicks(box, QStringLiteral("20"));
    Click(editor, QStringLiteral("Command3"));
    EXPECT_TRUE(ReadCp932File(classroom.criteria()).contains(QStringLiteral("\r\n20,60,50,5,1,")));
    Click(editor, QStringLiteral("Command4"));
    EXPECT_EQ(host.find<CriteriaEditor>(), nullptr);

    LevelBoard* changed = readyBoard();
    EXPECT_TRUE(
        Child(changed, QStringLiteral("Label7_1"))->text().startsWith(QStringLiteral("目標=20秒")));
    const TodayCounts cheaper = TodayOnBoard(changed, 1);
    EXPECT_EQ(cheaper.runs, withRun.runs);
    EXPECT_LT(cheaper.points, withRun.points);

    // The records browser: the run is the last record; delete it.
    openTeacherScreen(changed, 0);
    auto* browser = host.find<RecordsBrowser>();
    ASSERT_NE(browser, nullptr);
    auto* list = Child<QListView>(browser, QStringLiteral("List1"));
    const int lastRow = browser->model()->rowCount() - 1;
    ASSERT_GE(lastRow, 0);
    const QModelIndex last = browser->model()->index(lastRow);
    EXPECT_TRUE(last.data().toString().contains(rig.state.session.StudentName.trimmed().left(3)));
    list->scrollTo(last);
    const QPoint at = list->visualRect(last).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    rig.dialogs.answers = {true};
    Click(browser, QStringLiteral("Command3"));
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown.back().text, QStringLiteral("本当に消去しますか"));
    Click(browser, QStringLiteral("Command4"));
    EXPECT_EQ(host.find<RecordsBrowser>(), nullptr);

    // The results file is as make-demo left it, and the board counts as before the run.
    QFile results(classroom.results());
    ASSERT_TRUE(results.open(QIODevice::ReadOnly));
    EXPECT_EQ(results.readAll(), resultsBefore);
    EXPECT_EQ(Child(readyBoard(), QStringLiteral("Label14_1"))->text(), QStringLiteral("-----"));
}
