#include "screens/RecordsBrowser.h"

#include "core/Dates.h"
#include "records/RecordMaintenance.h"
#include "records/ResultsFile.h"
#include "rules/RecordRows.h"

#include "TestDoubles.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kOwnCode = QStringLiteral("K0001");

ResultRecord Drill(int student, int level, int result, const QString& code = kOwnCode) {
    ResultRecord r;
    r.date = ToOleDay(QDate(2026, 12, 1));
    r.timeOfDay = ToOleTimeOfDay(QTime(9, 5, 3));
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    r.classroomCode = code;
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return r;
}

class RecordsBrowserTest : public ::testing::Test {
  protected:
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;
    QString path = install.dataFolder() + kResultsFileName;
    std::unique_ptr<RecordsBrowser> screen;

    void SetUp() override {
        state.folders.CommonFolder = install.dataRoot();
        state.folders.DataFolder = install.dataFolder();
        state.common.ClassroomCode = kOwnCode;
        state.common.ClassroomName = QStringLiteral("本町教室");
        // School year 2026: born 2015 is 小５, 2012 中２, 2010 高１.
        install.writeText(install.dataRoot() + QStringLiteral("新名簿.txt"),
                          QStringLiteral("12,2015,0,0,山田太郎,0,,\n"
                                         "7,2012,0,0,佐藤花子さんの長い名前,1,,\n"
                                         "30,2010,0,0,鈴木一郎,0,,\n"));
    }

    void writeRuns(const std::vector<ResultRecord>& runs, const QByteArray& tail = {}) {
        QByteArray bytes;
        for (const ResultRecord& r : runs)
            bytes += EncodeRecord(r);
        install.writeBytes(path, bytes + tail);
    }
    QByteArray fileBytes() const {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    std::vector<ResultRecord> fileRuns() const {
        const QByteArray bytes = fileBytes();
        std::vector<ResultRecord> runs;
        for (qint64 i = 0; i + kRecordSize <= bytes.size(); i += kRecordSize)
            runs.push_back(DecodeRecord(bytes.constData() + i));
        return runs;
    }

    void open() {
        screen = std::make_unique<RecordsBrowser>(state, nullptr);
        screen->resize(kWindowWidth, kWindowHeight);
        screen->load();
    }
    template <typename T> T* control(const char* name) const {
        T* widget = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QListView* list() const { return control<QListView>("List1"); }
    int rows() const { return screen->model()->rowCount(); }
    QString row(int r) const { return screen->model()->index(r).data().toString(); }
    int currentRow() const { return list()->currentIndex().row(); }
    bool panelShown() const { return control<QWidget>("Picture3")->isVisible(); }

    // What a mouse sends: press, release, double-click, release.
    void doubleClickRow(int r) {
        QListView* view = list();
        const QModelIndex index = screen->model()->index(r);
        view->scrollTo(index);
        const QPoint at = view->visualRect(index).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
    }
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    void chooseStudent(int id) {
        QComboBox* combo = control<QComboBox>("Combo1");
        const int entry = combo->findData(id);
        ASSERT_GE(entry, 0) << id;
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
    }
    void typeResult(const QString& text) { control<QLineEdit>("Text1_1")->setText(text); }
    size_t messagesShown() const { return rig.dialogs.shown.size(); }
};

TEST_F(RecordsBrowserTest, ThreeRecordsAreListedInFileOrderWithTheirCount) {
    writeRuns({Drill(12, 2, 57), Drill(30, 1, 99999), Drill(7, 3, 8)});
    open();

    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(row(0),
              QStringLiteral(
                  "   1 2026/12/01　  9:05:03ﾚﾍﾞﾙ2　   57秒 　  12 山田太郎　　 小５++本町教室"));
    EXPECT_TRUE(row(1).startsWith(QStringLiteral("   2 ")));
    EXPECT_TRUE(row(1).contains(QStringLiteral("99999秒 　  30 鈴木一郎　　 高１++")));
    EXPECT_TRUE(row(2).startsWith(QStringLiteral("   3 ")));
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("総レコード数:3"));
    EXPECT_FALSE(panelShown());
    EXPECT_FALSE(control<QPushButton>("Command2")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Command3")->isEnabled());
}

TEST_F(RecordsBrowserTest, RowsShowOtherClassroomsLongNamesAndStudentsOutsideTheRoster) {
    writeRuns(
        {Drill(7, 1, 40, QStringLiteral("Z9999")), Drill(4999, 1, 41), Drill(12, 1, 42, QString())},
        QByteArray("\x01\x02", 2));
    open();

    ASSERT_EQ(rows(), 3);
    EXPECT_TRUE(row(0).endsWith(QStringLiteral("   7 佐藤花子さん 中２++他塾")))
        << row(0).toStdString();
    EXPECT_TRUE(row(1).endsWith(QStringLiteral("4999 　　　　　 ++本町教室")))
        << row(1).toStdString();
    EXPECT_TRUE(row(2).endsWith(QStringLiteral("++他塾"))) << row(2).toStdString();
    // A torn record at the end shows in the count as a fraction.
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("総レコード数:3.04545454545455"));
}

TEST_F(RecordsBrowserTest, AnEmptyOrAbsentFileListsNothing) {
    open();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("総レコード数:0"));
}

