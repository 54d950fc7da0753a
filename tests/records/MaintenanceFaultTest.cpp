// A teacher's change or deletion cut off at any moment: the process is killed
// (for real, as a power cut ends it) at chosen bytes of its writes or at a random time,
// then another process appends. The file must hold every original record once
// (without the deleted one only when the deletion was complete), then the
// appended one, and no intent may be left beside it.

#include "records/RecordMaintenance.h"
#include "records/ResultsFile.h"
#include "records/ResultsJournal.h"

#include "ChildProcess.h"
#include "TestDoubles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <thread>

namespace {

constexpr int kRecords = 100000;

// Record i carries i in its date field, so every record is told apart.
QByteArray Record(int i) {
    ResultRecord r;
    r.date = 40000 + i;
    r.timeOfDay = 0.5;
    r.student = int16_t(1 + i % 5000);
    r.level = int16_t(1 + i % 35);
    r.result = i;
    r.classroomCode = QStringLiteral("A0001");
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return EncodeRecord(r);
}

// Records first to last, each made by `record`.
QByteArray Records(int first, int last, QByteArray (*record)(int) = Record) {
    QByteArray bytes;
    bytes.reserve((last - first + 1) * kRecordSize);
    for (int i = first; i <= last; ++i)
        bytes += record(i);
    return bytes;
}

using platform::FileCall;
using platform::SystemFileCall;

// The writes of one operation, killing the process after `budget` units: a
// byte written is one unit, a truncation or removal another. The write that
// crosses the budget puts down only its first bytes, the way a power cut
// stops a write part-way. The system's own copy is refused, so a copy goes
// through writes and can be cut part-way too.
class PowerCut {
  public:
    explicit PowerCut(qint64 budget) : budget_(budget) {
        platform::OverrideFileCall(
            FileCall::Write, [this](const QString&, qint64 length, const SystemFileCall& system) {
                const qint64 allowed = std::min(length, budget_);
                const int error = system(0, allowed);
                spend(allowed, length);
                return error;
            });
        platform::OverrideFileCall(
            FileCall::Copy, [](const QString&, qint64, const SystemFileCall&) { return ENOSYS; });
        const auto oneUnit = [this](const QString&, qint64 length, const SystemFileCall& system) {
            spend(0, 1);
            const int error = system(0, length);
            budget_ -= 1;
            return error;
        };
        platform::OverrideFileCall(FileCall::Truncate, oneUnit);
        platform::OverrideFileCall(FileCall::Remove, oneUnit);
    }
    ~PowerCut() { platform::RestoreFileCalls(); }
    PowerCut(const PowerCut&) = delete;
    PowerCut& operator=(const PowerCut&) = delete;

