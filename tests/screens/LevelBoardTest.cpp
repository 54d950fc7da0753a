#include "ListRows.h"
#include "TestDoubles.h"

#include "app/AppNavigator.h"

#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "core/RealPlatform.h"
#include "records/Criteria.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"
#include "rules/LevelBoardRules.h"
#include "screens/DrillScreen.h"
#include "screens/LevelBoard.h"
#include "widgets/MessageBoxDialogs.h"
#include "widgets/Screen.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

CriteriaValue Number(double value) {
    return {CriteriaValue::Kind::Number, value, {}};
}

// A classroom with the program's levels, two students and an empty results file.
struct BoardRig {
    TestRig rig;
    TempInstall install;
    ScreenHost host;
    ProgramState& state = rig.state;

    explicit BoardRig(int levelCount = 7, const QString& studentName = QStringLiteral("山田太郎")) {
        state.folders.DataFolder = install.dataFolder();
        state.common.ClassroomName = QStringLiteral("さくら教室");
        state.SeasonColor = SeasonColorForMonth(12);
        SetProgramIdentity(state);
        BuildLevelTable(state);
        state.levels.LevelCount = levelCount;
        state.levels.LastLevel = levelCount;
        for (int level = 1; level <= kMaxLevel; ++level) {
            CriteriaTables& c = state.criteria;
            c.TargetTime[level] = 60;
            c.LowestTime[level] = 120;
            c.ClearPoint[level] = 50;
            c.ClearCount[level] = 3;
            c.PointRate[level] = 1;
            c.PassDays[level] = Number(7);
            c.OverdoDays[level] = Number(1);
        }
        RosterTables& r = state.roster;
        r.SchoolYear = 2026;
        r.RosterCount = 2;
        r.RosterId[1] = 1;
        r.RosterId[2] = 2;
        r.RosterName[1] = studentName.leftJustified(20, u' ');
        r.RosterName[2] = QStringLiteral("佐藤花子").leftJustified(20, u' ');
        r.RosterBirthYear[1] = 2015;
        r.RosterBirthYear[2] = 2014;
        state.session.StudentNo = 1;
        state.session.StudentName = r.RosterName[1];
        state.session.StudentGrade = QStringLiteral("小５");
        state.session.LoginTime = rig.clock.monotonic - 125;
        host.show();
    }

    void addRun(int student, int level, int result, int daysAgo = 0) {
        ResultRecord record;
        record.date = ToOleDay(rig.clock.current.date().addDays(-daysAgo));
        record.timeOfDay = ToOleTimeOfDay(QTime(9, 30));
        record.student = int16_t(student);
        record.level = int16_t(level);
        record.result = result;
        AppendRecord(ResultsFilePath(state), record);
    }

    LevelBoard* open() { return host.open<LevelBoard>(state); }

