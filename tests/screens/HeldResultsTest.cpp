// Another process holds the results file (a reader stalled on a dead network
// link) when a drill ends: the wait screen shows at once, the question comes
// after about thirty seconds, and Cancel keeps the run on this machine until
// the next append records it.

#include "ChildProcess.h"
#include "DrillHarness.h"

#include "core/ProgramState.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"
#include "screens/DrillScreen.h"
#include "screens/ResultsScreen.h"
#include "widgets/WaitScreen.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

// A process of its own (a reader on another machine) that takes the shared
// lock and keeps it for 60 s.
void HoldTheLockAsAReader(const QString& path) {
    const ResultsFileHandle file(path, false);
    LockWholeFile(file, LockKind::Shared, true);
    TellParent("held\n");
    std::this_thread::sleep_for(std::chrono::seconds(60));
    ExitChild(0);
}

class HeldResults : public ::testing::Test, public DrillClassroom {};

TEST_F(HeldResults, TheDrillsEndWaitsAsksAndKeepsTheRunWhenCancelled) {
    if (ChildRole() == QStringLiteral("reader")) HoldTheLockAsAReader(ChildArguments()[0]);
    addRecord(1, 40, 1);
    const QByteArray before = ReadWholeResultsFile(resultsPath());
    auto reader =
        std::make_unique<ChildProcess>(QStringLiteral("reader"), QStringList{resultsPath()});
    ASSERT_TRUE(reader->waitForOutput("held"));
    rig.dialogs.answers = {false}; // Cancel at the first question
    DrillScreen* frm = startDrill(1);
    ASSERT_NE(frm, nullptr);
    for (int i = 0; i < 9; ++i) {
        passSeconds(frm, 3);
        answerRight(frm);
    }
    passSeconds(frm, 3);

    // At each wait of the drill's end: real milliseconds, the clock's seconds,
    // whether the wait screen shows, whether the question has come.
    struct Seen {
        qint64 realMs;
        double seconds;
        bool waitShown;
        bool asked;
    };
    std::vector<Seen> seen;
    WatchedClock clock;
    clock.current = rig.clock.current;
    clock.monotonic = rig.clock.monotonic;
    QElapsedTimer real;
    clock.onWait = [&] {
        const WaitScreen* wait = host.find<WaitScreen>();
        seen.push_back({real.elapsed(), clock.monotonic - rig.clock.monotonic,
                        wait && wait->isVisible(), !rig.dialogs.shown.empty()});
    };
    state().platform.clock = &clock;
    real.start();
    answerRight(frm); // the tenth: the drill ends
    state().platform.clock = &rig.clock;

    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.front().waitShown);
    EXPECT_LT(seen.front().realMs, 1000);
    const auto asked =
        std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.asked; });
    ASSERT_NE(asked, seen.end());
    EXPECT_NEAR(asked->seconds, 30, 3);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(QStringLiteral("あとで記録します")));

    // The results screen says the run is not recorded yet; the file is as it was.
    ASSERT_NE(results(), nullptr);
    EXPECT_TRUE(Child(results(), QStringLiteral("KeptForLater"))->isVisible());
    EXPECT_EQ(ReadWholeResultsFile(resultsPath()), before);
    const Outbox outbox(OutboxFolderOf(state().folders), resultsPath());
    const QByteArray kept = outbox.runs();
    ASSERT_EQ(kept.size(), kRecordSize);
    EXPECT_EQ(DecodeRecord(kept.constData()).result, 30);

    // The reader lets go; the next run goes in after the kept one.
    reader.reset();
    state().ResultValue = 25;
    EXPECT_EQ(AppendResult(state()), RunRecording::Recorded);
    const QByteArray after = ReadWholeResultsFile(resultsPath());
    ASSERT_EQ(after.size(), before.size() + 2 * kRecordSize);
    EXPECT_TRUE(after.startsWith(before + kept));
    EXPECT_EQ(DecodeRecord(after.constData() + before.size() + kRecordSize).result, 25);
    EXPECT_FALSE(outbox.holdsRuns());
}

// The file server stops answering as the drill ends: the first open of the
// results file blocks until the question has been answered. The question
// comes after about thirty seconds, Cancel keeps the run, the results screen
// waits for the stuck call like a held file, and the late landing counts once.
TEST_F(HeldResults, TheDrillsEndAsksWhileACallIsStuckAndALateLandingCountsOnce) {
    addRecord(1, 40, 1);
    const QByteArray before = ReadWholeResultsFile(resultsPath());
    rig.dialogs.answers = {false};
    DrillScreen* frm = startDrill(1);
    ASSERT_NE(frm, nullptr);
    for (int i = 0; i < 9; ++i) {
        passSeconds(frm, 3);
        answerRight(frm);
    }
    passSeconds(frm, 3);

    StuckOpen stuck(resultsPath());
    double askedAt = 0;
    bool answered = false;
    WatchedClock clock;
    clock.current = rig.clock.current;
    clock.monotonic = rig.clock.monotonic;
    clock.onWait = [&] {
        if (answered || rig.dialogs.shown.empty()) return;
        answered = true;
        askedAt = clock.monotonic;
        stuck.release();
    };
    state().platform.clock = &clock;
    const double start = clock.monotonic;
    answerRight(frm); // the tenth: the drill ends
    state().platform.clock = &rig.clock;
    stuck.release();

    ASSERT_TRUE(stuck.wasStuck());
    ASSERT_GE(rig.dialogs.shown.size(), 1u);
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(QStringLiteral("あとで記録します")));
    EXPECT_NEAR(askedAt - start, 30, 3);
    ASSERT_NE(results(), nullptr);
    EXPECT_TRUE(Child(results(), QStringLiteral("KeptForLater"))->isVisible());

    // The stuck move landed the run once; the next one goes in after it.
    const QByteArray landed = ReadWholeResultsFile(resultsPath());
    ASSERT_EQ(landed.size(), before.size() + kRecordSize);
    EXPECT_EQ(DecodeRecord(landed.constData() + before.size()).result, 30);
    state().ResultValue = 25;
    EXPECT_EQ(AppendResult(state()), RunRecording::Recorded);
    EXPECT_EQ(ReadWholeResultsFile(resultsPath()).size(), before.size() + 2 * kRecordSize);
    EXPECT_FALSE(Outbox(OutboxFolderOf(state().folders), resultsPath()).holdsRuns());
}

} // namespace
