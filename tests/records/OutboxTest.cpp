// Runs that wait on this machine reach the results file exactly once, in
// order, whatever call of the process moving them is killed, fails, or
// reports a failure after it did its work.

#include "ChildProcess.h"
#include "TestDoubles.h"

#include "records/AttemptLog.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

QByteArray RunBytes(int student, int result) {
    ResultRecord r;
    r.date = 46365;
    r.student = int16_t(student);
    r.level = 2;
    r.result = result;
    return EncodeRecord(r);
}

// A run as the drill keeps it: its record, then its attempts' records.
QByteArray RunWithAttempts(int student, int result, int attempts) {
    const QByteArray record = RunBytes(student, result);
    std::vector<Attempt> answered;
    for (int k = 1; k <= attempts; ++k)
        answered.push_back({k, 1 + k % 4, 2 + k, QStringLiteral("4×3.14"), k % 2 == 0,
                            k % 2 == 0 ? MistakeClass::None : MistakeClass::Order, 10 * k});
    return record + EncodeRunAttempts(DecodeRecord(record.constData()), answered);
}

using platform::FileCall;

enum class Fault {
    Killed,     // the process dies once the call has done its work
    FailsAfter, // the call does its work and reports EIO (a lost reply)
    Fails,      // the call reports EIO without doing anything
};
enum class OnFile { Results, Outbox, AttemptLog };

// Makes the first call of that kind on that file go wrong that way.
void Spoil(FileCall call, OnFile on, Fault fault, const QString& resultsPath) {
    auto spoilt = std::make_shared<bool>(false);
    platform::OverrideFileCall(call, [=](const QString& path, qint64 length,
                                         const platform::SystemFileCall& system) {
        const bool target = on == OnFile::Results      ? path == resultsPath
                            : on == OnFile::AttemptLog ? path == AttemptLogPathBeside(resultsPath)
                                                       : path.contains(QStringLiteral("outbox"));
        if (!target || *spoilt) return system(0, length);
        *spoilt = true;
        if (fault == Fault::Fails) return EIO;
        const int error = system(0, length);
        if (fault == Fault::Killed) CutPower();
        return error != 0 ? error : EIO;
    });
}

constexpr int kMoverFailed = 3;