TEST_F(RecordsBrowserTest, RecordNumbersPast9999AreShownWhole) {
    std::vector<ResultRecord> runs(10000, Drill(12, 1, 30));
    writeRuns(runs);
    open();
    ASSERT_EQ(rows(), 10000);
    EXPECT_TRUE(row(0).startsWith(QStringLiteral("    1 ")));
    EXPECT_TRUE(row(9999).startsWith(QStringLiteral("10000 ")));
}

TEST_F(RecordsBrowserTest, TheComboListsEveryRosterLineAndTheGradeFollowsTheChoice) {
    writeRuns({Drill(12, 2, 57)});
    open();
    doubleClickRow(0);

    ASSERT_TRUE(panelShown());
    QComboBox* combo = control<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(1), QStringLiteral("7 /  佐藤花子さんの長い名前"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("12 /  山田太郎"));
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("1"));
    EXPECT_EQ(control<QLabel>("Label2_1")->text(), QStringLiteral("ﾚﾍﾞﾙ2"));
    EXPECT_EQ(control<QLabel>("Label2_2")->text(), QStringLiteral("2026/12/01"));
    EXPECT_EQ(control<QLabel>("Label2_4")->text(), QStringLiteral("小５"));
    EXPECT_EQ(control<QLineEdit>("Text1_1")->text(), QStringLiteral("57"));
    EXPECT_TRUE(control<QPushButton>("Command2")->isEnabled());
    chooseStudent(30);
    EXPECT_EQ(control<QLabel>("Label2_4")->text(), QStringLiteral("高１"));
    // The ID typed with the Japanese input method on.
    for (const QChar digit : QStringLiteral("１２")) {
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(digit));
        QCoreApplication::sendEvent(combo, &typed);
    }
    EXPECT_EQ(combo->currentText(), QStringLiteral("12 /  山田太郎"));
    EXPECT_EQ(control<QLabel>("Label2_4")->text(), QStringLiteral("小５"));

    click("Command6"); // no action
    EXPECT_TRUE(panelShown());
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualRect(screen->model()->index(0)).center());
    EXPECT_FALSE(panelShown());
}

TEST_F(RecordsBrowserTest, DeletingRowTwoOfThreeSelectsTheRecordThatFollowed) {
    writeRuns({Drill(12, 1, 10), Drill(12, 1, 20), Drill(12, 1, 30)});
    open();
    doubleClickRow(1);
    rig.dialogs.answers = {false, true};

    click("Command3"); // cancelled
    EXPECT_EQ(fileRuns().size(), 3u);
    click("Command3");

    EXPECT_EQ(rig.dialogs.shown.back().title, QStringLiteral("注意"));
    EXPECT_EQ(rig.dialogs.shown.back().text, QStringLiteral("本当に消去しますか"));
    EXPECT_EQ(fileRuns(), (std::vector<ResultRecord>{Drill(12, 1, 10), Drill(12, 1, 30)}));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("総レコード数:2"));
    EXPECT_FALSE(panelShown());
    EXPECT_FALSE(QFileInfo::exists(ResultsCopyPath(install.dataFolder())));
}

