// The program's start and the moves between screens as the program itself
// makes them: StartProgram, which main() calls, and the real navigator.

#include "DemoClassroom.h"
#include "DrillHarness.h"
#include "TestDoubles.h"

#include "app/AppNavigator.h"
#include "app/StartUp.h"
#include "core/ProgramState.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"
#include "records/ResultsJournal.h"
#include "screens/CriteriaEditor.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"
#include "widgets/WaitScreen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Writes down the order in which screens go out of sight.
class HideOrder : public QObject {
  public:
    QStringList hidden;
    void watch(QWidget* screen) { screen->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) hidden << watched->objectName();
        return false;
    }
};

struct ProgramRig {
    DemoClassroom classroom;
    TestRig rig;
    ScreenHost host;
    AppNavigator navigator{host, rig.state};

    ProgramRig() {
        rig.state.platform.navigator = &navigator;
        host.show();
    }
};

} // namespace

// A run an earlier start could not record goes in before anything is counted;
// the teacher hears once of an intent that its move set aside. Without a run
// to move, a start writes nothing and leaves the intent to the next writer.
TEST(StartUpWiring, AStartMovesTheRunsKeptOnThisMachineIntoTheResultsFile) {
    struct Row {
        const char* what;
        bool runKept;
        StaleIntent stale;
    };
    for (const Row& row :
         {Row{"a kept run", true, StaleIntent::None},
          Row{"a kept run and a stale intent", true, StaleIntent::ChangePastTheEnd},
          Row{"a stale intent alone", false, StaleIntent::ChangePastTheEnd}}) {
        SCOPED_TRACE(row.what);
        ProgramRig p;
        const QString path = p.classroom.results();
        ResultRecord run;
        run.date = 46365;
        run.student = 1;
        run.level = 1;
        run.result = 77;
        const QByteArray kept = row.runKept ? EncodeRecord(run) : QByteArray();
        const Outbox outbox(OutboxFolderOf(Folders{}), path);
        if (row.runKept) outbox.keep(kept);
        const QByteArray before = ReadWholeResultsFile(path);
        LeaveStaleIntent(path, row.stale);
        const bool setAside = row.runKept && row.stale != StaleIntent::None;

        StartProgram(p.rig.state, p.host, p.classroom.programFolder());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !p.host.find<StartupScreen>(); }, 3000));
        EXPECT_EQ(ReadWholeResultsFile(path), before + kept);
        EXPECT_FALSE(outbox.holdsRuns());
        EXPECT_EQ(QFileInfo::exists(ResultsIntentPathBeside(path)),
                  row.stale != StaleIntent::None && !setAside);
        ExpectSetAsideToldOnce(p.rig.dialogs, path, setAside ? 1 : 0);
        EXPECT_NE(p.host.find<NameSelectionScreen>(), nullptr);
    }
}

TEST(StartUpWiring, TheStartUpScreenHandsOverToTheNameScreenOrEndsOnABadFile) {
    struct Case {
        const char* what;
        const char* removed; // a data file taken away, or none
        bool reachesNames;
    };
    for (const Case& c : {Case{"complete installation", nullptr, true},
                          Case{"no path data file", "パスデータ.txt", false},
                          Case{"no roster", "data/新名簿.txt", false}}) {
        SCOPED_TRACE(c.what);
        ProgramRig p;
        if (c.removed) {
            ASSERT_TRUE(QFile::remove(p.classroom.root + QString::fromUtf8(c.removed)));
        }
        StartupScreen* first = StartProgram(p.rig.state, p.host, p.classroom.programFolder());
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(p.host.find<StartupScreen>(), first);
        // Before the hand-over nothing is read and no other screen is open.
        EXPECT_EQ(p.host.find<NameSelectionScreen>(), nullptr);
        EXPECT_TRUE(p.rig.state.folders.CommonFolder.isEmpty());

        EXPECT_TRUE(QTest::qWaitFor([&] { return !p.host.find<StartupScreen>(); }, 3000));
        EXPECT_EQ(p.host.find<NameSelectionScreen>() != nullptr, c.reachesNames);
        EXPECT_EQ(p.rig.dialogs.shown.size(), c.reachesNames ? 0u : 1u);
        if (!c.reachesNames) {
            // A missing roster is waited for like every shared file, then reported under the
            // program's title.
            EXPECT_FALSE(p.rig.dialogs.shown[0].title.isEmpty());
            EXPECT_TRUE(p.rig.dialogs.shown[0].text.contains(
                QString::fromUtf8(c.removed).section(u'/', -1)));
        }
    }
}