    template <typename T> T* find(LevelBoard* board, const QString& name) {
        T* widget = board->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QString text(LevelBoard* board, const QString& name) {
        return find<QLabel>(board, name)->text();
    }
};

TEST(LevelBoard, FourLevelsShareTheWidthWithoutScrollBar) {
    BoardRig b(4);
    LevelBoard* board = b.open();
    EXPECT_EQ(b.find<QListView>(board, QStringLiteral("List5_1"))->width(), Px(3648));
    EXPECT_EQ(b.find<QListView>(board, QStringLiteral("List5_2"))->x() -
                  b.find<QListView>(board, QStringLiteral("List5_1"))->x(),
              Px(3648 + 307) - Px(307));
    EXPECT_TRUE(b.find<QScrollBar>(board, QStringLiteral("HScroll1"))->isHidden());
    EXPECT_EQ(board->findChild<QWidget*>(QStringLiteral("Command4_5")), nullptr);
    EXPECT_EQ(b.find<QPushButton>(board, QStringLiteral("Command4_4"))->text(),
              QStringLiteral("ｽﾀｰﾄ(&4)"));
    EXPECT_EQ(b.find<QLabel>(board, QStringLiteral("Label1_1"))->width(), Px(3648 / 5));
    EXPECT_EQ(b.find<QLabel>(board, QStringLiteral("Label3_2"))->toolTip(),
              QStringLiteral("円周２"));
}

TEST(LevelBoard, SevenLevelsScrollAndTheScrollPositionSurvivesANewBoard) {
    BoardRig b(7);
    LevelBoard* board = b.open();
    auto* scroll = b.find<QScrollBar>(board, QStringLiteral("HScroll1"));
    EXPECT_FALSE(scroll->isHidden());
    EXPECT_EQ(scroll->maximum(), 4);
    EXPECT_EQ(scroll->value(), 1);
    auto* list1 = b.find<QListView>(board, QStringLiteral("List5_1"));
    auto* list4 = b.find<QListView>(board, QStringLiteral("List5_4"));
    EXPECT_EQ(list1->width(), Px(3456));
    const int firstLeft = list1->x();

    scroll->setValue(4);
    EXPECT_EQ(b.state.board.BoardScrollPos, 4);
    EXPECT_EQ(list4->x(), firstLeft);
    EXPECT_GE(list1->x(), kWindowWidth); // parked out of view
    EXPECT_EQ(b.find<QLabel>(board, QStringLiteral("Label3_4"))->x(),
              firstLeft + b.find<QLabel>(board, QStringLiteral("Label1_4"))->width());

    b.host.closeScreen(board);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LevelBoard* again = b.open();
    EXPECT_EQ(b.find<QScrollBar>(again, QStringLiteral("HScroll1"))->value(), 4);
    EXPECT_EQ(b.find<QListView>(again, QStringLiteral("List5_4"))->x(), firstLeft);
}

TEST(LevelBoard, KeysStartLevelsOnlyWhereTheBoardHasThem) {
    struct Case {
        char key;
        const char* call; // nullptr: nothing happens
        int level;
    };
    for (const Case& c : {Case{'b', nullptr, 0}, Case{'A', nullptr, 0}, Case{'a', "showDrill", 10},
                          Case{'3', "showDrill", 3}, Case{'0', "showNameSelection", 0}}) {
        BoardRig b(10);
        b.state.LevelNo = 0;
        LevelBoard* board = b.open();
        ASSERT_TRUE(board->boardReady());
        QTest::keyClick(board, c.key);
        if (c.call == nullptr) {
            EXPECT_TRUE(b.rig.navigator.calls.empty()) << c.key;
        } else {
            EXPECT_EQ(b.rig.navigator.calls, std::vector<QString>{QString::fromLatin1(c.call)})
                << c.key;
            EXPECT_EQ(b.state.LevelNo, c.level) << c.key;
        }
    }
}

TEST(LevelBoard, KeysReachTheBoardFromItsListsButNotTheOpenPasswordPanel) {
    BoardRig b(7, QStringLiteral("田中先生"));
    LevelBoard* board = b.open();
    QTest::keyClick(b.find<QListView>(board, QStringLiteral("List5_2")), '2');
    EXPECT_EQ(b.rig.navigator.count(QStringLiteral("showDrill")), 1);
    EXPECT_EQ(b.state.LevelNo, 2);

    BoardRig t(7, QStringLiteral("田中先生"));
    LevelBoard* teacherBoard = t.open();
    t.find<QPushButton>(teacherBoard, QStringLiteral("Command8"))->click();
    auto* password = t.find<QLineEdit>(teacherBoard, QStringLiteral("Text3"));
    QTest::keyClicks(password, QStringLiteral("10"));
    EXPECT_EQ(password->text(), QStringLiteral("10"));
    t.find<QPushButton>(teacherBoard, QStringLiteral("Command4_1"))->click();
    EXPECT_TRUE(t.rig.navigator.calls.empty());
}

TEST(LevelBoard, ClickingALevelNameStartsItAndClosesTheBoard) {
    BoardRig b(7);
    LevelBoard* board = b.open();
    QTest::mouseClick(b.find<QLabel>(board, QStringLiteral("Label3_5")), Qt::LeftButton);
    EXPECT_EQ(b.state.LevelNo, 5);
    EXPECT_EQ(b.rig.navigator.calls,
              (std::vector<QString>{QStringLiteral("showDrill"), QStringLiteral("closeBoard")}));
}

// A run kept on this machine is not counted until it is moved: the board says so.
TEST(LevelBoard, RunsKeptOnThisMachineAreLeftOutOfTheCountAndSaidSo) {
    BoardRig b(7);
    b.state.folders.OutboxFolder = b.install.root() + QStringLiteral("outbox");
    b.addRun(1, 1, 30);
    ResultRecord kept;
    kept.date = ToOleDay(b.rig.clock.current.date());
    kept.student = 1;
    kept.level = 1;
    kept.result = 40;
    Outbox(b.state.folders.OutboxFolder, ResultsFilePath(b.state)).keep(EncodeRecord(kept));
    LevelBoard* board = b.open();
    EXPECT_EQ(b.text(board, QStringLiteral("Label18")),
              QStringLiteral("本日総回数＝1回（未記録1回を除く）"));
    EXPECT_TRUE(MoveOutboxIntoResults(b.state));
    board->activate();
    EXPECT_EQ(b.text(board, QStringLiteral("Label18")), QStringLiteral("本日総回数＝2回"));
}

TEST(LevelBoard, CountsShowDashesWithoutRunsAndTheRecentLineStaysAsLoaded) {
    BoardRig b(7);
    b.addRun(1, 1, 30);     // 11 points
    b.addRun(1, 1, 60);     // 5 points
    b.addRun(1, 1, 60, 3);  // 5 points, in the 7-day window
    b.addRun(1, 1, 99999);  // a time-out: no run, no points
    b.addRun(1, 2, 60, 10); // outside the window
    b.addRun(2, 3, 30);     // someone else's
    LevelBoard* board = b.open();
    EXPECT_EQ(b.text(board, QStringLiteral("Label14_1")), QStringLiteral("2回/16点"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label15_1")), QStringLiteral("3回/21点"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label14_2")), QStringLiteral("-----"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label15_2")), QStringLiteral("1回/5点"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label14_3")), QStringLiteral("-----"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label15_3")), QStringLiteral("------"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label18")), QStringLiteral("本日総回数＝2回"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label17")), QStringLiteral("起動後2分"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label12")), QStringLiteral("小５ 山田太郎"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label13")), QStringLiteral("さくら教室:1"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label7_1")), QStringLiteral("目標=60秒 3回/50点(×1)"));
    // The recent line is written when the board loads, before this board's first count.
    EXPECT_EQ(b.text(board, QStringLiteral("Label8_1")), QStringLiteral("最近7日=0回 / 0点"));

    b.addRun(1, 3, 60);
    board->activate();
    EXPECT_EQ(b.text(board, QStringLiteral("Label14_3")), QStringLiteral("1回/5点"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label18")), QStringLiteral("本日総回数＝3回"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label8_1")), QStringLiteral("最近7日=0回 / 0点"));

    // A board loaded after a count shows the window as counted.
    b.host.closeScreen(board);
    LevelBoard* next = b.open();
    EXPECT_EQ(b.text(next, QStringLiteral("Label8_1")), QStringLiteral("最近7日=3回 / 21点"));
}