  private:
    void spend(qint64 done, qint64 wanted) {
        if (done < wanted && budget_ - done <= 0) CutPower();
        budget_ -= done;
    }
    qint64 budget_;
};

// A slow network share: writes go down in small pieces with pauses between,
// so that a file stays half moved for long enough to be seen or cut off.
struct SlowShare {
    SlowShare() {
        platform::OverrideFileCall(
            FileCall::Write, [](const QString&, qint64 length, const SystemFileCall& system) {
                constexpr qint64 kPiece = 64 << 10;
                for (qint64 done = 0; done < length; done += kPiece) {
                    if (const int error = system(done, std::min(kPiece, length - done)))
                        return error;
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                }
                return 0;
            });
    }
    ~SlowShare() { platform::RestoreFileCalls(); }
};

constexpr int kChanged = 777;
QByteArray Edited() {
    return WithStudentAndResult(Record(kChanged), 12, 34);
}

// Deletion j of a long series removes the record that was 1000 + 2000 j in
// the original file.
int DeletedId(int j) {
    return 1000 + 2000 * j;
}
constexpr int kDeletions = 40;

// What a child process of the tests below does, by its role; returns only
// in the test runner itself.
void PlayChildPart() {
    const QString role = ChildRole();
    if (role.isEmpty()) return;
    const QStringList a = ChildArguments();
    int status = 0;
    try {
        if (role == QStringLiteral("append")) {
            AppendRecord(a[0], DecodeRecord(Record(a[1].toInt()).constData()));
        } else if (role == QStringLiteral("delete-cut")) {
            const PowerCut cut(a[1].toLongLong());
            DeleteRecord(a[0], a[2].toInt(), Record(a[2].toInt()));
        } else if (role == QStringLiteral("change-cut")) {
            const PowerCut cut(a[1].toLongLong());
            ChangeRecord(a[0], kChanged, Record(kChanged), Edited());
        } else if (role == QStringLiteral("delete-slow")) {
            const SlowShare share;
            DeleteRecord(a[0], a[1].toInt(), Record(a[1].toInt()));
        } else if (role == QStringLiteral("deleter")) {
            const SlowShare share;
            for (int j = 0; j < kDeletions && status == 0; ++j) {
                if (DeleteRecord(a[0], DeletedId(j) - j, Record(DeletedId(j))) !=
                    MaintenanceOutcome::Done)
                    status = 1;
                // a teacher's next click: readers get their turn
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    } catch (...) {
        status = 3;
    }
    ExitChild(status);
}

class MaintenanceFaultTest : public ::testing::Test {
  protected:
    TempInstall install;
    QString folder = install.dataFolder();
    QString path = folder + kResultsFileName;
    QByteArray original = Records(1, kRecords);

    void SetUp() override {
        PlayChildPart();
        install.writeBytes(path, original);
    }

    // Another machine finishes a drill: its append takes the lock first.
    void appendFromAnotherProcess() {
        ChildProcess machine(QStringLiteral("append"), {path, QString::number(kRecords + 1)});
        ASSERT_EQ(machine.finish(), 0);
    }

    // Either before (nothing happened) or after (done): never in between.
    void expectBeforeOrAfter(const QByteArray& after, bool& wasAfter) {
        const QByteArray appended = Record(kRecords + 1);
        const QByteArray bytes = FileBytes(path);
        const bool before = bytes == original + appended;
        wasAfter = bytes == after + appended;
        EXPECT_TRUE(before || wasAfter)
            << "file of " << bytes.size() << " bytes is neither before nor after";
        // A copy may stay behind when the intent was never whole or already
        // gone: the file did not need it, and the next deletion replaces it.
        EXPECT_FALSE(QFileInfo::exists(ResultsIntentPathBeside(path)));
    }
};

// An intent as the release before wrote it: no fingerprint, its checksum
// (FNV-1a, 32 bits) right after the two records.
QByteArray IntentOfTheReleaseBefore(const MaintenanceIntent& intent) {
    QByteArray bytes = EncodeIntent(intent).left(24 + 2 * kRecordSize);
    quint32 hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= quint8(c);
        hash *= 16777619u;
    }
    return bytes + QByteArray(reinterpret_cast<const char*>(&hash), sizeof hash);
}

TEST(MaintenanceIntent, RoundTripsAndRefusesAnythingButAWholeIntent) {
    const MaintenanceIntent change{
        MaintenanceIntent::Kind::Change,           7, 7 * kRecordSize + 3, Record(7), Record(8),
        FileFingerprint{0x0123456789abcdefull, 42}};
    const MaintenanceIntent deletion{
        MaintenanceIntent::Kind::Delete, 1, kRecordSize, Record(1), {}, FileFingerprint{1, 2}};
    for (const MaintenanceIntent& intent : {change, deletion}) {
        MaintenanceIntent before = intent;
        before.fingerprint.reset();
        // The release before's intent is the first part of this release's.
        EXPECT_TRUE(EncodeIntent(intent).startsWith(IntentOfTheReleaseBefore(intent)));
        for (const auto& [bytes, decoded] : {std::pair(EncodeIntent(intent), intent),
                                             std::pair(IntentOfTheReleaseBefore(intent), before)}) {
            EXPECT_EQ(DecodeIntent(bytes), decoded);
            // Cut where the release before's part ends, it is that release's intent.
            const qsizetype part = IntentOfTheReleaseBefore(intent).size();
            for (qsizetype cut = 0; cut < bytes.size(); ++cut)
                EXPECT_EQ(DecodeIntent(bytes.left(cut)).has_value(), cut == part)
                    << "cut at " << cut;
            EXPECT_EQ(DecodeIntent(bytes.left(part)), bytes.size() > part ? before : decoded);
            EXPECT_FALSE(DecodeIntent(bytes + '\0'));
            for (qsizetype i = 0; i < bytes.size(); ++i) {
                QByteArray spoilt = bytes;
                spoilt[i] = char(spoilt[i] ^ 0x10);
                EXPECT_FALSE(DecodeIntent(spoilt)) << "byte " << i;
            }
        }
    }
    // A record number outside the file it names cannot be undone.
    EXPECT_FALSE(DecodeIntent(EncodeIntent(
        {MaintenanceIntent::Kind::Delete, 3, 2 * kRecordSize, Record(3), {}, std::nullopt})));
    EXPECT_FALSE(DecodeIntent(EncodeIntent(
        {MaintenanceIntent::Kind::Delete, 0, kRecordSize, Record(1), {}, std::nullopt})));
}

TEST_F(MaintenanceFaultTest, ADeletionCutOffAtAnyStepLeavesTheFileBeforeOrAfter) {
    constexpr int kDeleted = 60000;
    const QByteArray after =
        original.left((kDeleted - 1) * kRecordSize) + original.mid(kDeleted * kRecordSize);
    // The units of a deletion, in order: the copy (emptied, then written),
    // the intent (the same), the move, then cutting, removing the intent and
    // removing the copy, one unit each.
    const qint64 copy = 1 + original.size();
    const qint64 intent = 1 + EncodeIntent({}).size();
    const qint64 move = (kRecords - kDeleted) * kRecordSize;
    struct Cut {
        const char* step;
        qint64 budget;
        bool completes;
    };
    const Cut cuts[] = {
        {"first byte of the copy", 2, false},
        {"middle of the copy", copy / 2, false},
        {"middle of the intent", copy + 1 + 58, false},
        {"first byte of the move", copy + intent + 1, false},
        {"middle of a record in the middle of the move", copy + intent + move / 2 + 13, false},
        {"last record of the move", copy + intent + move - 20, false},
        {"moved, before the file is cut short", copy + intent + move, false},
        // The file holds the finished deletion: recovery keeps it.
        {"cut short, before the intent is removed", copy + intent + move + 1, true},
        {"intent removed, before the copy is removed", copy + intent + move + 2, true},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.step);
        install.writeBytes(path, original);
        ChildProcess teacher(QStringLiteral("delete-cut"),
                             {folder, QString::number(cut.budget), QString::number(kDeleted)});
        ASSERT_EQ(teacher.finish(), -1) << "the cut was not reached";
        appendFromAnotherProcess();
        bool wasAfter = false;
        expectBeforeOrAfter(after, wasAfter);
        EXPECT_EQ(wasAfter, cut.completes);
    }
}

// An antivirus scanner or the search indexer holds the intent or the copy
// just after the change landed: removing it is refused for a moment (or for
// longer than the program waits). The change is done either way; an intent
// left behind is cleared by the next writer.
TEST_F(MaintenanceFaultTest, AHoldOnTheIntentOrTheCopyAfterTheChangeLandedIsNoFailure) {
    constexpr int kDeleted = 500;
    const QByteArray deleted =
        original.left((kDeleted - 1) * kRecordSize) + original.mid(kDeleted * kRecordSize);
    QByteArray changed = original;
    changed.replace((kChanged - 1) * kRecordSize, kRecordSize, Edited());
    enum class Held { Intent, Copy };
    struct Row {
        bool deletion;
        Held held;
        int refusals; // removals refused with a sharing violation, then allowed
        bool intentLeft;
    };
    const Row rows[] = {
        {false, Held::Intent, 3, false},     {true, Held::Intent, 3, false},
        {true, Held::Copy, 3, false},        {false, Held::Intent, 1 << 30, true},
        {true, Held::Intent, 1 << 30, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.deletion << int(row.held) << row.refusals);
        install.writeBytes(path, original);
        const QString held =
            row.held == Held::Intent ? ResultsIntentPathBeside(path) : ResultsCopyPathBeside(path);
        int refusals = row.refusals;
        platform::OverrideFileCall(
            platform::FileCall::Remove,
            [&](const QString& removed, qint64 length, const platform::SystemFileCall& system) {
                if (removed != held || refusals == 0) return system(0, length);
                --refusals;
                return EAGAIN;
            });
        const MaintenanceOutcome outcome =
            row.deletion ? DeleteRecord(folder, kDeleted, Record(kDeleted))
                         : ChangeRecord(path, kChanged, Record(kChanged), Edited());
        platform::RestoreFileCalls();
        EXPECT_EQ(outcome, MaintenanceOutcome::Done);
        EXPECT_EQ(QFileInfo::exists(ResultsIntentPathBeside(path)), row.intentLeft);
        appendFromAnotherProcess();
        EXPECT_EQ(FileBytes(path), (row.deletion ? deleted : changed) + Record(kRecords + 1));
        EXPECT_FALSE(QFileInfo::exists(ResultsIntentPathBeside(path)));
    }
}

TEST_F(MaintenanceFaultTest, AChangeCutOffAtAnyStepLeavesTheFileBeforeOrAfter) {
    const QByteArray after = original.left((kChanged - 1) * kRecordSize) + Edited() +
                             original.mid(kChanged * kRecordSize);
    const qint64 intent = 1 + EncodeIntent({}).size();
    struct Cut {
        qint64 budget;
        bool completes;
    };
    // A record part-written is put back; one whose differing bytes are all
    // down (the student at 16, the result at 20 and 21) is the new record.
    for (const Cut cut :
         {Cut{1, false}, Cut{60, false}, Cut{intent, false}, Cut{intent + 1, false},
          Cut{intent + 17, false}, Cut{intent + 22, true}, Cut{intent + kRecordSize, true}}) {
        SCOPED_TRACE(cut.budget);
        install.writeBytes(path, original);
        ChildProcess teacher(QStringLiteral("change-cut"), {path, QString::number(cut.budget)});
        ASSERT_EQ(teacher.finish(), -1) << "the cut was not reached";
        appendFromAnotherProcess();
        bool wasAfter = false;
        expectBeforeOrAfter(after, wasAfter);
        EXPECT_EQ(wasAfter, cut.completes);
    }
}

TEST_F(MaintenanceFaultTest, ADeletionKilledAtRandomMomentsLeavesTheFileBeforeOrAfter) {
    constexpr int kDeleted = 5;
    const QByteArray after =
        original.left((kDeleted - 1) * kRecordSize) + original.mid(kDeleted * kRecordSize);
    const QStringList order{folder, QString::number(kDeleted)};
    // How long a whole deletion takes here, to spread the kills over it.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ChildProcess(QStringLiteral("delete-slow"), order).finish(), 0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::mt19937 random(20261209);
    int cutOff = 0;
    for (int round = 0; round < 12; ++round) {
        install.writeBytes(path, original);
        ChildProcess teacher(QStringLiteral("delete-slow"), order);
        std::this_thread::sleep_for(std::chrono::microseconds(
            std::uniform_int_distribution<long>(0, took.count())(random)));
        const bool ended = !teacher.isRunning();
        teacher.kill();
        cutOff += !ended;
        appendFromAnotherProcess();
        bool wasAfter = false;
        expectBeforeOrAfter(after, wasAfter);
        if (ended) {
            EXPECT_TRUE(wasAfter);
        }
    }
    RecordProperty("cut_off", cutOff);
}

TEST_F(MaintenanceFaultTest, AReaderNeverSeesAHalfDoneDeletion) {
    ChildProcess teacher(QStringLiteral("deleter"), {folder});
    int reads = 0;
    int busy = 0;
    while (teacher.isRunning() || reads == 0) {
        QByteArray bytes;
        try {
            bytes = ReadWholeResultsFile(path);
        } catch (const FileAccessError& error) {
            ASSERT_EQ(error.errorNumber(), EAGAIN);
            ++busy;
            continue;
        }
        ++reads;
        ASSERT_EQ(bytes.size() % kRecordSize, 0);
        const int done = kRecords - int(bytes.size() / kRecordSize);
        ASSERT_GE(done, 0);
        ASSERT_LE(done, kDeletions);
        // Exactly the first `done` deletions are missing, nothing moved twice.
        QByteArray expected = original;
        for (int j = done - 1; j >= 0; --j)
            expected.remove(qsizetype(DeletedId(j) - 1) * kRecordSize, kRecordSize);
        ASSERT_TRUE(bytes == expected) << "read " << reads << " after " << done << " deletions";
    }
    EXPECT_EQ(teacher.finish(), 0);
    EXPECT_GT(reads, 1);
    RecordProperty("busy_reads", busy);
}

TEST_F(MaintenanceFaultTest, ACopyThatDoesNotMatchTheIntentIsSetAsideAndTheFileKept) {
    install.writeBytes(ResultsCopyPathBeside(path), original.left(kRecordSize * 10));
    install.writeBytes(
        ResultsIntentPathBeside(path),
        EncodeIntent(
            {MaintenanceIntent::Kind::Delete, 3, original.size(), Record(3), {}, std::nullopt}));
    AppendRecord(path, DecodeRecord(Record(kRecords + 1).constData()));
    EXPECT_TRUE(FileBytes(path) == original + Record(kRecords + 1));
    EXPECT_FALSE(QFileInfo::exists(ResultsIntentPathBeside(path)));
    EXPECT_FALSE(QFileInfo::exists(ResultsCopyPathBeside(path)));
    const QStringList aside = QDir(folder).entryList({QStringLiteral("*-*.dat")}, QDir::Files);
    EXPECT_EQ(aside.size(), 2) << aside.join(u' ').toStdString();
}

// ---- Recovery decides from what the file holds --------------------------
//
// A deletion or change is cut off (a child process re-executed from this test
// binary kills itself at a chosen unit of its writes), then something happens
// before any writer of this release comes by. A reader in that state must see
// what recovery will leave and write nothing; the writer then leaves exactly
// that file and sets aside only an intent that fits no state of it.

constexpr int kTableRecords = 3000;
constexpr int kTarget = 1700; // the record deleted or changed
constexpr int kAppends = 3;

// Three students over seven levels; the target record is student 1's only
// 5-second run of level 1, so counts and best times show whether it is there.
QByteArray ClassRecord(int i) {
    ResultRecord r;
    r.date = 46365 - i % 20; // the days before 2026-12-09
    r.timeOfDay = double(i) / 100000;
    r.student = int16_t(1 + i % 3);
    r.level = int16_t(1 + i % 7);
    r.result = i == kTarget ? 5 : 40 + i % 50;
    r.classroomCode = QStringLiteral("A0001");
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return EncodeRecord(r);
}

void LayOutClassroom(const TempInstall& install) {
    install.writeClassroom(QStringLiteral("60,120,10,1,1,1,0,7,1,0,0,0"),
                           QStringLiteral("1,2015,0,0,\"一郎\",0,\"\",\"\"\n"
                                          "2,2015,0,0,\"次郎\",0,\"\",\"\"\n"
                                          "3,2014,0,0,\"三郎\",0,\"\",\"\"\n"));
}

// drill-stats over the installation: what a teacher's read-only command shows.
QByteArray DrillStatsOutput(const TempInstall& install) {
    QProcess process;
    process.start(
        QStringLiteral(DRILL_STATS_PATH),
        {QStringLiteral("--now"), QStringLiteral("2026-12-09 10:00:00"), install.programFolder()});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return "drill-stats failed: " + process.readAllStandardError();
    return process.readAllStandardOutput();
}

// Every file of the folder with its bytes.
std::map<QString, QByteArray> FolderContents(const QString& folder) {
    std::map<QString, QByteArray> contents;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        contents[name] = FileBytes(folder + name);
    return contents;
}

// Runs `order` in a child process of this test; true when it was killed, as
// the operations of the table are.
bool KilledInChild(const QString& order) {
    return ChildProcess(QStringLiteral("order"), {order}).finish() == -1;
}

// A machine that does not see the intent (an older release, or a network
// client whose folder listing lags) appends without recovering; under the
// lock, or without it when its lock on a network share was lost.
void AppendUnaware(const QString& path, const QByteArray& records, bool underLock = true) {
    const ResultsFileHandle file(path, true);
    if (underLock) LockWholeFile(file, LockKind::Exclusive, true);
    WriteExactly(file, records.constData(), records.size(),
                 file.size() / kRecordSize * kRecordSize);
}

// What a child of the tests below does, from "delete|change|append-without-lock
// folder budget"; returns only in the test runner itself.
void ObeyOrder() {
    if (ChildRole() != QStringLiteral("order")) return;
    const QStringList order = ChildArguments().value(0).split(u'|');
    const QString folder = order[1];
    if (order[0] == QStringLiteral("append-without-lock")) {
        AppendUnaware(folder + kResultsFileName, ClassRecord(order[2].toInt()), false);
        CutPower(); // the parent tells this end from a failure
    }
    const PowerCut cut(order[2].toLongLong());
    if (order[0] == QStringLiteral("delete"))
        DeleteRecord(folder, kTarget, ClassRecord(kTarget));
    else
        ChangeRecord(folder + kResultsFileName, kTarget, ClassRecord(kTarget),
                     WithStudentAndResult(ClassRecord(kTarget), 2, 77));
    ExitChild(1); // the operation ran to its end
}

// The deletion's steps, with another machine appending right after one of
// them (the safety copy synced, the intent written, a write of the move): its
// lock lost on a network share, or a machine that takes none.
class IntrudedWrites {
  public:
    enum class After { Copy, Intent, Move };
    IntrudedWrites(After after, const QString& folder) {
        const QString results = folder + kResultsFileName;
        const QString copy = ResultsCopyPathBeside(results);
        const QString intent = ResultsIntentPathBeside(results);
        const auto intrudeAfter = [=](const QString& on) {
            return [=](const QString& path, qint64 length, const SystemFileCall& system) {
                const int error = system(0, length);
                if (path == on) Intrude(folder);
                return error;
            };
        };
        if (after == After::Copy)
            platform::OverrideFileCall(FileCall::Sync, intrudeAfter(copy));
        else
            platform::OverrideFileCall(FileCall::Write,
                                       intrudeAfter(after == After::Intent ? intent : results));
    }
    ~IntrudedWrites() { platform::RestoreFileCalls(); }
    IntrudedWrites(const IntrudedWrites&) = delete;
    IntrudedWrites& operator=(const IntrudedWrites&) = delete;