TEST_F(RecordsBrowserTest, DeletingTheLastRowSelectsTheNewLastRow) {
    writeRuns({Drill(12, 1, 10), Drill(12, 1, 20), Drill(12, 1, 30)});
    open();
    doubleClickRow(2);
    click("Command3");

    EXPECT_EQ(fileRuns(), (std::vector<ResultRecord>{Drill(12, 1, 10), Drill(12, 1, 20)}));
    EXPECT_EQ(currentRow(), 1);
}

TEST_F(RecordsBrowserTest, ChangingRecordFivesStudentRewritesOnlyItsBytes) {
    writeRuns({Drill(30, 1, 11), Drill(30, 1, 12), Drill(30, 1, 13), Drill(30, 1, 14),
               Drill(7, 2, 15, QStringLiteral("Z9999")), Drill(30, 1, 16)});
    const QByteArray before = fileBytes();
    open();
    doubleClickRow(4);
    chooseStudent(12);
    click("Command2");

    const QByteArray after = fileBytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(176), before.left(176));
    EXPECT_EQ(after.mid(220), before.mid(220));
    ResultRecord expected = Drill(7, 2, 15, QStringLiteral("Z9999"));
    expected.student = 12;
    EXPECT_EQ(DecodeRecord(after.constData() + 176), expected);
    EXPECT_EQ(currentRow(), 4);
    EXPECT_TRUE(row(4).contains(QStringLiteral("  12 山田太郎"))) << row(4).toStdString();
    EXPECT_EQ(messagesShown(), 0u);

    // The panel now holds the saved record, so a second change goes through too.
    typeResult(QStringLiteral("21"));
    click("Command2");
    expected.result = 21;
    EXPECT_EQ(fileRuns()[4], expected);
}

TEST_F(RecordsBrowserTest, ALevelZeroRecordIsKeptButNotListedAndRowsActOnTheirOwnRecords) {
    writeRuns({Drill(12, 1, 10), Drill(12, 0, 20), Drill(12, 1, 30), Drill(12, 1, 40)});
    open();
    ASSERT_EQ(rows(), 3);
    EXPECT_TRUE(row(1).startsWith(QStringLiteral("   3 ")));

    doubleClickRow(1);
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("3"));
    typeResult(QStringLiteral("33"));
    click("Command2");
    EXPECT_EQ(fileRuns()[2], Drill(12, 1, 33));
    EXPECT_EQ(currentRow(), 1);

    doubleClickRow(1);
    click("Command3");
    EXPECT_EQ(fileRuns(),
              (std::vector<ResultRecord>{Drill(12, 1, 10), Drill(12, 0, 20), Drill(12, 1, 40)}));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(currentRow(), 1); // record 4, now number 3
    EXPECT_TRUE(row(1).startsWith(QStringLiteral("   3 ")));
}

TEST_F(RecordsBrowserTest, DeletingTheLastListedRowBeforeALevelZeroRecordSelectsTheLastRow) {
    writeRuns({Drill(12, 1, 10), Drill(12, 1, 20), Drill(12, 0, 30)});
    open();
    doubleClickRow(1);
    click("Command3");
    EXPECT_EQ(fileRuns(), (std::vector<ResultRecord>{Drill(12, 1, 10), Drill(12, 0, 30)}));
    EXPECT_EQ(currentRow(), 0);
}

TEST_F(RecordsBrowserTest, ResultsThatAreNotNumbersFrom0To99999AreRefusedAndDecimalsRounded) {
    writeRuns({Drill(12, 1, 57)});
    const QByteArray before = fileBytes();
    open();
    doubleClickRow(0);
    for (const char* text : {"", "abc", "-3", "1,5", "100000", "12秒"}) {
        const size_t shown = messagesShown();
        typeResult(QString::fromUtf8(text));
        click("Command2");
        EXPECT_EQ(messagesShown(), shown + 1) << text;
        EXPECT_EQ(fileBytes(), before) << text;
    }
    typeResult(QStringLiteral("0"));
    click("Command2");
    EXPECT_EQ(fileRuns()[0].result, 0);
    doubleClickRow(0);
    typeResult(QStringLiteral("45.6"));
    click("Command2");
    EXPECT_EQ(fileRuns()[0].result, 46);
}

