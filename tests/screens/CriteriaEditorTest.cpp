#include "screens/CriteriaEditor.h"

#include "core/Text.h"
#include "records/ResultsFile.h"

#include "TestDoubles.h"

#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kCriteriaText = QStringLiteral("古い見出し,,,,,,,,,,,\n"
                                             "60,120,100,5,1.5,20,2000,7,1,,,\n"
                                             "70,140,100,5,1,20,2000,7,1,,,\n"
                                             ",130,100,5,1,20,2000,7,1,,,\n"
                                             "80,160,120,6,1.2,25,2500,7,1,,,\n"
                                             "90,180,120,6,1.2,25,2500,7,1,,,\n"
                                             "100,200,150,8,2,30,3000,14,2,,,\n"
                                             "110,220,150,8,2,30,3000,14,2,,,\n");

QByteArray RunBytes(int student, int level, int result) {
    ResultRecord r;
    r.date = 46365;
    r.timeOfDay = 0.5;
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return EncodeRecord(r);
}

class CriteriaEditorTest : public ::testing::Test {
  protected:
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;
    QString criteriaPath = install.dataFolder() + QStringLiteral("タイム回数データ.txt");
    ScreenHost host;
    CriteriaEditor* screen = nullptr;

    void SetUp() override {
        state.folders.DataFolder = install.dataFolder();
        install.writeText(criteriaPath, kCriteriaText);
        install.writeBytes(install.dataFolder() + kResultsFileName,
                           RunBytes(1, 2, 45) + RunBytes(1, 2, 47) + RunBytes(1, 2, 130) +
                               RunBytes(2, 2, 52) + RunBytes(3, 1, 61));
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        screen = host.open<CriteriaEditor>(state);
    }

    template <typename T> T* control(const char* name) const {
        T* widget = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* box() const { return control<QLineEdit>("Gridinputtext"); }
    QTableWidget* table() const { return control<QTableWidget>("MSFlexGrid1"); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(box(), k, modifiers);
    }
    void type(const QString& text) { QTest::keyClicks(box(), text); }
    void click(const char* button) {
        QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton);
    }
    // Grid cell (row 1..N, column 1..12); row 0 and column 0 are the headers.
    QTableWidgetItem* item(int row, int column) const { return table()->item(row - 1, column - 1); }
    void clickCell(int row, int column) {
        QTableWidget* grid = table();
        QHeaderView* captions = grid->horizontalHeader();
        QHeaderView* levels = grid->verticalHeader();
        if (row == 0)
            QTest::mouseClick(
                captions->viewport(), Qt::LeftButton, {},
                QPoint(captions->sectionViewportPosition(column - 1) + 5, captions->height() / 2));
        else if (column == 0)
            QTest::mouseClick(
                levels->viewport(), Qt::LeftButton, {},
                QPoint(levels->width() / 2, levels->sectionViewportPosition(row - 1) + 5));
        else
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualItemRect(item(row, column)).center());
    }
    void moveTo(int row, int column) {
        for (int r = 1; r < row; ++r)
            key(Qt::Key_Down);
        for (int c = 1; c < column; ++c)
            key(Qt::Key_Right);
    }
    QString shownCell(int row, int column) const {
        if (row == 0 && column == 0) return control<QLabel>("MSFlexGrid1Corner")->text();
        if (row == 0) return table()->horizontalHeaderItem(column - 1)->text();
        if (column == 0) return table()->verticalHeaderItem(row - 1)->text();
        return item(row, column)->text();
    }
    bool yellow(int row, int column) const {
        return item(row, column)->background().color() == QColor(255, 255, 0);
    }
    QString fileText() const { return ReadCp932File(criteriaPath); }
    QString list3Row(int row) const { return control<QListWidget>("List3")->item(row)->text(); }
};