    static constexpr int kIntruder = 7777;

  private:
    static void Intrude(const QString& folder) {
        ASSERT_TRUE(
            KilledInChild(QStringLiteral("append-without-lock|%1|%2").arg(folder).arg(kIntruder)));
    }
};

enum class Crash {
    CopyHalfWritten,   // no intent yet
    IntentHalfWritten, // the file untouched
    MoveHalfDone,
    MovedNotCut,
    CutNotFinished,    // the deletion's file is whole, its intent still there
    IntentRemovedOnly, // the copy left alone
    ChangeIntentOnly,
    ChangeHalfWritten,
    ChangeWritten,
};
enum class Meanwhile {
    Nothing,
    UnawareAppends,
    OtherFileElsewhere,
    CopyDeleted,
    CopyCutShort,
    FileEndsBeforeTarget
};
// What the file holds when the writer has recovered (its own append aside).
enum class Holds { Before, After, AsLeft };
enum class Aside { None, Intent, IntentAndCopy };

struct RecoveryRow {
    Crash crash;
    Meanwhile meanwhile;
    Holds holds;
    Aside aside;
    bool copyStays; // a copy without an intent, under its own name
};

class RecoveryTable : public ::testing::Test {
  protected:
    void SetUp() override { ObeyOrder(); }