TEST(StartUpWiring, TheBoardClosesTheNameScreenAndTheEndClosesTheLastOpenedFirst) {
    ProgramRig p;
    StartProgram(p.rig.state, p.host, p.classroom.programFolder());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.host.find<NameSelectionScreen>() != nullptr; }, 3000));
    HideOrder order;
    order.watch(p.host.find<NameSelectionScreen>());

    p.rig.state.session.StudentNo = 1;
    p.navigator.showBoard();
    LevelBoard* board = p.host.find<LevelBoard>();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(p.host.find<NameSelectionScreen>(), nullptr);
    EXPECT_EQ(order.hidden, QStringList{QStringLiteral("namesel")});

    order.hidden.clear();
    order.watch(board);
    p.navigator.showWait();
    order.watch(p.host.find<WaitScreen>());
    p.navigator.showCriteriaEditor();
    order.watch(p.host.find<CriteriaEditor>());
    p.navigator.endProgram();
    EXPECT_EQ(order.hidden, (QStringList{QStringLiteral("FrmTimeData"), QStringLiteral("BASEFRM"),
                                         QStringLiteral("seisekitime1")}));
    EXPECT_EQ(p.host.find<LevelBoard>(), nullptr);
    EXPECT_EQ(p.host.find<CriteriaEditor>(), nullptr);
}

TEST(CommandLine, HelpAndVersionAnswerWithoutStarting) {
    struct Case {
        const char* program;
        const char* option;
        const char* says;
    };
    // Run in an empty folder: an answer leaves nothing behind there.
    const QTemporaryDir folder;
    for (const Case& c : {Case{DRILL_STATS_PATH, "--help", "usage: drill-stats"},
                          Case{DRILL_STATS_PATH, "--version", "drill-stats Version1.0.15"},
                          Case{DRILL_REPORT_PATH, "--help", "usage: drill-report"},
                          Case{DRILL_REPORT_PATH, "--version", "drill-report Version1.0.15"},
                          Case{DRILL_WORKSHEET_PATH, "--help", "usage: drill-worksheet"},
                          Case{DRILL_WORKSHEET_PATH, "--version", "drill-worksheet Version1.0.15"},
                          Case{MAKE_DEMO_PATH, "--help", "usage: make-demo"},
                          Case{MAKE_DEMO_PATH, "--version", "make-demo Version1.0.15"},
                          Case{CIRCLE_DRILL_PATH, "--help", "usage: circle-drill"},
                          Case{CIRCLE_DRILL_PATH, "--version", "Version1.0.15"}}) {
        SCOPED_TRACE(std::string(c.program) + " " + c.option);
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(QString::fromUtf8(c.program), {QString::fromLatin1(c.option)});
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(process.readAllStandardOutput().contains(c.says));
        EXPECT_TRUE(process.readAllStandardError().isEmpty());
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
    }
}

TEST(CommandLine, UnknownOptionsAreRefusedAndNothingIsLaidOut) {
    const QTemporaryDir folder;
    const struct {
        const char* program;
        QStringList arguments;
        const char* says;
    } cases[] = {
        {MAKE_DEMO_PATH, {QStringLiteral("-h")}, "make-demo: unexpected argument \"-h\""},
        {MAKE_DEMO_PATH,
         {QStringLiteral("--bogus"), QStringLiteral("demo")},
         "unexpected argument"},
        {MAKE_DEMO_PATH, {QStringLiteral("demo"), QStringLiteral("other")}, "unexpected argument"},
        {MAKE_DEMO_PATH, {}, "no DEMO_DIR"},
        {MAKE_DEMO_PATH, {QStringLiteral("--today")}, "--today needs a value"},
        {MAKE_DEMO_PATH,
         {QStringLiteral("--today"), QStringLiteral("2026-13-01"), QStringLiteral("demo")},
         "not YYYY-MM-DD"},
        {DRILL_STATS_PATH, {QStringLiteral("--bogus")}, "drill-stats: unexpected argument"},
        {DRILL_REPORT_PATH,
         {QStringLiteral("-o"), QStringLiteral("x.pdf"), QStringLiteral("--bogus")},
         "drill-report: unexpected argument"},
        {DRILL_WORKSHEET_PATH,
         {QStringLiteral("-o"), QStringLiteral("x.pdf"), QStringLiteral("--bogus")},
         "drill-worksheet: unexpected argument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.arguments.join(' ').toStdString());
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(QString::fromUtf8(c.program), c.arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 2);
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(errors.contains(QString::fromUtf8(c.says))) << qPrintable(errors);
        EXPECT_TRUE(errors.contains(QStringLiteral("usage: "))) << qPrintable(errors);
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
    }
}