TEST_F(CriteriaEditorTest, OpensOnLevelOneWithTheBoxOverTheCellAndItsDistribution) {
    ASSERT_EQ(table()->rowCount(), 7);
    ASSERT_EQ(table()->columnCount(), 12);
    EXPECT_EQ(shownCell(0, 0), QStringLiteral("レベル"));
    EXPECT_EQ(shownCell(0, 9), QStringLiteral("禁期間"));
    EXPECT_EQ(shownCell(7, 0), QStringLiteral("7"));
    EXPECT_EQ(box()->text(), QStringLiteral("60"));
    EXPECT_TRUE(box()->hasFocus());
    const QRect cell = table()->visualItemRect(item(1, 1));
    EXPECT_EQ(box()->geometry(),
              QRect(table()->viewport()->mapTo(screen, cell.topLeft()), cell.size()));
    EXPECT_EQ(control<QLabel>("Label3")->text(), CriteriaGrid::Explanation(1));
    EXPECT_EQ(
        control<QLabel>("Label2")->text(),
        QStringLiteral("成績の基準となるデータを変更できます。\nプログラムを選んでください。"));
    EXPECT_EQ(list3Row(0), QStringLiteral("レベル1 今まで1回  （★=1）"));
    EXPECT_EQ(list3Row(7), QStringLiteral("  60～★"));
}

TEST_F(CriteriaEditorTest, ArrowsStopAtTheLastLevelAndColumnAndEscDoesNothing) {
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Down);
    for (int i = 0; i < 15; ++i)
        key(Qt::Key_Right);
    EXPECT_EQ(screen->grid().row(), 7);
    EXPECT_EQ(screen->grid().column(), 12);
    EXPECT_EQ(list3Row(0), QStringLiteral("レベル7 今まで0回  （★=1）"));
    const QRect cell = table()->visualItemRect(item(7, 12));
    EXPECT_EQ(box()->geometry().topLeft(), table()->viewport()->mapTo(screen, cell.topLeft()));
    EXPECT_EQ(control<QLabel>("Label3")->text(), QString());

    key(Qt::Key_Up);
    key(Qt::Key_Left);
    key(Qt::Key_Escape);
    EXPECT_EQ(screen->grid().row(), 6);
    EXPECT_EQ(screen->grid().column(), 11);
    EXPECT_EQ(control<QLabel>("Label3")->text(), QString());
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(control<QLabel>("Label3")->text(), CriteriaGrid::Explanation(9));
}

TEST_F(CriteriaEditorTest, TypingNineAndZeroIntoAnEmptyCellMarksItYellow) {
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    ASSERT_EQ(box()->text(), QString());
    EXPECT_FALSE(yellow(3, 1));
    type(QStringLiteral("90"));
    EXPECT_EQ(screen->grid().cell(3, 1), QStringLiteral("90"));
    EXPECT_EQ(shownCell(3, 1), QStringLiteral("90"));
    EXPECT_TRUE(yellow(3, 1));
    EXPECT_FALSE(yellow(2, 1));
    EXPECT_TRUE(screen->grid().changed());
    EXPECT_TRUE(control<QLabel>("Label3")->text().startsWith(QStringLiteral("合格基準タイム\r\n")));

    // The caret stands at the end, so a digit typed into a full cell is appended.
    key(Qt::Key_Up);
    type(QStringLiteral("5"));
    EXPECT_EQ(screen->grid().cell(2, 1), QStringLiteral("705"));
}

TEST_F(CriteriaEditorTest, TypingGoesInAfterTheTenthCharacterOfALongValue) {
    clickCell(1, 10);
    type(QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(screen->grid().cell(1, 10), QStringLiteral("abcdefghijlk"));
    key(Qt::Key_Backspace);
    EXPECT_EQ(screen->grid().cell(1, 10), QStringLiteral("abcdefghilk"));
}

TEST_F(CriteriaEditorTest, SpaceEmptiesTheCell) {
    key(Qt::Key_Right);
    key(Qt::Key_Space);
    EXPECT_EQ(box()->text(), QString());
    EXPECT_EQ(screen->grid().cell(1, 2), QString());
    EXPECT_EQ(shownCell(1, 2), QString());
    EXPECT_TRUE(yellow(1, 2));
}

TEST_F(CriteriaEditorTest, ShiftDownThreeTimesCopiesIntoFourRowsAndLeavingAsks) {
    moveTo(2, 2);
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Down, Qt::ShiftModifier);
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(shownCell(r, 2), QStringLiteral("140")) << r;
        // Row 2 is the copy's source and keeps its text.
        EXPECT_EQ(yellow(r, 2), r > 2) << r;
    }
    EXPECT_EQ(shownCell(6, 2), QStringLiteral("200"));
    EXPECT_EQ(screen->grid().row(), 2);

    rig.dialogs.answers = {false};
    const QString before = fileText();
    click("Command4");
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].title, QStringLiteral("注意"));
    EXPECT_EQ(rig.dialogs.shown[0].text,
              QStringLiteral("データが変更されています。記録しますか？"));
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(rig.navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(host.find<CriteriaEditor>(), nullptr);
}