    const QByteArray original = Records(1, kTableRecords, ClassRecord);
    const QByteArray deleted =
        original.left((kTarget - 1) * kRecordSize) + original.mid(kTarget * kRecordSize);
    const QByteArray changed = original.left((kTarget - 1) * kRecordSize) +
                               WithStudentAndResult(ClassRecord(kTarget), 2, 77) +
                               original.mid(kTarget * kRecordSize);
    const QByteArray appended = Records(kTableRecords + 1, kTableRecords + kAppends, ClassRecord);
    const QByteArray other = Records(kTableRecords + 10, 2 * kTableRecords + 9, ClassRecord);

    static bool IsChange(Crash crash) {
        return crash == Crash::ChangeIntentOnly || crash == Crash::ChangeHalfWritten ||
               crash == Crash::ChangeWritten;
    }

    static QString OrderFor(Crash crash, const QString& folder) {
        const qint64 copy = 1 + qint64(kTableRecords) * kRecordSize;
        const qint64 intent = 1 + EncodeIntent({}).size();
        const qint64 move = qint64(kTableRecords - kTarget) * kRecordSize;
        const auto budget = [&]() -> qint64 {
            switch (crash) {
            case Crash::CopyHalfWritten:
                return copy / 2;
            case Crash::IntentHalfWritten:
                return copy + 60;
            case Crash::MoveHalfDone:
                return copy + intent + move / 2 + 13;
            case Crash::MovedNotCut:
                return copy + intent + move;
            case Crash::CutNotFinished:
                return copy + intent + move + 1;
            case Crash::IntentRemovedOnly:
                return copy + intent + move + 2;
            case Crash::ChangeIntentOnly:
                return intent;
            case Crash::ChangeHalfWritten: // the student, not the result
                return intent + 17;
            case Crash::ChangeWritten:
                return intent + kRecordSize;
            }
            return 0;
        }();
        return QStringLiteral("%1|%2|%3")
            .arg(IsChange(crash) ? QStringLiteral("change") : QStringLiteral("delete"), folder)
            .arg(budget);
    }

