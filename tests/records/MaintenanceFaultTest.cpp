// A teacher's change or deletion cut off at any moment: the process is killed
// (for real, by SIGKILL) at chosen bytes of its writes or at a random time,
// then another process appends. The file must hold every original record once
// (without the deleted one only when the deletion was complete), then the
// appended one, and no intent may be left beside it.

#include "records/RecordMaintenance.h"
#include "records/ResultsFile.h"
#include "records/ResultsJournal.h"

#include "TestDoubles.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

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

QByteArray Records(int first, int last) {
    QByteArray bytes;
    bytes.reserve((last - first + 1) * kRecordSize);
    for (int i = first; i <= last; ++i)
        bytes += Record(i);
    return bytes;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The writes of one operation, killing the process after `budget` units: a
// byte written or copied is one unit, a truncation or removal another. The
// write that crosses the budget puts down only its first bytes, the way a
// power cut stops a write part-way.
class PowerCut : public MaintenanceWrites {
  public:
    explicit PowerCut(qint64 budget) : budget_(budget) {}

    void write(const ResultsFileHandle& file, const char* buffer, qint64 length,
               qint64 offset) override {
        const qint64 allowed = std::min(length, budget_);
        MaintenanceWrites::write(file, buffer, allowed, offset);
        spend(allowed, length);
    }
    void copy(const ResultsFileHandle& source, const ResultsFileHandle& target,
              qint64 length) override {
        // Through write(), so a copy can be cut part-way too.
        QByteArray bytes(length, Qt::Uninitialized);
        ReadExactly(source, bytes.data(), length, 0);
        write(target, bytes.constData(), length, 0);
    }
    void truncate(const ResultsFileHandle& file, qint64 length) override {
        spend(0, 1);
        MaintenanceWrites::truncate(file, length);
        budget_ -= 1;
    }
    void remove(const QString& path) override {
        spend(0, 1);
        MaintenanceWrites::remove(path);
        budget_ -= 1;
    }

  private:
    void spend(qint64 done, qint64 wanted) {
        if (done < wanted && budget_ - done <= 0) ::raise(SIGKILL);
        budget_ -= done;
    }
    qint64 budget_;
};

// A slow network share: writes go down in small pieces with pauses between,
// so that a file stays half moved for long enough to be seen or cut off.
class SlowShare : public MaintenanceWrites {
  public:
    void write(const ResultsFileHandle& file, const char* buffer, qint64 length,
               qint64 offset) override {
        constexpr qint64 kPiece = 64 << 10;
        for (qint64 done = 0; done < length; done += kPiece) {
            MaintenanceWrites::write(file, buffer + done, std::min(kPiece, length - done),
                                     offset + done);
            ::usleep(100);
        }
    }
};

class MaintenanceFaultTest : public ::testing::Test {
  protected:
    TempInstall install;
    QString folder = install.dataFolder();
    QString path = folder + kResultsFileName;
    QByteArray original = Records(1, kRecords);

    void SetUp() override { install.writeBytes(path, original); }

    // Runs the operation in a child process and returns how that ended.
    template <typename Operation> int runInChild(Operation operation) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int status = 0;
            try {
                operation();
            } catch (...) {
                status = 3;
            }
            ::_exit(status);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }

    // Another machine finishes a drill: its append takes the lock first.
    void appendFromAnotherProcess() {
        const int status = runInChild(
            [this] { AppendRecord(path, DecodeRecord(Record(kRecords + 1).constData())); });
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

TEST(MaintenanceIntent, RoundTripsAndRefusesAnythingButAWholeIntent) {
    const MaintenanceIntent change{MaintenanceIntent::Kind::Change, 7, 7 * kRecordSize + 3,
                                   Record(7), Record(8)};
    const MaintenanceIntent deletion{
        MaintenanceIntent::Kind::Delete, 1, kRecordSize, Record(1), {}};
    for (const MaintenanceIntent& intent : {change, deletion}) {
        const QByteArray bytes = EncodeIntent(intent);
        EXPECT_EQ(DecodeIntent(bytes), intent);
        for (qsizetype cut = 0; cut < bytes.size(); ++cut)
            EXPECT_FALSE(DecodeIntent(bytes.left(cut))) << "cut at " << cut;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            QByteArray spoilt = bytes;
            spoilt[i] = char(spoilt[i] ^ 0x10);
            EXPECT_FALSE(DecodeIntent(spoilt)) << "byte " << i;
        }
    }
    // A record number outside the file it names cannot be undone.
    EXPECT_FALSE(DecodeIntent(
        EncodeIntent({MaintenanceIntent::Kind::Delete, 3, 2 * kRecordSize, Record(3), {}})));
    EXPECT_FALSE(DecodeIntent(
        EncodeIntent({MaintenanceIntent::Kind::Delete, 0, kRecordSize, Record(1), {}})));
}

TEST_F(MaintenanceFaultTest, ADeletionCutOffAtAnyStepLeavesTheFileBeforeOrAfter) {
    constexpr int kDeleted = 60000;
    const QByteArray after =
        original.left((kDeleted - 1) * kRecordSize) + original.mid(kDeleted * kRecordSize);
    // The units of a deletion, in order: the copy (emptied, then written),
    // the intent (the same), the move, then cutting, removing the intent and
    // removing the copy, one unit each.
    const qint64 copy = 1 + original.size();
    const qint64 intent = 1 + 116;
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
        {"cut short, before the intent is removed", copy + intent + move + 1, false},
        {"intent removed, before the copy is removed", copy + intent + move + 2, true},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.step);
        install.writeBytes(path, original);
        const int status = runInChild([&] {
            PowerCut writes(cut.budget);
            DeleteRecord(folder, kDeleted, Record(kDeleted), writes);
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the cut was not reached";
        appendFromAnotherProcess();
        bool wasAfter = false;
        expectBeforeOrAfter(after, wasAfter);
        EXPECT_EQ(wasAfter, cut.completes);
    }
}

TEST_F(MaintenanceFaultTest, AChangeCutOffAtAnyStepLeavesTheFileBeforeOrAfter) {
    constexpr int kChanged = 777;
    const QByteArray edited = WithStudentAndResult(Record(kChanged), 12, 34);
    const QByteArray after =
        original.left((kChanged - 1) * kRecordSize) + edited + original.mid(kChanged * kRecordSize);
    const qint64 intent = 1 + 116;
    for (const qint64 budget :
         {qint64(1), qint64(60), intent, intent + 1, intent + 22, intent + kRecordSize}) {
        SCOPED_TRACE(budget);
        install.writeBytes(path, original);
        const int status = runInChild([&] {
            PowerCut writes(budget);
            ChangeRecord(path, kChanged, Record(kChanged), edited, writes);
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        appendFromAnotherProcess();
        bool wasAfter = false;
        expectBeforeOrAfter(after, wasAfter);
        EXPECT_FALSE(wasAfter); // the intent was still there: the change is undone
    }
}

TEST_F(MaintenanceFaultTest, ADeletionKilledAtRandomMomentsLeavesTheFileBeforeOrAfter) {
    constexpr int kDeleted = 5;
    const QByteArray after =
        original.left((kDeleted - 1) * kRecordSize) + original.mid(kDeleted * kRecordSize);
    // How long a whole deletion takes here, to spread the kills over it.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runInChild([&] {
                  SlowShare writes;
                  DeleteRecord(folder, kDeleted, Record(kDeleted), writes);
              }),
              0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::mt19937 random(20261209);
    int cutOff = 0;
    for (int round = 0; round < 12; ++round) {
        install.writeBytes(path, original);
        const pid_t pid = ::fork();
        if (pid == 0) {
            SlowShare writes;
            DeleteRecord(folder, kDeleted, Record(kDeleted), writes);
            ::_exit(0);
        }
        ::usleep(useconds_t(std::uniform_int_distribution<long>(0, took.count())(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        cutOff += WIFSIGNALED(status);
        appendFromAnotherProcess();
        bool wasAfter = false;
        expectBeforeOrAfter(after, wasAfter);
        if (WIFEXITED(status)) {
            EXPECT_TRUE(wasAfter);
        }
    }
    RecordProperty("cut_off", cutOff);
}

TEST_F(MaintenanceFaultTest, AReaderNeverSeesAHalfDoneDeletion) {
    constexpr int kDeletions = 40;
    // Deletion j removes the record that was 1000 + 2000 j in the original file.
    auto deletedId = [](int j) { return 1000 + 2000 * j; };
    const pid_t deleter = ::fork();
    if (deleter == 0) {
        SlowShare writes;
        int status = 0;
        for (int j = 0; j < kDeletions && status == 0; ++j) {
            if (DeleteRecord(folder, deletedId(j) - j, Record(deletedId(j)), writes) !=
                MaintenanceOutcome::Done)
                status = 1;
            ::usleep(10000); // a teacher's next click: readers get their turn
        }
        ::_exit(status);
    }
    int reads = 0;
    int busy = 0;
    int deleterStatus = -1;
    while (::waitpid(deleter, &deleterStatus, WNOHANG) == 0 || reads == 0) {
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
            expected.remove(qsizetype(deletedId(j) - 1) * kRecordSize, kRecordSize);
        ASSERT_TRUE(bytes == expected) << "read " << reads << " after " << done << " deletions";
    }
    EXPECT_TRUE(WIFEXITED(deleterStatus) && WEXITSTATUS(deleterStatus) == 0);
    EXPECT_GT(reads, 1);
    RecordProperty("busy_reads", busy);
}

TEST_F(MaintenanceFaultTest, ACopyThatDoesNotMatchTheIntentIsLeftForTheTeacher) {
    install.writeBytes(ResultsCopyPathBeside(path), original.left(kRecordSize * 10));
    install.writeBytes(
        ResultsIntentPathBeside(path),
        EncodeIntent({MaintenanceIntent::Kind::Delete, 3, original.size(), Record(3), {}}));
    try {
        AppendRecord(path, DecodeRecord(Record(kRecords + 1).constData()));
        FAIL() << "the append went ahead";
    } catch (const DataFileError& error) {
        EXPECT_TRUE(error.message().contains(kResultsIntentFileName));
    }
    EXPECT_TRUE(FileBytes(path) == original);
    EXPECT_TRUE(QFileInfo::exists(ResultsIntentPathBeside(path)));
}

} // namespace