TEST_F(CriteriaEditorTest, SavingWritesTheCaptionsAndTheRunningProgramTakesTheValues) {
    moveTo(3, 1);
    type(QStringLiteral("75"));
    key(Qt::Key_Right);
    key(Qt::Key_Space);
    type(QStringLiteral("150"));
    click("Command3");
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_EQ(
        fileText(),
        QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
                       "60,120,100,5,1.5,20,2000,7,1,,,\r\n"
                       "70,140,100,5,1,20,2000,7,1,,,\r\n"
                       "75,150,100,5,1,20,2000,7,1,,,\r\n"
                       "80,160,120,6,1.2,25,2500,7,1,,,\r\n"
                       "90,180,120,6,1.2,25,2500,7,1,,,\r\n"
                       "100,200,150,8,2,30,3000,14,2,,,\r\n"
                       "110,220,150,8,2,30,3000,14,2,,,\r\n"));
    EXPECT_EQ(state.criteria.TargetTime[3], 75);
    EXPECT_EQ(state.criteria.LowestTime[3], 150);
    EXPECT_EQ(state.criteria.TargetTime[7], 110);
    EXPECT_FLOAT_EQ(state.criteria.PointRate[4], 1.2f);
    EXPECT_EQ(state.criteria.PassDays[6].number, 14);
    EXPECT_FALSE(screen->grid().changed());
    EXPECT_FALSE(yellow(3, 1));
    EXPECT_TRUE(box()->hasFocus());

    // Nothing changed since: leaving asks nothing.
    click("Command4");
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_EQ(rig.navigator.count(QStringLiteral("showBoard")), 1);
}

TEST_F(CriteriaEditorTest, RefusesABadCellAndPutsTheCursorOnIt) {
    moveTo(4, 2);
    type(QStringLiteral("abc"));
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    const QString before = fileText();
    click("Command3");
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(
        rig.dialogs.shown[0].text.contains(QStringLiteral("レベル4 の 2 列目（最低Time）")));
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(screen->grid().row(), 4);
    EXPECT_EQ(screen->grid().column(), 2);
    EXPECT_EQ(box()->text(), QStringLiteral("160abc"));
    EXPECT_TRUE(screen->grid().changed());

    // Leaving with Yes meets the same refusal and stays in the editor.
    rig.dialogs.answers = {true};
    click("Command4");
    EXPECT_EQ(rig.dialogs.shown.size(), 3u);
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(rig.navigator.count(QStringLiteral("showBoard")), 0);
    EXPECT_NE(host.find<CriteriaEditor>(), nullptr);
}

