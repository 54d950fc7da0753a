#include "ListRows.h"
#include "TestDoubles.h"

#include "core/LevelCatalogue.h"
#include "core/Seeding.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "screens/NameSelectionScreen.h"
#include "widgets/Screen.h"
#include "widgets/VersionDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// School year 2026 (the test clock stands in December 2026).
const QString kRoster = QStringLiteral("1,2018,0,0,佐藤　花子,0,,\n"   // 小2
                                       "2,2019,0,0,鈴木　一郎,0,,\n"   // 小1
                                       "3,2013,0,0,高橋　健,0,,\n"     // 中1
                                       "4,2020,0,0,田中　ゆい,0,,\n"   // 幼3
                                       "5,2019,0,0,休会　さん,1,,\n"   // never listed
                                       "6,2012,0,0,伊藤　翔,2,,\n"     // 中2, only with the switch
                                       "7,2011,0,0,渡辺　美咲,0,,\n"); // 中3

struct ScreenRig {
    TestRig rig;
    TempInstall install;
    ScreenHost host;
    ProgramState& state = rig.state;
    NameSelectionScreen* screen = nullptr;

    explicit ScreenRig(const QString& roster) {
        install.writeText(install.dataRoot() + kRosterFileName, roster);
        state.folders.AppFolder = install.programFolder() + QLatin1Char('/');
        state.folders.CommonFolder = install.dataRoot();
        state.folders.DataFolder = install.dataFolder();
        state.folders.SoundFolder = install.dataRoot() + QStringLiteral("音フォルダ/");
        state.folders.ProgramFolderName = QStringLiteral("circle");
        state.common.YearStartMonth = 4;
        state.SeasonColor = Colour{192, 255, 192};
        SetProgramIdentity(state);
        auto& wrong = state.sounds.SoundFiles[4];
        wrong[0] = QStringLiteral("間違い音2");
        wrong[1] = QStringLiteral("ブー");
        wrong[21] = QStringLiteral("1");
        host.show();
    }

    NameSelectionScreen* open() {
        screen = host.open<NameSelectionScreen>(state);
        return screen;
    }
    template <typename T> T* find(const char* name) const {
        T* widget = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QListView* list() const { return find<QListView>("List1"); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    QStringList rows() const { return RowTexts(list()); }
    int rowOf(const QString& name) const {
        const QStringList all = rows();
        for (int i = 0; i < all.size(); ++i)
            if (all[i].contains(name)) return i;
        ADD_FAILURE() << "no row for " << name.toStdString();
        return 0;
    }
    QPoint centreOf(int row) const { return RowCentre(list(), row); }
    void click(int row) const {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centreOf(row));
    }
    // A real double-click presses first; the list only takes a double-click on the pressed row.
    void doubleClick(int row) const {
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, centreOf(row));
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, centreOf(row));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centreOf(row));
    }
    void clickOk() const { QTest::mouseClick(find<QPushButton>("Command14"), Qt::LeftButton); }
};
} // namespace

TEST(NameSelection, OpensWithPointsOptionAllGradesAndYoungestFirst) {
    ScreenRig r(kRoster);
    r.open();
    EXPECT_TRUE(r.find<QRadioButton>("Option1_1")->isChecked());
    EXPECT_EQ(r.find<QRadioButton>("Option1_0")->text(), QStringLiteral("回数(今日／今まで）"));
    QComboBox* combo = r.find<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 12);
    EXPECT_EQ(combo->currentText(), QStringLiteral("全学年"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("中学生全体"));
    EXPECT_EQ(combo->itemText(11), QStringLiteral("小１"));
    EXPECT_EQ(r.state.session.GradeFilter, QStringLiteral("全学年"));

    const QStringList rows = r.rows();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], QStringLiteral("－－－－－－"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("幼3 田中　ゆい"))) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("小1 鈴木　一郎")));
    EXPECT_TRUE(rows[3].startsWith(QStringLiteral("小2 佐藤　花子")));
    EXPECT_TRUE(rows[5].startsWith(QStringLiteral("中3 渡辺　美咲")));
    // No results yet: option 1 shows the blank points figures.
    EXPECT_TRUE(rows[2].endsWith(QStringLiteral("  　/       ")));

    EXPECT_EQ(r.list()->currentIndex().row(), 0);
    EXPECT_EQ(r.label("Label1"), QStringLiteral("名前を選びなさい"));
    EXPECT_EQ(r.label("Label4"), QStringLiteral("円の公式ドリル"));
    EXPECT_EQ(r.find<QLabel>("Label4")->font().pointSize(), 48);
    EXPECT_EQ(r.label("Label5"), QStringLiteral("今までの全成績"));
    EXPECT_EQ(r.find<QPushButton>("Command7")->text(), QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"));
    EXPECT_TRUE(r.find<QWidget>("Picture5")->isHidden());
    EXPECT_EQ(r.screen->palette().color(QPalette::Window), QColor(192, 255, 192));
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("closeBoard")), 1);
    ASSERT_EQ(r.rig.random.seeds.size(), 1u);
    EXPECT_EQ(r.rig.random.seeds[0], FreshSeed(r.rig.clock));
}

