// Every screen action that reads a file the classroom shares, with that file
// replaced by a folder between the start and the action (a file server gone
// wrong): the program shows one message naming the file and ends, in a
// process of its own that must not abort.

#include "ChildProcess.h"
#include "DemoClassroom.h"
#include "TestDoubles.h"

#include "core/SharedReading.h"
#include "screens/CriteriaEditor.h"
#include "screens/LevelBoard.h"
#include "screens/RecordsBrowser.h"
#include "widgets/GuardedApplication.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

enum class SharedFile { Results, Roster };

struct ScreenAction {
    const char* name;
    SharedFile spoilt;
    // Opens what the action needs while the files are whole.
    std::function<void(StartUp&)> prepare;
    // The action itself, after the file has become a folder.
    std::function<void(StartUp&)> act;
};

ProgramState& Teacher(StartUp& s) {
    ProgramState& state = s.rig.state;
    state.session.StudentNo = 1;
    state.session.StudentName = FitRosterText(u"先生"_s);
    return state;
}

LevelBoard* OpenBoard(StartUp& s) {
    ProgramState& state = Teacher(s);
    s.host.close<NameSelectionScreen>();
    return s.host.open<LevelBoard>(state);
}

template <typename T> T* Control(StartUp& s, const QString& name) {
    T* control = s.host.findChild<T*>(name);
    if (!control) throw std::runtime_error("no control " + name.toStdString());
    return control;
}

void Click(StartUp& s, const QString& name) {
    Control<QAbstractButton>(s, name)->click();
}