TEST_F(CriteriaEditorTest, LeavingWithYesSavesTheTyping) {
    type(QStringLiteral("1"));
    rig.dialogs.answers = {true};
    click("Command4");
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(fileText().contains(QStringLiteral("\r\n601,120,")));
    EXPECT_EQ(state.criteria.TargetTime[1], 601);
    EXPECT_EQ(rig.navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(host.find<CriteriaEditor>(), nullptr);
}

TEST_F(CriteriaEditorTest, UndoReloadsTheFileAndClearsTheMark) {
    type(QStringLiteral("9"));
    ASSERT_TRUE(yellow(1, 1));
    click("Command2");
    EXPECT_EQ(shownCell(1, 1), QStringLiteral("60"));
    EXPECT_EQ(box()->text(), QStringLiteral("60"));
    EXPECT_FALSE(yellow(1, 1));
    EXPECT_FALSE(screen->grid().changed());
}

TEST_F(CriteriaEditorTest, ClickingACellMovesTheBoxAndTheDistribution) {
    clickCell(2, 5);
    EXPECT_EQ(screen->grid().row(), 2);
    EXPECT_EQ(screen->grid().column(), 5);
    EXPECT_EQ(box()->text(), QStringLiteral("1"));
    EXPECT_EQ(control<QLabel>("Label3")->text(), CriteriaGrid::Explanation(5));
    EXPECT_EQ(list3Row(0), QStringLiteral("レベル2 今まで4回  （★=1）"));
    EXPECT_EQ(list3Row(5), QStringLiteral("  40～★★"));
    EXPECT_EQ(list3Row(14), QStringLiteral(" 130～★"));
    auto* list4 = control<QListWidget>("List4");
    EXPECT_EQ(list4->item(0)->text(), QStringLiteral("レベル2 （★=1）"));
    EXPECT_EQ(list4->item(5)->text(), QStringLiteral("  40～★"));
    EXPECT_EQ(list4->item(6)->text(), QStringLiteral("  50～★"));
    EXPECT_EQ(list4->item(14)->text(), QStringLiteral(" 130～"));

    // The captions and level numbers are not cells to edit.
    clickCell(0, 3);
    clickCell(4, 0);
    EXPECT_EQ(screen->grid().row(), 2);
    EXPECT_EQ(screen->grid().column(), 5);
}

TEST_F(CriteriaEditorTest, TheOptionsHideAndShowTheDistribution) {
    auto* panel = control<QWidget>("Picture3");
    EXPECT_TRUE(panel->isVisible());
    click("Option1_0");
    EXPECT_FALSE(panel->isVisible());
    click("Option1_1");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(list3Row(0), QStringLiteral("レベル1 今まで1回  （★=1）"));
}

// A classroom with every level 1..35 in its criteria file.
TEST_F(CriteriaEditorTest, TheCaptionsStayAndTheWholeWidthShowsOnLevelThirtyFive) {
    host.close<CriteriaEditor>();
    QString text = QStringLiteral("見出し,,,,,,,,,,,\n");
    for (int level = 1; level <= 35; ++level)
        text += QStringLiteral("%1,%2,100,5,1,20,2000,7,1,7,8,9\n").arg(level * 10).arg(level * 20);
    install.writeText(criteriaPath, text);
    screen = host.open<CriteriaEditor>(state);
    ASSERT_EQ(table()->rowCount(), 35);
    for (int i = 1; i < 35; ++i)
        key(Qt::Key_Down);
    for (int i = 1; i < 12; ++i)
        key(Qt::Key_Right);
    ASSERT_EQ(screen->grid().row(), 35);
    EXPECT_EQ(box()->text(), QStringLiteral("9"));

    QTableWidget* grid = table();
    const QRect viewport = grid->viewport()->geometry();
    // The caption row sits above the scrolled levels, and level 35 is in view.
    EXPECT_TRUE(grid->horizontalHeader()->isVisible());
    EXPECT_EQ(grid->horizontalHeader()->geometry().bottom() + 1, viewport.top());
    EXPECT_EQ(shownCell(0, 1), QStringLiteral("目標Time"));
    EXPECT_EQ(shownCell(0, 0), QStringLiteral("レベル"));
    EXPECT_TRUE(control<QLabel>("MSFlexGrid1Corner")->isVisible());
    EXPECT_GT(grid->verticalScrollBar()->value(), 0);
    const QRect last = grid->visualItemRect(item(35, 12));
    EXPECT_TRUE(grid->viewport()->rect().contains(last)) << "level 35 is not in view";
    EXPECT_EQ(shownCell(35, 0), QStringLiteral("35"));
    // Every column shows whole, and the scroll bar stands beside the last one.
    int columns = 0;
    for (int c = 0; c < grid->columnCount(); ++c)
        columns += grid->columnWidth(c);
    EXPECT_GE(viewport.width(), columns);
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    EXPECT_GT(grid->verticalScrollBar()->mapTo(grid, QPoint(0, 0)).x(), viewport.right());
    // Nor does the grid run under the distribution panel beside it.
    EXPECT_LT(grid->geometry().right(), control<QWidget>("Picture3")->geometry().left());
    if (const QByteArray folder = qgetenv("DRILL_SCREENSHOTS"); !folder.isEmpty()) {
        QTest::qWait(200);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QString::fromLocal8Bit(folder) + QStringLiteral("/criteria-editor-level35.png"));
    }
}

TEST_F(CriteriaEditorTest, AMissingCriteriaFileEndsTheProgramWithAMessage) {
    host.close<CriteriaEditor>();
    QFile::remove(criteriaPath);
    host.open<CriteriaEditor>(state);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(QStringLiteral("タイム回数データ.txt")));
    EXPECT_EQ(rig.navigator.count(QStringLiteral("endProgram")), 1);
}

} // namespace