    // Does what happens between the crash and recovery; returns the folder
    // recovery then works in.
    QString happen(Meanwhile meanwhile, const TempInstall& install,
                   const TempInstall& elsewhere) const {
        const QString folder = install.dataFolder();
        const QString path = folder + kResultsFileName;
        const QString copy = ResultsCopyPathBeside(path);
        switch (meanwhile) {
        case Meanwhile::Nothing:
            break;
        case Meanwhile::UnawareAppends:
            for (int k = 0; k < kAppends; ++k)
                AppendUnaware(path, appended.mid(k * kRecordSize, kRecordSize));
            break;
        case Meanwhile::OtherFileElsewhere:
            for (const auto& [name, bytes] : FolderContents(folder))
                elsewhere.writeBytes(elsewhere.dataFolder() + name, bytes);
            elsewhere.writeBytes(elsewhere.dataFolder() + kResultsFileName, other);
            return elsewhere.dataFolder();
        case Meanwhile::CopyDeleted:
            QFile::remove(copy);
            break;
        case Meanwhile::CopyCutShort:
            if (QFileInfo::exists(copy)) QFile::resize(copy, QFileInfo(copy).size() / 2);
            break;
        case Meanwhile::FileEndsBeforeTarget:
            QFile::resize(path, (kTarget - 1) * kRecordSize);
            break;
        }
        return folder;
    }

