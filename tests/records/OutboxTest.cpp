// Runs that wait on this machine reach the results file exactly once, in
// order, whatever step the process moving them is killed at.

#include "ChildProcess.h"
#include "TestDoubles.h"

#include "records/Outbox.h"
#include "records/ResultsFile.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray RunBytes(int student, int result) {
    ResultRecord r;
    r.date = 46365;
    r.student = int16_t(student);
    r.level = 2;
    r.result = result;
    return EncodeRecord(r);
}

// Dies at one step, the way a process killed there does.
class KillAt : public OutboxSteps {
  public:
    explicit KillAt(Step step) : step_(step) {}
    void reached(Step step) override {
        if (step == step_) CutPower();
    }

  private:
    Step step_;
};

using Step = OutboxSteps::Step;

TEST(Outbox, AMoveKilledAtAnyStepLeavesEachRunInTheFileOnceAndInOrder) {
    const QByteArray kept1 = RunBytes(11, 31), kept2 = RunBytes(12, 32);
    const QByteArray ended = RunBytes(13, 33), next = RunBytes(14, 34);
    if (ChildRole() == QStringLiteral("mover")) { // results file, outbox folder, step
        const QStringList a = ChildArguments();
        KillAt killer(Step(a[2].toInt()));
        const Outbox theirs(a[1], a[0]);
        AppendRecordAfterOutbox(a[0], ended, &theirs, killer);
        ExitChild(0);
    }
    struct Case {
        Step killedAt;
        int appendsMeanwhile; // by another machine, before the next move
        int bytesLost;        // of the unsynced end, as a power cut loses them
    };
    const Case cases[] = {{Step::Noted, 0, 0},   {Step::Noted, 2, 0},    {Step::Written, 0, 0},
                          {Step::Written, 1, 0}, {Step::Written, 0, 78}, {Step::Synced, 0, 0},
                          {Step::Synced, 2, 0},  {Step::Cleared, 0, 0},  {Step::Cleared, 1, 0}};
    TempInstall install;
    const QString path = install.dataFolder() + kResultsFileName;
    const QString folder = install.root() + QStringLiteral("outbox");
    const Outbox outbox(folder, path);
    const QByteArray before = RunBytes(1, 10) + RunBytes(2, 20);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "step " << int(c.killedAt) << ", " << c.appendsMeanwhile << " appended, "
                     << c.bytesLost << " bytes lost");
        install.writeBytes(path, before);
        outbox.keep(kept1);
        outbox.keep(kept2);
        outbox.keep(kept1); // a run is kept once
        ChildProcess mover(QStringLiteral("mover"),
                           {path, folder, QString::number(int(c.killedAt))});
        ASSERT_EQ(mover.finish(), -1);

        if (c.bytesLost > 0) {
            ASSERT_TRUE(QFile::resize(path, QFileInfo(path).size() - c.bytesLost));
        }
        const QByteArray expected = before + kept1 + kept2 + ended + next;
        for (int k = 0; k < c.appendsMeanwhile; ++k)
            AppendRecord(path, DecodeRecord(RunBytes(50 + k, 50).constData()));
        OutboxSteps quiet;
        AppendRecordAfterOutbox(path, next, &outbox, quiet);

        // The other machines' runs are there once each; without them, the
        // moved runs follow in order, then the next one.
        QByteArray file = ReadWholeResultsFile(path);
        for (int k = 0; k < c.appendsMeanwhile; ++k) {
            const qsizetype at = file.indexOf(RunBytes(50 + k, 50));
            ASSERT_GE(at, before.size());
            file.remove(at, kRecordSize);
        }
        EXPECT_TRUE(file == expected);
        EXPECT_FALSE(outbox.holdsRuns());
    }
}

} // namespace