TEST(Outbox, AMoveKilledOrFailingAtAnyCallLeavesEachRunInTheFileOnceAndInOrder) {
    // Each kept run carries its attempts, which reach the log once too.
    const QByteArray kept1 = RunWithAttempts(11, 31, 3), kept2 = RunWithAttempts(12, 32, 10);
    const QByteArray ended = RunBytes(13, 33), next = RunBytes(14, 34);
    // results file, outbox folder, call, file, fault
    if (ChildRole() == QStringLiteral("mover")) {
        const QStringList a = ChildArguments();
        Spoil(FileCall(a[2].toInt()), OnFile(a[3].toInt()), Fault(a[4].toInt()), a[0]);
        const Outbox theirs(a[1], a[0]);
        try {
            AppendRecordAfterOutbox(a[0], ended, &theirs);
        } catch (const DataFileError&) {
            ExitChild(kMoverFailed);
        }
        ExitChild(0);
    }
    struct Case {
        FileCall call;
        OnFile on;
        Fault fault;
        int moverEnds;        // -1 killed, 0 done, kMoverFailed
        int appendsMeanwhile; // by another machine, before the next move
        int bytesLost;        // of the unsynced end, as a power cut loses them
    };
    using enum FileCall;
    constexpr int killed = -1, failed = kMoverFailed;
    const Case cases[] = {
        // The move adds its run and notes where the runs go (the outbox's
        // first write and sync), writes and syncs them, empties the outbox.
        {Write, OnFile::Outbox, Fault::Killed, killed, 0, 0},
        {Sync, OnFile::Outbox, Fault::Killed, killed, 0, 0},
        {Sync, OnFile::Outbox, Fault::Killed, killed, 2, 0},
        {Write, OnFile::Results, Fault::Killed, killed, 0, 0},
        {Write, OnFile::Results, Fault::Killed, killed, 1, 0},
        {Write, OnFile::Results, Fault::Killed, killed, 0, 78},
        {Sync, OnFile::Results, Fault::Killed, killed, 0, 0},
        {Sync, OnFile::Results, Fault::Killed, killed, 2, 0},
        {Truncate, OnFile::Outbox, Fault::Killed, killed, 0, 0},
        {Truncate, OnFile::Outbox, Fault::Killed, killed, 1, 0},
        // The attempts go to the log first, under the same lock.
        {Write, OnFile::AttemptLog, Fault::Killed, killed, 0, 0},
        {Sync, OnFile::AttemptLog, Fault::Killed, killed, 1, 0},
        {Sync, OnFile::AttemptLog, Fault::FailsAfter, failed, 0, 0},
        {Write, OnFile::AttemptLog, Fault::Fails, failed, 0, 0},
        // A server (or disk) that applied the call and lost its reply.
        {Sync, OnFile::Outbox, Fault::FailsAfter, failed, 0, 0},
        {Write, OnFile::Results, Fault::FailsAfter, failed, 1, 0},
        {Sync, OnFile::Results, Fault::FailsAfter, failed, 0, 0},
        {Sync, OnFile::Results, Fault::FailsAfter, failed, 2, 0},
        {Truncate, OnFile::Outbox, Fault::FailsAfter, 0, 0, 0},
        // A call that did nothing (the run just ended is already in the outbox).
        {Write, OnFile::Results, Fault::Fails, failed, 0, 0},
        {Write, OnFile::Results, Fault::Fails, failed, 2, 0},
        {Truncate, OnFile::Outbox, Fault::Fails, 0, 1, 0},
    };
    TempInstall install;
    const QString path = install.dataFolder() + kResultsFileName;
    const QString folder = install.root() + QStringLiteral("outbox");
    const Outbox outbox(folder, path);
    const QString log = AttemptLogPathBeside(path);
    const QByteArray before = RunBytes(1, 10) + RunBytes(2, 20);
    const QByteArray logBefore = RunWithAttempts(1, 10, 2).mid(kRecordSize);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "call " << int(c.call) << " on " << int(c.on) << ", fault " << int(c.fault)
                     << ", " << c.appendsMeanwhile << " appended, " << c.bytesLost
                     << " bytes lost");
        install.writeBytes(path, before);
        install.writeBytes(log, logBefore);
        outbox.keep(kept1);
        outbox.keep(kept2);
        outbox.keep(kept1); // a run is kept once
        ChildProcess mover(QStringLiteral("mover"),
                           {path, folder, QString::number(int(c.call)), QString::number(int(c.on)),
                            QString::number(int(c.fault))});
        ASSERT_EQ(mover.finish(), c.moverEnds);

        if (c.bytesLost > 0) {
            ASSERT_TRUE(QFile::resize(path, QFileInfo(path).size() - c.bytesLost));
        }
        const QByteArray expected =
            before + kept1.left(kRecordSize) + kept2.left(kRecordSize) + ended + next;
        for (int k = 0; k < c.appendsMeanwhile; ++k)
            AppendRecord(path, DecodeRecord(RunBytes(50 + k, 50).constData()));
        AppendRecordAfterOutbox(path, next, &outbox);

        // The other machines' runs are there once each; without them, the
        // moved runs follow in order, then the next one.
        QByteArray file = ReadWholeResultsFile(path);
        for (int k = 0; k < c.appendsMeanwhile; ++k) {
            const qsizetype at = file.indexOf(RunBytes(50 + k, 50));
            ASSERT_GE(at, before.size());
            file.remove(at, kRecordSize);
        }
        EXPECT_TRUE(file == expected);
        EXPECT_TRUE(ReadWholeResultsFile(log) ==
                    logBefore + kept1.mid(kRecordSize) + kept2.mid(kRecordSize));
        EXPECT_FALSE(outbox.holdsRuns());
    }
}

// The common move syncs its note and the results file, and nothing more (no
// new outbox file): the drill's end waits for it.
TEST(Outbox, AMoveWithNothingToFinishMakesTwoSyncs) {
    TempInstall install;
    const QString path = install.dataFolder() + kResultsFileName;
    const Outbox outbox(install.root() + QStringLiteral("outbox"), path);
    outbox.keep(RunBytes(11, 31));
    int syncs = 0;
    platform::OverrideFileCall(FileCall::Sync, [&syncs](const QString&, qint64 length,
                                                        const platform::SystemFileCall& system) {
        ++syncs;
        return system(0, length);
    });
    AppendRecordAfterOutbox(path, {}, &outbox);
    platform::RestoreFileCalls();
    EXPECT_EQ(syncs, 2);
}

TEST(Outbox, RunsKeptByTheReleaseBeforeAreMovedOnce) {
    TempInstall install;
    const QString path = install.dataFolder() + kResultsFileName;
    const Outbox outbox(install.root() + QStringLiteral("outbox"), path);
    const QByteArray before = RunBytes(1, 10), landed = RunBytes(11, 31);
    const QByteArray waiting = RunBytes(12, 32);
    // Its move noted the end of before and got one run there before it stopped.
    install.writeBytes(path, before + landed);
    const qint64 movingTo = kRecordSize;
    install.writeBytes(outbox.path(),
                       QByteArray("DRILLOBX") +
                           QByteArray(reinterpret_cast<const char*>(&movingTo), sizeof movingTo) +
                           landed + waiting);
    EXPECT_EQ(outbox.runs(), landed + waiting);
    AppendRecordAfterOutbox(path, {}, &outbox);
    EXPECT_EQ(ReadWholeResultsFile(path), before + landed + waiting);
    EXPECT_FALSE(outbox.holdsRuns());
}

} // namespace