TEST_F(RecordsBrowserTest, TheScrollBarLeavesATimeOutAloneUntilItIsMoved) {
    writeRuns({Drill(12, 1, 99999)});
    open();
    doubleClickRow(0);
    QScrollBar* bar = control<QScrollBar>("VScroll1");
    EXPECT_EQ(control<QLineEdit>("Text1_1")->text(), QStringLiteral("99999"));
    EXPECT_EQ(bar->value(), bar->maximum());

    chooseStudent(30);
    click("Command2");
    EXPECT_EQ(fileRuns()[0].result, 99999);
    EXPECT_EQ(fileRuns()[0].student, 30);

    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(control<QLineEdit>("Text1_1")->text(), QString::number(bar->maximum() - 1));
    bar->setValue(-5);
    EXPECT_EQ(control<QLineEdit>("Text1_1")->text(), QStringLiteral("0"));
}

TEST_F(RecordsBrowserTest, ARecordChangedElsewhereIsNotOverwrittenAndTheListIsRebuilt) {
    writeRuns({Drill(12, 1, 10), Drill(12, 1, 20), Drill(12, 1, 30)});
    open();
    doubleClickRow(1);
    // Another machine's teacher changes record 2 meanwhile.
    writeRuns({Drill(12, 1, 10), Drill(7, 1, 25), Drill(12, 1, 30)});
    typeResult(QStringLiteral("22"));
    click("Command2");

    EXPECT_EQ(fileRuns()[1], Drill(7, 1, 25));
    EXPECT_EQ(messagesShown(), 1u);
    EXPECT_FALSE(panelShown());
    EXPECT_TRUE(row(1).contains(QStringLiteral("   25秒"))) << row(1).toStdString();

    // And deletes record 1, so row 2's record is now number 1.
    doubleClickRow(1);
    writeRuns({Drill(7, 1, 25), Drill(12, 1, 30)});
    click("Command3");
    EXPECT_EQ(fileRuns(), (std::vector<ResultRecord>{Drill(7, 1, 25), Drill(12, 1, 30)}));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(rig.dialogs.shown.back().title, QStringLiteral("注意"));
}

TEST_F(RecordsBrowserTest, AStaleRowIsNotOpenedInThePanel) {
    writeRuns({Drill(12, 1, 10), Drill(12, 1, 20)});
    open();
    writeRuns({Drill(12, 1, 10)});
    doubleClickRow(1);
    EXPECT_FALSE(panelShown());
    EXPECT_EQ(messagesShown(), 1u);
    EXPECT_EQ(rows(), 1);
}

TEST_F(RecordsBrowserTest, BackCoversTheScreenAndShowsTheBoard) {
    open();
    click("Command4");
    EXPECT_EQ(rig.navigator.calls, std::vector<QString>{QStringLiteral("showBoard")});
    EXPECT_TRUE(control<QWidget>("Picture1")->isVisible());
}

TEST_F(RecordsBrowserTest, AMissingRosterEndsTheProgramWithAMessage) {
    QFile::remove(install.dataRoot() + QStringLiteral("新名簿.txt"));
    open();
    EXPECT_EQ(messagesShown(), 1u);
    // A roster missing for a while (a file server restarting) ends the program like a missing
    // results file.
    EXPECT_TRUE(
        rig.dialogs.shown.front().text.startsWith(QStringLiteral("ファイルがありません 2")));
    EXPECT_TRUE(rig.dialogs.shown.front().text.contains(QStringLiteral("新名簿.txt")));
    EXPECT_EQ(rig.navigator.count(QStringLiteral("endProgram")), 1);
}

} // namespace