    QByteArray expected(const RecoveryRow& row, const QByteArray& asLeft) const {
        const QByteArray extra =
            row.meanwhile == Meanwhile::UnawareAppends ? appended : QByteArray();
        switch (row.holds) {
        case Holds::Before:
            return original + extra;
        case Holds::After:
            return (IsChange(row.crash) ? changed : deleted) + extra;
        case Holds::AsLeft:
            return asLeft;
        }
        return {};
    }
};

TEST_F(RecoveryTable, RecoveryLeavesTheFileTheStateItFindsAndSetsAsideWhatFitsNone) {
    using C = Crash;
    using M = Meanwhile;
    using H = Holds;
    using A = Aside;
    const RecoveryRow rows[] = {
        // Cut off while copying: there is no intent, the file is as it was.
        {C::CopyHalfWritten, M::Nothing, H::Before, A::None, true},
        {C::CopyHalfWritten, M::UnawareAppends, H::Before, A::None, true},
        {C::CopyHalfWritten, M::OtherFileElsewhere, H::AsLeft, A::None, true},
        {C::CopyHalfWritten, M::CopyDeleted, H::Before, A::None, false},
        {C::CopyHalfWritten, M::CopyCutShort, H::Before, A::None, true},
        {C::CopyHalfWritten, M::FileEndsBeforeTarget, H::AsLeft, A::None, true},
        // An intent cut short was never synced: nothing to do but remove it.
        {C::IntentHalfWritten, M::Nothing, H::Before, A::None, false},
        {C::IntentHalfWritten, M::UnawareAppends, H::Before, A::None, false},
        {C::IntentHalfWritten, M::OtherFileElsewhere, H::AsLeft, A::None, false},
        {C::IntentHalfWritten, M::CopyDeleted, H::Before, A::None, false},
        {C::IntentHalfWritten, M::CopyCutShort, H::Before, A::None, false},
        {C::IntentHalfWritten, M::FileEndsBeforeTarget, H::AsLeft, A::None, false},
        // Part of the move: put back from the copy, later appends kept.
        {C::MoveHalfDone, M::Nothing, H::Before, A::None, false},
        {C::MoveHalfDone, M::UnawareAppends, H::Before, A::None, false},
        {C::MoveHalfDone, M::OtherFileElsewhere, H::AsLeft, A::IntentAndCopy, false},
        {C::MoveHalfDone, M::CopyDeleted, H::AsLeft, A::Intent, false},
        {C::MoveHalfDone, M::CopyCutShort, H::AsLeft, A::IntentAndCopy, false},
        {C::MoveHalfDone, M::FileEndsBeforeTarget, H::AsLeft, A::IntentAndCopy, false},
        {C::MovedNotCut, M::Nothing, H::Before, A::None, false},
        {C::MovedNotCut, M::UnawareAppends, H::Before, A::None, false},
        {C::MovedNotCut, M::OtherFileElsewhere, H::AsLeft, A::IntentAndCopy, false},
        {C::MovedNotCut, M::CopyDeleted, H::AsLeft, A::Intent, false},
        {C::MovedNotCut, M::CopyCutShort, H::AsLeft, A::IntentAndCopy, false},
        {C::MovedNotCut, M::FileEndsBeforeTarget, H::AsLeft, A::IntentAndCopy, false},
        // A finished deletion is kept, with or without its copy.
        {C::CutNotFinished, M::Nothing, H::After, A::None, false},
        {C::CutNotFinished, M::UnawareAppends, H::After, A::None, false},
        {C::CutNotFinished, M::OtherFileElsewhere, H::AsLeft, A::IntentAndCopy, false},
        {C::CutNotFinished, M::CopyDeleted, H::After, A::None, false},
        {C::CutNotFinished, M::CopyCutShort, H::After, A::None, false},
        {C::CutNotFinished, M::FileEndsBeforeTarget, H::AsLeft, A::IntentAndCopy, false},
        // Only the copy was left: no intent, nothing to recover.
        {C::IntentRemovedOnly, M::Nothing, H::After, A::None, true},
        {C::IntentRemovedOnly, M::UnawareAppends, H::After, A::None, true},
        {C::IntentRemovedOnly, M::OtherFileElsewhere, H::AsLeft, A::None, true},
        {C::IntentRemovedOnly, M::CopyDeleted, H::After, A::None, false},
        {C::IntentRemovedOnly, M::CopyCutShort, H::After, A::None, true},
        {C::IntentRemovedOnly, M::FileEndsBeforeTarget, H::AsLeft, A::None, true},
        // A change: the old record, part of the new one, or all of it.
        {C::ChangeIntentOnly, M::Nothing, H::Before, A::None, false},
        {C::ChangeIntentOnly, M::UnawareAppends, H::Before, A::None, false},
        {C::ChangeIntentOnly, M::OtherFileElsewhere, H::AsLeft, A::Intent, false},
        {C::ChangeIntentOnly, M::CopyDeleted, H::Before, A::None, false},
        {C::ChangeIntentOnly, M::CopyCutShort, H::Before, A::None, false},
        {C::ChangeIntentOnly, M::FileEndsBeforeTarget, H::AsLeft, A::Intent, false},
        {C::ChangeHalfWritten, M::Nothing, H::Before, A::None, false},
        {C::ChangeHalfWritten, M::UnawareAppends, H::Before, A::None, false},
        {C::ChangeHalfWritten, M::OtherFileElsewhere, H::AsLeft, A::Intent, false},
        {C::ChangeHalfWritten, M::CopyDeleted, H::Before, A::None, false},
        {C::ChangeHalfWritten, M::CopyCutShort, H::Before, A::None, false},
        {C::ChangeHalfWritten, M::FileEndsBeforeTarget, H::AsLeft, A::Intent, false},
        {C::ChangeWritten, M::Nothing, H::After, A::None, false},
        {C::ChangeWritten, M::UnawareAppends, H::After, A::None, false},
        {C::ChangeWritten, M::OtherFileElsewhere, H::AsLeft, A::Intent, false},
        {C::ChangeWritten, M::CopyDeleted, H::After, A::None, false},
        {C::ChangeWritten, M::CopyCutShort, H::After, A::None, false},
        {C::ChangeWritten, M::FileEndsBeforeTarget, H::AsLeft, A::Intent, false},
    };
    TempInstall reference;
    LayOutClassroom(reference);
    const QByteArray run = ClassRecord(9999);
    for (const RecoveryRow& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "crash " << int(row.crash) << ", meanwhile " << int(row.meanwhile));
        TempInstall install;
        TempInstall elsewhere;
        LayOutClassroom(install);
        LayOutClassroom(elsewhere);
        install.writeBytes(install.dataFolder() + kResultsFileName, original);
        ASSERT_TRUE(KilledInChild(OrderFor(row.crash, install.dataFolder())));
        const QString folder = happen(row.meanwhile, install, elsewhere);
        const QString path = folder + kResultsFileName;
        const QByteArray want = expected(row, FileBytes(path));

        // A reader sees what recovery will leave, and writes nothing.
        const auto before = FolderContents(folder);
        EXPECT_TRUE(ReadWholeResultsFile(path) == want);
        reference.writeBytes(reference.dataFolder() + kResultsFileName, want);
        EXPECT_EQ(DrillStatsOutput(folder == install.dataFolder() ? install : elsewhere),
                  DrillStatsOutput(reference));
        EXPECT_TRUE(FolderContents(folder) == before) << "a reader changed a file";

        // The next writer recovers; the teacher is told once.
        QString told;
        for (int writer = 0; writer < 2; ++writer) {
            const ResultsFileHandle file(path, true);
            const ResultsFileLock lock(file);
            if (writer == 0)
                told = lock.setAsideNotice();
            else
                EXPECT_TRUE(lock.setAsideNotice().isEmpty());
        }
        AppendRecord(path, DecodeRecord(run.constData()));
        EXPECT_TRUE(FileBytes(path) == want + run);
        EXPECT_FALSE(QFileInfo::exists(ResultsIntentPathBeside(path)));
        EXPECT_EQ(QFileInfo::exists(ResultsCopyPathBeside(path)), row.copyStays);
        const QDir dir(folder);
        const auto count = [&](const QString& pattern) {
            return dir.entryList({pattern}, QDir::Files).size();
        };
        EXPECT_EQ(count(QStringLiteral("成績累積データjournal-*.dat")),
                  qsizetype(row.aside != Aside::None));
        EXPECT_EQ(count(QStringLiteral("成績累積データtemp-*.dat")),
                  qsizetype(row.aside == Aside::IntentAndCopy));
        EXPECT_EQ(told.isEmpty(), row.aside == Aside::None) << told.toStdString();
        EXPECT_TRUE(told.isEmpty() || told.contains(QStringLiteral("控えを移しました")));
    }
}