TEST(NameSelection, SwitchListsStatusTwo) {
    ScreenRig r(kRoster);
    r.state.common.ListStatus2 = 1;
    r.open();
    EXPECT_EQ(r.rows().size(), 7);
    EXPECT_GT(r.rowOf(QStringLiteral("伊藤")), 0);
    EXPECT_FALSE(r.rows().join(QString()).contains(QStringLiteral("休会")));
}

TEST(NameSelection, OptionsAndGradeFilterRebuildTheList) {
    ScreenRig r(kRoster);
    r.open();
    QTest::mouseClick(r.find<QRadioButton>("Option1_0"), Qt::LeftButton);
    const QStringList rows = r.rows();
    ASSERT_EQ(rows.size(), 6);
    // Kindergarten gets the name column of 11 under option 0.
    EXPECT_EQ(rows[1], QStringLiteral("幼3 田中　ゆい") + QString(3, QChar(0x3000)) +
                           QStringLiteral("     /     　"));
    EXPECT_EQ(rows[2], QStringLiteral("小1 鈴木　一郎") + QString(1, QChar(0x3000)) +
                           QStringLiteral("     /     　"));

    r.host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.host));
    QComboBox* combo = r.find<QComboBox>("Combo1");
    combo->setFocus();
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(r.state.session.GradeFilter, QStringLiteral("中学生全体"));
    const QStringList middle = r.rows();
    ASSERT_EQ(middle.size(), 3);
    EXPECT_TRUE(middle[1].startsWith(QStringLiteral("中1 高橋")));
    EXPECT_TRUE(middle[2].startsWith(QStringLiteral("中3 渡辺")));
    EXPECT_TRUE(r.list()->hasFocus());
}

// The fourth wrong-answer sound in a row that nobody hears ends the program
// with one message, as in the drill.
TEST(NameSelection, SilentSpeakersEndTheProgramAtTheFourthConfirmationWithoutAName) {
    ScreenRig r{QString()};
    r.open();
    r.rig.sound.results = {{263, QStringLiteral("no device")},
                           {263, QStringLiteral("no device")},
                           {263, QStringLiteral("no device")},
                           {263, QStringLiteral("no device")}};
    r.click(0);
    for (int press = 1; press <= 3; ++press) {
        r.clickOk();
        EXPECT_TRUE(r.rig.dialogs.shown.empty()) << press;
    }
    r.clickOk();
    ASSERT_EQ(r.rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.rig.dialogs.shown[0].title, QStringLiteral("音声エラー"));
    EXPECT_EQ(r.rig.dialogs.shown[0].text,
              QStringLiteral("音声がでません。先生を呼びなさい。\r\nno device"));
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("endProgram")), 1);
}

TEST(NameSelection, AnEmptyRosterListsOnlyTheTopRowAndConfirmingSoundsWrong) {
    ScreenRig r{QString()};
    r.open();
    EXPECT_EQ(r.rows(), QStringList{QStringLiteral("－－－－－－")});
    r.click(0);
    r.clickOk();
    ASSERT_EQ(r.rig.sound.played.size(), 1u);
    EXPECT_TRUE(r.rig.sound.played[0].endsWith(QStringLiteral("ブー.wav")));
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("showBoard")), 0);
    EXPECT_FALSE(r.find<QPushButton>("Command14")->isHidden());
    EXPECT_EQ(r.state.session.StudentNo, 0);
}