TEST(LevelBoard, AnOverPractisedLevelIsLockedButNeverTheLastOne) {
    BoardRig b(7);
    b.state.criteria.OverdoCount[2] = Number(2);
    b.state.criteria.OverdoCount[7] = Number(1);
    b.state.criteria.OverdoPoint[3] = Number(10);
    b.addRun(1, 2, 60);
    b.addRun(1, 2, 60);
    b.addRun(1, 3, 30); // 11 points
    b.addRun(1, 7, 60);
    LevelBoard* board = b.open();
    for (int level = 1; level <= 7; ++level) {
        const bool locked = level == 2 || level == 3;
        const QString i = QString::number(level);
        EXPECT_EQ(b.find<QPushButton>(board, QStringLiteral("Command4_") + i)->isEnabled(), !locked)
            << level;
        auto* notice = b.find<QLineEdit>(board, QStringLiteral("Text1_") + i);
        EXPECT_EQ(notice->isHidden(), !locked) << level;
        if (locked) {
            EXPECT_EQ(notice->text(), QStringLiteral("やりすぎ禁止"));
        }
    }
    QTest::keyClick(board, '2');
    EXPECT_TRUE(b.rig.navigator.calls.empty());
}

TEST(LevelBoard, APracticeLevelShowsOnlyItsHeadAndGetsSixHundredSeconds) {
    BoardRig b(7);
    b.state.levels.LevelNames[2] = QStringLiteral("レベル７練習");
    LevelBoard* board = b.open();
    EXPECT_TRUE(b.find<QListView>(board, QStringLiteral("List5_2"))->isHidden());
    EXPECT_TRUE(b.find<QLabel>(board, QStringLiteral("Label7_2"))->isHidden());
    EXPECT_TRUE(b.find<QLabel>(board, QStringLiteral("Label15_2"))->isHidden());
    EXPECT_FALSE(b.find<QListView>(board, QStringLiteral("List5_1"))->isHidden());
    EXPECT_FALSE(b.find<QPushButton>(board, QStringLiteral("Command4_2"))->isHidden());
    // The practice level runs against ten minutes; its criteria line stays as loaded.
    EXPECT_EQ(TargetTimeOf(b.state, 2), 600);
    EXPECT_EQ(LowestTimeOf(b.state, 2), 600);
    EXPECT_EQ(b.state.criteria.TargetTime[2], 60);
    EXPECT_EQ(TargetTimeOf(b.state, 1), 60);
}