void Choose(StartUp& s, const QString& comboName, int index) {
    auto* combo = Control<QComboBox>(s, comboName);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

const std::vector<ScreenAction>& Actions() {
    const auto nothing = [](StartUp&) {};
    const auto board = [](StartUp& s) { OpenBoard(s); };
    static const std::vector<ScreenAction> actions = {
        {"NameListGrade", SharedFile::Results, nothing,
         [](StartUp& s) { Choose(s, u"Combo1"_s, 2); }},
        {"NameListRoster", SharedFile::Roster, nothing,
         [](StartUp& s) { Choose(s, u"Combo1"_s, 2); }},
        {"BoardOpening", SharedFile::Results, nothing, board},
        {"BoardToday", SharedFile::Results, board, [](StartUp& s) { Click(s, u"Option1_2"_s); }},
        {"BoardAll", SharedFile::Results, board, [](StartUp& s) { Click(s, u"Option1_3"_s); }},
        {"BoardPersonalTimes", SharedFile::Results, board,
         [](StartUp& s) { Click(s, u"Option2_2"_s); }},
        {"BoardGradeFilter", SharedFile::Results, board,
         [](StartUp& s) { Choose(s, u"Combo1"_s, 1); }},
        {"ReportGraph", SharedFile::Results, board, [](StartUp& s) { Click(s, u"Command17"_s); }},
        {"ReportGraphRoster", SharedFile::Roster, board,
         [](StartUp& s) { Click(s, u"Command17"_s); }},
        {"ReportShow", SharedFile::Results,
         [](StartUp& s) {
             OpenBoard(s);
             Click(s, u"Command17"_s);
         },
         [](StartUp& s) { Click(s, u"Command24_0"_s); }},
        {"ReportPrint", SharedFile::Results,
         [](StartUp& s) {
             OpenBoard(s);
             Click(s, u"Command17"_s);
         },
         [](StartUp& s) { Click(s, u"Command24_1"_s); }},
        {"CriteriaEditorDistribution", SharedFile::Results, nothing,
         [](StartUp& s) { s.host.open<CriteriaEditor>(Teacher(s)); }},
        {"RecordsBrowserOpening", SharedFile::Results, nothing,
         [](StartUp& s) { s.host.open<RecordsBrowser>(Teacher(s)); }},
        {"RecordsBrowserRoster", SharedFile::Roster, nothing,
         [](StartUp& s) { s.host.open<RecordsBrowser>(Teacher(s)); }},
    };
    return actions;
}

QString PathOf(const DemoClassroom& classroom, SharedFile file) {
    return file == SharedFile::Results ? classroom.results() : classroom.roster();
}

void ReplaceByFolder(const QString& path) {
    if (!QFile::remove(path) || !QDir().mkdir(path))
        throw std::runtime_error("cannot replace " + path.toStdString());
}

class ScreenActionOnAFolder : public ::testing::TestWithParam<ScreenAction> {};

// The program ends in a process of its own, which leaves without cleaning up.
TEST_P(ScreenActionOnAFolder, ShowsOneMessageAndEndsWithoutAborting) {
    if (ChildRole().isEmpty()) {
        ChildProcess program(QStringLiteral("program"));
        EXPECT_EQ(program.finish(), 0);
        return;
    }
    const ScreenAction& action = GetParam();
    DemoClassroom classroom;
    const QString spoilt = PathOf(classroom, action.spoilt);
    int failures = 0;
    const auto expect = [&failures](bool ok, const std::string& what) {
        if (!ok) {
            std::fprintf(stderr, "%s\n", what.c_str());
            ++failures;
        }
    };
    StartUp start(classroom);
    static_cast<GuardedApplication*>(QCoreApplication::instance())->guard(&start.rig.state);
    expect(start.names != nullptr && start.rig.dialogs.shown.empty(), "the program did not start");
    action.prepare(start);
    expect(start.rig.dialogs.shown.empty(), "a message before the file was spoilt");
    ReplaceByFolder(spoilt);
    action.act(start);
    QCoreApplication::processEvents();
    const auto& shown = start.rig.dialogs.shown;
    expect(shown.size() == 1, "messages shown: " + std::to_string(shown.size()));
    for (const auto& message : shown) {
        expect(message.text.contains(QFileInfo(spoilt).fileName()),
               "the message does not name the file: " + message.text.toStdString());
        expect(message.text.contains(u"21"_s),
               "the message lacks the error number: " + message.text.toStdString());
    }
    expect(start.rig.navigator.count(u"endProgram"_s) == 1, "the program did not end once");
    std::fflush(stderr);
    ExitChild(failures == 0 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(SharedFileFault, ScreenActionOnAFolder, ::testing::ValuesIn(Actions()),
                         [](const auto& info) { return std::string(info.param.name); });

// Paint events that reach a widget of one window.
struct PaintCounter : QObject {
    const QWidget* window = nullptr;
    int paints = 0;
    bool eventFilter(QObject* object, QEvent* event) override {
        const auto* widget = qobject_cast<const QWidget*>(object);
        if (event->type() == QEvent::Paint && widget && widget->window() == window) ++paints;
        return false;
    }
};

// The file server stops answering as the board opens: its first open of the
// results file blocks for a minute of the clock. Meanwhile the window
// repaints, the wait screen comes, and the question at 30 s and again at
// 60 s; once the call ends the board shows the counts it read.
TEST(SharedFileFault, ABoardOpeningStuckForAMinutePaintsAsksAndThenShowsTheCounts) {
    DemoClassroom classroom;
    StartUp start(classroom);
    ASSERT_NE(start.names, nullptr);
    ProgramState& state = Teacher(start);
    start.host.close<NameSelectionScreen>();

    StuckOpen stuck(classroom.results());
    bool answered = false;

    ASSERT_TRUE(QTest::qWaitForWindowExposed(&start.host));
    PaintCounter counter;
    counter.window = &start.host;
    QCoreApplication::instance()->installEventFilter(&counter);
    std::vector<double> askedAt;
    int paintsWhileStuck = 0;
    bool waitShownWhileStuck = false;
    WatchedClock clock;
    clock.current = start.rig.clock.current;
    clock.monotonic = start.rig.clock.monotonic;
    const double begin = clock.monotonic;
    clock.onWait = [&] {
        if (answered) return;
        if (askedAt.size() < start.rig.dialogs.shown.size())
            askedAt.push_back(clock.monotonic - begin);
        start.host.update(); // as when a window over the program goes away
        paintsWhileStuck = counter.paints;
        waitShownWhileStuck = start.rig.navigator.count(u"showWait"_s) == 1;
        if (clock.monotonic - begin < 60) return;
        answered = true;
        stuck.release();
    };
    state.platform.clock = &clock;
    LevelBoard* board = start.host.open<LevelBoard>(state);
    state.platform.clock = &start.rig.clock;

    ASSERT_TRUE(stuck.wasStuck());
    EXPECT_TRUE(answered);
    EXPECT_GT(paintsWhileStuck, 0);
    EXPECT_TRUE(waitShownWhileStuck);
    EXPECT_EQ(start.rig.navigator.count(u"closeWait"_s), 1);
    ASSERT_EQ(askedAt.size(), 2u);
    EXPECT_NEAR(askedAt[0], 30, 1.5);
    EXPECT_NEAR(askedAt[1], 60, 1.5);
    for (const auto& question : start.rig.dialogs.shown)
        EXPECT_TRUE(question.text.startsWith(u"ファイルサーバーに接続できません。"_s));
    EXPECT_EQ(start.rig.navigator.count(u"endProgram"_s), 0);

    // The count read by the stuck call is the board's, and what the board
    // shows is what it shows when nothing is stuck.
    EXPECT_FALSE(state.counts.Runs.empty());
    const QString stuckLine = Control<QLabel>(start, u"Label18"_s)->text();
    start.host.closeScreen(board);
    start.host.open<LevelBoard>(state);
    EXPECT_EQ(Control<QLabel>(start, u"Label18"_s)->text(), stuckLine);
    EXPECT_EQ(start.rig.navigator.count(u"showWait"_s), 1); // a quick read shows none
}

TEST(SharedFileFault, DrillStatsOnAFolderSaysSoOnceAndFails) {
    for (const SharedFile file : {SharedFile::Results, SharedFile::Roster}) {
        DemoClassroom classroom;
        const QString spoilt = PathOf(classroom, file);
        ReplaceByFolder(spoilt);
        QProcess stats;
        stats.start(QStringLiteral(DRILL_STATS_PATH),
                    {u"--now"_s, FakeClock().current.toString(u"yyyy-MM-dd HH:mm:ss"_s),
                     classroom.programFolder()});
        ASSERT_TRUE(stats.waitForFinished(60000));
        EXPECT_EQ(stats.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(stats.exitCode(), 0);
        const QString errors = QString::fromUtf8(stats.readAllStandardError());
        EXPECT_TRUE(errors.contains(QFileInfo(spoilt).fileName())) << errors.toStdString();
        EXPECT_EQ(errors.count(u"エラー番号 21"_s), 1) << errors.toStdString(); // one message
        EXPECT_TRUE(stats.readAllStandardOutput().isEmpty());
    }
}

// The last guard: an error a screen let through is shown once and ends the
// program instead of terminating it in the middle of an event.
TEST(SharedFileFault, AnErrorLeftByAHandlerIsCaughtWhereEventsAreDelivered) {
    TestRig rig;
    auto* app = static_cast<GuardedApplication*>(QCoreApplication::instance());
    app->guard(&rig.state);
    struct Throwing : QObject {
        std::function<void()> fault;
        bool event(QEvent*) override {
            fault();
            return true;
        }
    };
    Throwing object;
    const std::function<void()> faults[] = {
        [] { throw DataFileError(u"成績累積データ.dat: broken"_s); },
        [] { throw std::bad_alloc(); },
    };
    for (const auto& fault : faults) {
        object.fault = fault;
        QEvent event(QEvent::User);
        EXPECT_NO_THROW(QCoreApplication::sendEvent(&object, &event));
    }
    app->guard(nullptr);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(u"成績累積データ.dat"_s));
    EXPECT_EQ(rig.navigator.count(u"endProgram"_s), 2);
}

} // namespace