TEST(NameSelection, ClickingARowThenOkConfirmsThatStudent) {
    ScreenRig r(kRoster);
    r.open();
    const int row = r.rowOf(QStringLiteral("佐藤"));
    r.click(row);
    EXPECT_EQ(r.label("Label1"), QStringLiteral("小2 佐藤　花子"));
    EXPECT_EQ(r.label("Label2"), QStringLiteral("1"));
    r.click(0);
    EXPECT_EQ(r.label("Label1"), QStringLiteral("名前を選びなさい"));
    r.click(row);

    r.rig.clock.monotonic = 4321.5;
    r.clickOk();
    const Session& session = r.state.session;
    EXPECT_EQ(session.StudentNo, 1);
    EXPECT_EQ(session.StudentName, FitRosterText(QStringLiteral("佐藤　花子")));
    EXPECT_EQ(session.StudentGrade, QStringLiteral("小２"));
    EXPECT_EQ(session.LoginTime, 4321.5);
    EXPECT_TRUE(r.find<QPushButton>("Command14")->isHidden());
    EXPECT_FALSE(r.find<QWidget>("Picture5")->isHidden());
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(r.state.levels.LevelCount, 7);
    EXPECT_TRUE(r.rig.sound.played.empty());
}

TEST(NameSelection, DoubleClickConfirmsDirectly) {
    ScreenRig r(kRoster);
    r.open();
    r.doubleClick(r.rowOf(QStringLiteral("渡辺")));
    EXPECT_EQ(r.label("Label1"), QStringLiteral("中3 渡辺　美咲"));
    EXPECT_EQ(r.state.session.StudentNo, 7);
    EXPECT_EQ(r.state.session.StudentGrade, QStringLiteral("中３"));
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("showBoard")), 1);
}

TEST(NameSelection, KeyOnePressedTwiceConfirmsOnce) {
    ScreenRig r(kRoster);
    r.open();
    r.click(r.rowOf(QStringLiteral("鈴木")));
    QTest::keyClick(r.list(), Qt::Key_1, {}, 0);
    QTest::keyClick(r.find<QComboBox>("Combo1"), Qt::Key_1, {}, 0);
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(r.state.session.StudentNo, 2);
    EXPECT_TRUE(r.rig.sound.played.empty());
}

TEST(NameSelection, EnterInTheListConfirms) {
    ScreenRig r(kRoster);
    r.open();
    r.click(r.rowOf(QStringLiteral("高橋")));
    QTest::keyClick(r.list(), Qt::Key_Return);
    EXPECT_EQ(r.state.session.StudentNo, 3);
    EXPECT_EQ(r.rig.navigator.count(QStringLiteral("showBoard")), 1);
}

TEST(NameSelection, KeyZeroStartsTheProgramMenuThenEnds) {
    ScreenRig r(kRoster);
    r.open();
    QTest::keyClick(r.find<QRadioButton>("Option1_2"), Qt::Key_0, {}, 0);
    EXPECT_EQ(r.rig.launcher.starts, 1);
    EXPECT_EQ(r.rig.launcher.program,
              r.install.programFolder() + QStringLiteral("/../起動/プログラムメニューc.exe"));
    EXPECT_EQ(r.rig.launcher.arguments, QStringList{QStringLiteral("001")});
    EXPECT_TRUE(r.rig.dialogs.shown.empty());
    EXPECT_EQ(r.rig.navigator.calls.back(), QStringLiteral("endProgram"));
}

// Runs this machine kept get one more try at the end; those that stay are
// counted for whoever ends the program.
TEST(NameSelection, TheEndTriesTheKeptRunsOnceMoreAndSaysHowManyRemain) {
    for (const bool fileAway : {false, true}) {
        SCOPED_TRACE(fileAway ? "a folder in place of the results file" : "the file takes them");
        ScreenRig r(kRoster);
        r.open();
        // The share goes away while the name screen shows.
        const QString path = ResultsFilePath(r.state);
        if (fileAway) {
            QFile::remove(path);
            ASSERT_TRUE(QDir().mkpath(path));
        }
        const Outbox outbox(OutboxFolderOf(r.state.folders), path);
        QByteArray runs;
        for (const int student : {1, 3}) {
            ResultRecord run;
            run.date = 46365;
            run.student = int16_t(student);
            run.level = 1;
            outbox.keep(EncodeRecord(run));
            runs += EncodeRecord(run);
        }
        QTest::mouseClick(r.find<QPushButton>("Command7"), Qt::LeftButton);
        EXPECT_EQ(outbox.holdsRuns(), fileAway);
        if (fileAway) {
            ASSERT_EQ(r.rig.dialogs.shown.size(), 1u);
            EXPECT_TRUE(r.rig.dialogs.shown[0].text.contains(QStringLiteral("2 回分")));
        } else {
            EXPECT_TRUE(r.rig.dialogs.shown.empty());
            EXPECT_EQ(ReadWholeResultsFile(path), runs);
        }
        EXPECT_EQ(r.rig.navigator.calls.back(), QStringLiteral("endProgram"));
    }
}