TEST(LevelBoard, TheTeacherButtonFollowsTheName) {
    struct Case {
        const char* name;
        bool teacher;
    };
    for (const Case& c : {Case{"山田太郎", false}, Case{"★山田", true}, Case{"田中先生", true},
                          Case{"先生", true}}) {
        BoardRig b(7, QString::fromUtf8(c.name));
        LevelBoard* board = b.open();
        EXPECT_EQ(!b.find<QPushButton>(board, QStringLiteral("Command8"))->isHidden(), c.teacher)
            << c.name;
    }
}

TEST(LevelBoard, TheDataChangePanelNeedsTheConfiguredPassword) {
    BoardRig b(7, QStringLiteral("田中先生"));
    b.state.common.DataChangePassword = QStringLiteral("Kyou1");
    LevelBoard* board = b.open();
    auto* panel = b.find<QWidget>(board, QStringLiteral("Picture7"));
    auto* password = b.find<QLineEdit>(board, QStringLiteral("Text3"));
    EXPECT_TRUE(panel->isHidden());
    b.find<QPushButton>(board, QStringLiteral("Command8"))->click();
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);

    password->setText(QStringLiteral("kyou1"));
    b.find<QPushButton>(board, QStringLiteral("Command10_0"))->click();
    ASSERT_EQ(b.rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(b.rig.dialogs.shown[0].text, QStringLiteral("パスワードを入力して下さい"));
    EXPECT_TRUE(b.rig.navigator.calls.empty());

    b.find<QPushButton>(board, QStringLiteral("Command12"))->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(password->text().isEmpty());

    b.find<QPushButton>(board, QStringLiteral("Command8"))->click();
    password->setText(QStringLiteral("Kyou1"));
    b.find<QPushButton>(board, QStringLiteral("Command10_1"))->click();
    EXPECT_EQ(b.rig.navigator.calls, (std::vector<QString>{QStringLiteral("showCriteriaEditor"),
                                                           QStringLiteral("closeBoard")}));
    EXPECT_TRUE(password->text().isEmpty());

    BoardRig r(7, QStringLiteral("田中先生"));
    r.state.common.DataChangePassword = QStringLiteral("Kyou1");
    LevelBoard* other = r.open();
    r.find<QPushButton>(other, QStringLiteral("Command8"))->click();
    r.find<QLineEdit>(other, QStringLiteral("Text3"))->setText(QStringLiteral("Kyou1"));
    r.find<QPushButton>(other, QStringLiteral("Command10_0"))->click();
    EXPECT_EQ(r.rig.navigator.calls, (std::vector<QString>{QStringLiteral("showRecordsBrowser"),
                                                           QStringLiteral("closeBoard")}));

    r.rig.navigator.calls.clear();
    r.find<QPushButton>(other, QStringLiteral("Command8"))->click();
    r.find<QLineEdit>(other, QStringLiteral("Text3"))->setText(QStringLiteral("Kyou1"));
    auto* worksheets = r.find<QPushButton>(other, QStringLiteral("Command10_2"));
    EXPECT_EQ(worksheets->text(), QStringLiteral("プリント作成"));
    worksheets->click();
    EXPECT_EQ(r.rig.navigator.calls, (std::vector<QString>{QStringLiteral("showWorksheets"),
                                                           QStringLiteral("closeBoard")}));
}