TEST(DeletionCheck, ADeletionStopsWhenAnotherMachineWroteTheFileAndRecoveryKeepsItsRecord) {
    ObeyOrder();
    using After = IntrudedWrites::After;
    const QByteArray original = Records(1, kTableRecords, ClassRecord);
    const QByteArray intruder = ClassRecord(IntrudedWrites::kIntruder);
    const QByteArray run = ClassRecord(9999);
    struct Row {
        After after;
        bool intentStays; // the deletion had begun to change the file
    };
    for (const Row row :
         {Row{After::Copy, false}, Row{After::Intent, true}, Row{After::Move, true}}) {
        SCOPED_TRACE(int(row.after));
        TempInstall install;
        const QString folder = install.dataFolder();
        const QString path = folder + kResultsFileName;
        install.writeBytes(path, original);
        {
            const IntrudedWrites intruding(row.after, folder);
            EXPECT_THROW(DeleteRecord(folder, kTarget, ClassRecord(kTarget)), DataFileError);
        }
        EXPECT_EQ(QFileInfo::exists(ResultsIntentPathBeside(path)), row.intentStays);
        // Every record is read whole, the intruder's after them.
        EXPECT_TRUE(ReadWholeResultsFile(path) == original + intruder);
        AppendRecord(path, DecodeRecord(run.constData()));
        EXPECT_TRUE(FileBytes(path) == original + intruder + run);
        EXPECT_FALSE(QFileInfo::exists(ResultsIntentPathBeside(path)));
        EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*-*.dat")}, QDir::Files).isEmpty());
    }
}

} // namespace