TEST(NameSelection, AProgramMenuThatCannotStartIsNamedBeforeTheEnd) {
    ScreenRig r(kRoster);
    r.open();
    r.rig.launcher.succeed = false;
    QTest::mouseClick(r.find<QPushButton>("Command7"), Qt::LeftButton);
    ASSERT_EQ(r.rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(r.rig.dialogs.shown[0].text.contains(QStringLiteral("プログラムメニューc.exe")));
    EXPECT_EQ(r.rig.navigator.calls.back(), QStringLiteral("endProgram"));
}

TEST(ProgramMenuPath, FallsBackToTheNameWithoutExe) {
    TempInstall install;
    const QString app = install.programFolder() + QLatin1Char('/');
    const QString exe =
        install.programFolder() + QStringLiteral("/../起動/プログラムメニューc.exe");
    EXPECT_EQ(ProgramMenuPath(app), exe);
    install.writeText(install.root() + QStringLiteral("programs/起動/プログラムメニューc"),
                      QStringLiteral("#!/bin/sh\n"));
    EXPECT_EQ(ProgramMenuPath(app), exe.chopped(4));
    install.writeText(install.root() + QStringLiteral("programs/起動/プログラムメニューc.exe"),
                      QString());
    EXPECT_EQ(ProgramMenuPath(app), exe);
}

TEST(NameSelection, MissingRosterIsReportedAndEndsTheProgram) {
    ScreenRig r(kRoster);
    QFile::remove(r.install.dataRoot() + kRosterFileName);
    r.open();
    ASSERT_FALSE(r.rig.dialogs.shown.empty());
    EXPECT_TRUE(r.rig.dialogs.shown[0].text.contains(kRosterFileName));
    EXPECT_GE(r.rig.navigator.count(QStringLiteral("endProgram")), 1);
}

TEST(VersionDialog, ShowsTitleVersionAndMakerEachTime) {
    ProgramState state;
    state.levels.ProgramTitle = QStringLiteral("円の公式ドリル");
    QWidget over;
    over.setGeometry(100, 50, 1024, 768);
    over.show();
    VersionDialog dialog(state, &over);
    for (int showing = 0; showing < 2; ++showing) {
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                  QStringLiteral("円の公式ドリル"));
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                  QStringLiteral("Version1.0.15"));
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label4"))->text(),
                  QStringLiteral("Sorano"));
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("Label5"))->text().isEmpty());
        // Centred over the screen, give or take the window frame.
        EXPECT_LE((dialog.geometry().center() - over.geometry().center()).manhattanLength(), 8);
        EXPECT_GT(dialog.x(), over.x() + 200);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(NameSelection, ClickingTheTitleOpensTheVersionDialogModal) {
    ScreenRig r(kRoster);
    r.open();
    QString seen;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        seen = dialog->objectName() + QLatin1Char('/') +
               dialog->findChild<QLabel*>(QStringLiteral("Label2"))->text();
        modal = dialog->isModal();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(r.find<QLabel>("Label4"), Qt::LeftButton);
    EXPECT_EQ(seen, QStringLiteral("frmver/Version1.0.15"));
    EXPECT_TRUE(modal);
}

// The screen becomes the active window again when the version dialog closes,
// and its activation runs as it did when the screen opened.
TEST(NameSelection, ComingBackFromTheVersionDialogRunsTheActivationAgain) {
    ScreenRig r(kRoster);
    r.host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.host));
    r.open();
    r.find<QRadioButton>("Option1_0")->click();
    QComboBox* combo = r.find<QComboBox>("Combo1");
    combo->setCurrentText(QStringLiteral("小学生全体"));
    r.click(r.rowOf(QStringLiteral("鈴木")));
    ASSERT_TRUE(r.label("Label1").contains(QStringLiteral("鈴木")));
    const int boardClosings = r.rig.navigator.count(QStringLiteral("closeBoard"));

    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")),
                              Qt::LeftButton);
    });
    QTest::mouseClick(r.find<QLabel>("Label4"), Qt::LeftButton);
    // The window manager gives the activation back to the window under the dialog.
    r.host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.host));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return r.rig.navigator.count(QStringLiteral("closeBoard")) > boardClosings; }, 2000));
    EXPECT_EQ(r.label("Label1"), QStringLiteral("名前を選びなさい"));
    EXPECT_TRUE(r.find<QRadioButton>("Option1_1")->isChecked());
    EXPECT_EQ(combo->currentText(), QStringLiteral("全学年"));
    EXPECT_EQ(combo->count(), 12);
    EXPECT_EQ(r.state.session.GradeFilter, QStringLiteral("全学年"));
}
