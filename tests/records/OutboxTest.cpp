// Runs that wait on this machine reach the results file exactly once, in
// order, whatever step the process moving them is killed at, and a run that
// cannot be written now waits instead of being lost.

#include "ChildProcess.h"
#include "TestDoubles.h"

#include "core/ProgramState.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray RunBytes(int student, int result) {
    ResultRecord r;
    r.date = 46365;
    r.timeOfDay = 0.5;
    r.student = int16_t(student);
    r.level = 2;
    r.result = result;
    r.classroomCode = QStringLiteral("01234");
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return EncodeRecord(r);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int Occurrences(const QByteArray& file, const QByteArray& record) {
    int n = 0;
    for (qint64 at = 0; at + kRecordSize <= file.size(); at += kRecordSize)
        n += file.mid(at, kRecordSize) == record;
    return n;
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

struct OutboxFixture : ::testing::Test {
    TempInstall install;
    QString path = install.dataFolder() + kResultsFileName;
    QString outboxFolder = install.root() + QStringLiteral("outbox");
    Outbox outbox{outboxFolder, path};
    QByteArray before = RunBytes(1, 10) + RunBytes(2, 20);

    void SetUp() override { install.writeBytes(path, before); }
};

using Step = OutboxSteps::Step;

TEST_F(OutboxFixture, AMoveKilledAtAnyStepLeavesEachRunInTheFileOnce) {
    struct Case {
        Step killedAt;
        int appendsMeanwhile; // by another machine, before the next move
        int bytesLost;        // of the unsynced end, as a power cut loses them
    };
    const Case cases[] = {
        {Step::Noted, 0, 0},   {Step::Noted, 2, 0},    {Step::Written, 0, 0},
        {Step::Written, 1, 0}, {Step::Written, 0, 78}, {Step::Synced, 0, 0},
        {Step::Synced, 2, 0},  {Step::Cleared, 0, 0},  {Step::Cleared, 1, 0},
    };
    const QByteArray kept1 = RunBytes(11, 31);
    const QByteArray kept2 = RunBytes(12, 32);
    const QByteArray ended = RunBytes(13, 33);
    const QByteArray next = RunBytes(14, 34);
    if (ChildRole() == QStringLiteral("mover")) {
        // The results file, the outbox folder, the step to die at.
        const QStringList arguments = ChildArguments();
        KillAt killer(Step(arguments[2].toInt()));
        const Outbox theirs(arguments[1], arguments[0]);
        try {
            AppendRecordAfterOutbox(arguments[0], ended, &theirs, killer);
        } catch (...) {
        }
        ExitChild(0);
    }
    for (const Case& c : cases) {
        const auto row = ::testing::Message()
                         << "step " << int(c.killedAt) << ", " << c.appendsMeanwhile
                         << " appended, " << c.bytesLost << " bytes lost";
        install.writeBytes(path, before);
        QFile::remove(outbox.path());
        outbox.keep(kept1);
        outbox.keep(kept2);
        outbox.keep(kept1); // a run is kept once

        ChildProcess mover(QStringLiteral("mover"),
                           {path, outboxFolder, QString::number(int(c.killedAt))});
        ASSERT_EQ(mover.finish(), -1) << row;

        if (c.bytesLost > 0) {
            ASSERT_TRUE(QFile::resize(path, QFileInfo(path).size() - c.bytesLost));
        }
        QByteArray others;
        for (int k = 0; k < c.appendsMeanwhile; ++k) {
            others += RunBytes(50 + k, 50);
            AppendRecord(path, DecodeRecord(RunBytes(50 + k, 50).constData()));
        }
        OutboxSteps quiet;
        AppendRecordAfterOutbox(path, next, &outbox, quiet);

        const QByteArray file = FileBytes(path);
        ASSERT_EQ(file.size() % kRecordSize, 0) << row;
        EXPECT_TRUE(file.startsWith(before)) << row;
        for (const QByteArray& run : {kept1, kept2, ended, next})
            EXPECT_EQ(Occurrences(file, run), 1) << row;
        for (qint64 at = 0; at < others.size(); at += kRecordSize)
            EXPECT_EQ(Occurrences(file, others.mid(at, kRecordSize)), 1) << row;
        EXPECT_LT(file.indexOf(kept1), file.indexOf(kept2)) << row;
        EXPECT_LT(file.indexOf(kept2), file.indexOf(ended)) << row;
        EXPECT_EQ(file.indexOf(next), file.size() - kRecordSize) << row;
        EXPECT_FALSE(outbox.holdsRuns()) << row;
    }
}

// The shared file cannot take the run now: it waits here, and the next
// append puts it in first, once the fault is gone.
TEST_F(OutboxFixture, ARunTheFileCannotTakeWaitsForTheNextAppend) {
    struct Case {
        const char* fault;
        std::function<void()> make;
        std::function<void()> undo;
    };
    const QString folder = install.dataFolder();
    const QString aside = install.root() + QStringLiteral("aside");
    const Case cases[] = {
        {"a folder in place of the file", [&] { QFile::remove(path), QDir().mkdir(path); },
         [&] { QDir().rmdir(path), install.writeBytes(path, before); }},
        {"the data folder gone", [&] { QDir().rename(folder, aside); },
         [&] { QDir().rename(aside, folder); }},
    };
    for (const Case& c : cases) {
        install.writeBytes(path, before);
        TestRig rig;
        rig.state.folders.DataFolder = folder;
        rig.state.folders.OutboxFolder = outboxFolder;
        rig.state.session.StudentNo = 21;
        rig.state.LevelNo = 2;
        rig.state.ResultValue = 41;
        c.make();
        EXPECT_EQ(AppendResult(rig.state), RunRecording::KeptForLater) << c.fault;
        EXPECT_TRUE(rig.dialogs.shown.empty()) << c.fault;
        const QByteArray kept = outbox.runs();
        ASSERT_EQ(kept.size(), kRecordSize) << c.fault;
        EXPECT_EQ(DecodeRecord(kept.constData()).result, 41) << c.fault;
        EXPECT_FALSE(MoveOutboxIntoResults(rig.state)) << c.fault; // still away

        c.undo();
        rig.state.ResultValue = 42;
        EXPECT_EQ(AppendResult(rig.state), RunRecording::Recorded) << c.fault;
        const QByteArray file = FileBytes(path);
        ASSERT_EQ(file.size(), before.size() + 2 * kRecordSize) << c.fault;
        EXPECT_EQ(file.mid(before.size(), kRecordSize), kept) << c.fault;
        EXPECT_EQ(DecodeRecord(file.constData() + before.size() + kRecordSize).result, 42);
        EXPECT_FALSE(outbox.holdsRuns()) << c.fault;
    }
}

} // namespace