// A message of the program (here the wrong password's) takes the activation;
// when the board is the active window again it refreshes as on opening.
TEST(LevelBoard, ComingBackFromAMessageRefreshesTheBoard) {
    BoardRig b(7, QStringLiteral("田中先生"));
    MessageBoxDialogs messages(&b.host);
    b.state.platform.dialogs = &messages;
    b.state.common.DataChangePassword = QStringLiteral("Kyou1");
    b.host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&b.host));
    LevelBoard* board = b.open();
    ASSERT_EQ(b.text(board, QStringLiteral("Label14_1")), QStringLiteral("-----"));
    b.addRun(1, 1, 60); // another machine's run, say

    b.find<QPushButton>(board, QStringLiteral("Command8"))->click();
    b.find<QLineEdit>(board, QStringLiteral("Text3"))->setText(QStringLiteral("wrong"));
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    b.find<QPushButton>(board, QStringLiteral("Command10_0"))->click();
    ASSERT_EQ(shown, QStringLiteral("パスワードを入力して下さい"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label14_1")), QStringLiteral("-----"))
        << "refreshed too early";
    // The window manager gives the activation back to the window under the message.
    b.host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&b.host));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return b.text(board, QStringLiteral("Label14_1")) == QStringLiteral("1回/5点"); },
        2000));
    EXPECT_EQ(b.text(board, QStringLiteral("Label18")), QStringLiteral("本日総回数＝1回"));
    EXPECT_TRUE(board->boardReady());
}

TEST(LevelBoard, WithoutAConfiguredPasswordTheTeacherScreensStayClosed) {
    BoardRig b(7, QStringLiteral("田中先生"));
    LevelBoard* board = b.open();
    b.find<QPushButton>(board, QStringLiteral("Command8"))->click();
    for (const char* button : {"Command10_0", "Command10_1", "Command10_2"})
        b.find<QPushButton>(board, QString::fromLatin1(button))->click();
    EXPECT_TRUE(b.rig.navigator.calls.empty());
    ASSERT_EQ(b.rig.dialogs.shown.size(), 3u);
    EXPECT_TRUE(b.rig.dialogs.shown[0].text.contains(QStringLiteral("共通データ.txt")));
}

TEST(LevelBoard, OpensOnThePointsRankingAndSwitchesViews) {
    BoardRig b(7);
    b.addRun(2, 1, 30); // 佐藤: 11 points today
    b.addRun(1, 1, 60); // 山田: 5 points today
    b.addRun(1, 1, 45, 2);
    LevelBoard* board = b.open();
    EXPECT_EQ(board->displayMode(), 2);
    EXPECT_TRUE(b.find<QRadioButton>(board, QStringLiteral("Option2_1"))->isChecked());
    EXPECT_TRUE(b.find<QRadioButton>(board, QStringLiteral("Option1_1"))->isChecked());
    EXPECT_EQ(b.find<QRadioButton>(board, QStringLiteral("Option1_1"))->text(),
              QStringLiteral("累計順"));
    EXPECT_EQ(b.find<QRadioButton>(board, QStringLiteral("Option1_2"))->text(),
              QStringLiteral("本日順"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label5")),
              QStringLiteral("獲得ポイント（今まで順位）"));
    auto* list1 = b.find<QListView>(board, QStringLiteral("List5_1"));
    ASSERT_EQ(RowCount(list1), 2);
    EXPECT_TRUE(RowText(list1, 0).contains(QStringLiteral("佐藤")));
    EXPECT_TRUE(RowText(list1, 1).startsWith(QStringLiteral(" 2●山田")));
    EXPECT_FALSE(list1->isHidden());
    EXPECT_TRUE(b.find<QWidget>(board, QStringLiteral("Picture2"))->isHidden());
    EXPECT_TRUE(b.find<QWidget>(board, QStringLiteral("Picture6"))->isHidden());

    // Time display: best times, then today's runs coloured by the student's times.
    b.find<QRadioButton>(board, QStringLiteral("Option2_0"))->click();
    EXPECT_EQ(board->displayMode(), 1);
    EXPECT_EQ(b.find<QRadioButton>(board, QStringLiteral("Option1_1"))->text(),
              QStringLiteral("BEST表示"));
    EXPECT_EQ(b.find<QRadioButton>(board, QStringLiteral("Option1_2"))->text(),
              QStringLiteral("本日のみ"));
    EXPECT_EQ(b.text(board, QStringLiteral("Label5")), QStringLiteral("ベスト成績"));
    ASSERT_EQ(RowCount(list1), 2);
    EXPECT_TRUE(RowText(list1, 0).contains(QStringLiteral("佐藤")));
    EXPECT_TRUE(RowText(b.find<QListView>(board, QStringLiteral("List5_2")), 0)
                    .startsWith(QStringLiteral("--")));

    b.find<QRadioButton>(board, QStringLiteral("Option1_2"))->click();
    EXPECT_EQ(b.text(board, QStringLiteral("Label5")), QStringLiteral("本日の成績"));
    EXPECT_EQ(RowCount(list1), 2);
    EXPECT_EQ(RowCount(b.find<QListView>(board, QStringLiteral("List5_2"))), 0);
    EXPECT_TRUE(list1->styleSheet().contains(QColor(0, 192, 0).name()))
        << list1->styleSheet().toStdString();
    EXPECT_TRUE(b.find<QPushButton>(board, QStringLiteral("Command1"))->isEnabled());
    EXPECT_TRUE(b.find<QPushButton>(board, QStringLiteral("Command4_1"))->isEnabled());

    // The period view offers its periods; a week back from a Wednesday holds the run of Monday.
    b.find<QRadioButton>(board, QStringLiteral("Option1_3"))->click();
    auto* periods = b.find<QComboBox>(board, QStringLiteral("Combo2"));
    EXPECT_FALSE(periods->isHidden());
    EXPECT_EQ(RowCount(list1), 3);
    periods->setCurrentIndex(0);
    emit periods->activated(0);
    EXPECT_EQ(b.state.board.ResultsPeriod, 1);
    EXPECT_EQ(b.state.board.PeriodDays, 3);
    EXPECT_EQ(RowCount(list1), 3);

    // Personal times: the student's own runs and the graph button.
    b.find<QRadioButton>(board, QStringLiteral("Option2_2"))->click();
    EXPECT_EQ(b.text(board, QStringLiteral("Label5")), QStringLiteral("個人別ﾀｲﾑ"));
    EXPECT_FALSE(b.find<QPushButton>(board, QStringLiteral("Command17"))->isHidden());
    EXPECT_TRUE(periods->isHidden());
    EXPECT_EQ(RowCount(list1), 2);

    // Back to points: the captions of the points display and the hidden graph button.
    b.find<QRadioButton>(board, QStringLiteral("Option2_1"))->click();
    EXPECT_EQ(b.find<QRadioButton>(board, QStringLiteral("Option1_1"))->text(),
              QStringLiteral("合計累計"));
    EXPECT_EQ(b.find<QRadioButton>(board, QStringLiteral("Option1_3"))->text(),
              QStringLiteral("すべて"));
    EXPECT_TRUE(b.find<QPushButton>(board, QStringLiteral("Command17"))->isHidden());
}

TEST(LevelBoard, TheOwnLineOfALongRankingIsCentredInItsList) {
    BoardRig b(4);
    // 300 students without points keep the roster order; the student at the board is the 151st.
    RosterTables& r = b.state.roster;
    r.RosterCount = 300;
    for (int row = 1; row <= 300; ++row) {
        const int id = row == 151 ? 1 : row + 1;
        r.RosterId[row] = int16_t(id);
        if (id != 1) {
            r.RosterName[id] = QStringLiteral("生徒%1").arg(id).leftJustified(20, u' ');
            r.RosterBirthYear[id] = 2014;
        }
    }
    LevelBoard* board = b.open();
    for (const QString& name : {QStringLiteral("List5_1"), QStringLiteral("List5_4")}) {
        auto* list = b.find<QListView>(board, name);
        ASSERT_EQ(RowCount(list), 300) << name.toStdString();
        ASSERT_TRUE(RowText(list, 150).startsWith(QStringLiteral(" 1●山田")))
            << RowText(list, 150).toStdString();
        const QRect own = list->visualRect(list->model()->index(150, 0));
        EXPECT_LE(std::abs(own.center().y() - list->viewport()->height() / 2), own.height())
            << name.toStdString();
        EXPECT_FALSE(
            list->visualRect(list->model()->index(0, 0)).intersects(list->viewport()->rect()));
    }
}

TEST(LevelBoard, TheGradeFilterRebuildsTheCurrentDisplay) {
    BoardRig b(7);
    b.addRun(2, 1, 30);
    b.addRun(1, 1, 60);
    LevelBoard* board = b.open();
    auto* filter = b.find<QComboBox>(board, QStringLiteral("Combo1"));
    EXPECT_EQ(filter->currentText(), QStringLiteral("全学年"));
    filter->setCurrentText(QStringLiteral("小５"));
    emit filter->activated(filter->currentIndex());
    auto* list1 = b.find<QListView>(board, QStringLiteral("List5_1"));
    // Only the fifth-grader's line stays, ranked among both students.
    ASSERT_EQ(RowCount(list1), 1);
    EXPECT_TRUE(RowText(list1, 0).startsWith(QStringLiteral(" 2●山田")));
    EXPECT_TRUE(b.find<QRadioButton>(board, QStringLiteral("Option2_1"))->isChecked());
}

TEST(LevelBoard, TheGradeFilterClosesAnOpenReportAsEveryDisplaySwitchDoes) {
    BoardRig b(7);
    b.addRun(1, 1, 60);
    b.state.folders.CommonFolder = b.install.dataRoot();
    b.install.writeText(b.install.dataRoot() + QStringLiteral("新名簿.txt"),
                        QStringLiteral("1,2015,0,0,山田太郎,0,,\n2,2015,0,0,佐藤花子,0,,\n"));
    LevelBoard* board = b.open();
    b.find<QRadioButton>(board, QStringLiteral("Option2_2"))->click();
    b.find<QPushButton>(board, QStringLiteral("Command17"))->click();
    auto* report = b.find<QWidget>(board, QStringLiteral("Picture11"));
    ASSERT_FALSE(report->isHidden());

    auto* filter = b.find<QComboBox>(board, QStringLiteral("Combo1"));
    filter->setCurrentText(QStringLiteral("小５"));
    emit filter->activated(filter->currentIndex());
    EXPECT_TRUE(b.find<QRadioButton>(board, QStringLiteral("Option2_1"))->isChecked());
    EXPECT_TRUE(report->isHidden());
}

TEST(LevelBoard, TheDrillTakesOverAndTheNextBoardCountsTheNewRun) {
    BoardRig b(7);
    AppNavigator navigator(b.host, b.state);
    b.state.platform.navigator = &navigator;
    navigator.showBoard();
    LevelBoard* board = b.host.find<LevelBoard>();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(b.text(board, QStringLiteral("Label14_1")), QStringLiteral("-----"));

    QTest::keyClick(board, '1');
    EXPECT_NE(b.host.find<DrillScreen>(), nullptr);
    EXPECT_EQ(b.host.find<LevelBoard>(), nullptr);
    EXPECT_EQ(b.state.LevelNo, 1);

    // The run the drill records, then the way back from the results screen.
    b.addRun(1, 1, 60);
    navigator.closeDrill();
    navigator.showBoard();
    LevelBoard* next = b.host.find<LevelBoard>();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->boardReady());
    EXPECT_EQ(b.text(next, QStringLiteral("Label14_1")), QStringLiteral("1回/5点"));
    EXPECT_EQ(b.text(next, QStringLiteral("Label18")), QStringLiteral("本日総回数＝1回"));
    b.host.closeAll();
}

} // namespace
