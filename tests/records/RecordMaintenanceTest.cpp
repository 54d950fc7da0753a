#include "records/RecordMaintenance.h"
#include "records/ResultsFile.h"

#include "ChildProcess.h"
#include "TestDoubles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <numeric>
#include <thread>

namespace {

ResultRecord MakeRecord(int student, int level, int result,
                        const QString& code = QStringLiteral("A0001")) {
    ResultRecord r;
    r.date = 46000 + result % 30;
    r.timeOfDay = 0.25 + level / 100.0;
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    r.classroomCode = code;
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return r;
}

QByteArray ExistingFileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class RecordMaintenanceTest : public ::testing::Test {
  protected:
    TempInstall install;
    QString folder = install.dataFolder();
    QString path = folder + kResultsFileName;

    // Records i = 1..count with student i, level 1 and result 10 + i.
    void writeRecords(int count, const QByteArray& tail = {}) {
        QByteArray bytes;
        for (int i = 1; i <= count; ++i)
            bytes += EncodeRecord(MakeRecord(i, 1, 10 + i));
        install.writeBytes(path, bytes + tail);
    }
    QByteArray record(int number) { return ReadRecordBytes(path, number).value(); }
    bool copyExists() const { return QFileInfo::exists(ResultsCopyPath(folder)); }
};

TEST_F(RecordMaintenanceTest, ChangingRecordFiveRewritesOnlyItsBytes) {
    writeRecords(7);
    const QByteArray before = ExistingFileBytes(path);
    const QByteArray old = record(5);

    EXPECT_EQ(ChangeRecord(path, 5, old, WithStudentAndResult(old, 12, 15)),
              MaintenanceOutcome::Done);

    const QByteArray after = ExistingFileBytes(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(176), before.left(176));
    EXPECT_EQ(after.mid(220), before.mid(220));
    EXPECT_NE(after.mid(176, 44), before.mid(176, 44));
    const ResultRecord changed = DecodeRecord(after.constData() + 176);
    ResultRecord expected = MakeRecord(5, 1, 15);
    expected.student = 12;
    EXPECT_EQ(changed, expected); // date, time, level and classroom code as they were
}

TEST_F(RecordMaintenanceTest, AnEditKeepsEveryByteItDoesNotChange) {
    QByteArray old = EncodeRecord(MakeRecord(3, 2, 40));
    old.replace(39, 5, "\x01\x02\x03\x04\x05");          // reserved bytes of another program
    old.replace(24, 5, QByteArray("\x82\xa0\xff  ", 5)); // a code that does not decode cleanly

    const QByteArray edited = WithStudentAndResult(old, 4321, 99999);

    const ResultRecord decoded = DecodeRecord(edited.constData());
    EXPECT_EQ(decoded.student, 4321);
    EXPECT_EQ(decoded.result, 99999);
    EXPECT_EQ(edited.left(16), old.left(16));
    EXPECT_EQ(edited.mid(18, 2), old.mid(18, 2));
    EXPECT_EQ(edited.mid(24), old.mid(24));
}

TEST_F(RecordMaintenanceTest, NothingIsWrittenWhenTheRecordIsNotTheOneShown) {
    writeRecords(3);
    const QByteArray before = ExistingFileBytes(path);
    const QByteArray second = record(2);
    const QByteArray third = record(3);

    // Stale contents, a number past the end, a malformed expectation.
    EXPECT_EQ(ChangeRecord(path, 3, second, WithStudentAndResult(second, 9, 9)),
              MaintenanceOutcome::RecordChanged);
    EXPECT_EQ(ChangeRecord(path, 4, third, WithStudentAndResult(third, 9, 9)),
              MaintenanceOutcome::RecordChanged);
    EXPECT_EQ(ChangeRecord(path, 0, third, WithStudentAndResult(third, 9, 9)),
              MaintenanceOutcome::RecordChanged);
    EXPECT_EQ(DeleteRecord(folder, 3, second), MaintenanceOutcome::RecordChanged);
    EXPECT_EQ(DeleteRecord(folder, 4, third), MaintenanceOutcome::RecordChanged);
    EXPECT_EQ(DeleteRecord(folder, 2, QByteArray()), MaintenanceOutcome::RecordChanged);

    EXPECT_EQ(ExistingFileBytes(path), before);
    EXPECT_FALSE(copyExists());
}

TEST_F(RecordMaintenanceTest, DeletingRecordTwoOfThreeMovesTheThirdUp) {
    writeRecords(3);
    const QByteArray before = ExistingFileBytes(path);

    EXPECT_EQ(DeleteRecord(folder, 2, record(2)), MaintenanceOutcome::Done);

    EXPECT_EQ(ExistingFileBytes(path), before.left(44) + before.mid(88));
    EXPECT_FALSE(copyExists());
}

TEST_F(RecordMaintenanceTest, DeletingTheFirstOrLastRecordOrTheOnlyOne) {
    writeRecords(3);
    const QByteArray before = ExistingFileBytes(path);
    EXPECT_EQ(DeleteRecord(folder, 3, record(3)), MaintenanceOutcome::Done);
    EXPECT_EQ(ExistingFileBytes(path), before.left(88));
    EXPECT_EQ(DeleteRecord(folder, 1, record(1)), MaintenanceOutcome::Done);
    EXPECT_EQ(ExistingFileBytes(path), before.mid(44, 44));
    EXPECT_EQ(DeleteRecord(folder, 1, record(1)), MaintenanceOutcome::Done);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST_F(RecordMaintenanceTest, ADeletionDropsATornTailAndReplacesAnOldCopy) {
    writeRecords(3, QByteArray("\x07\x07\x07\x07\x07"));
    install.writeBytes(ResultsCopyPath(folder), QByteArray(1000, 'x'));
    const QByteArray before = ExistingFileBytes(path);

    EXPECT_EQ(DeleteRecord(folder, 1, record(1)), MaintenanceOutcome::Done);

    EXPECT_EQ(ExistingFileBytes(path), before.mid(44, 88));
    EXPECT_FALSE(copyExists());
}

TEST_F(RecordMaintenanceTest, AFailedCopyLeavesTheResultsFileWholeAndSaysSo) {
    writeRecords(3);
    const QByteArray before = ExistingFileBytes(path);
    ASSERT_TRUE(QDir().mkpath(ResultsCopyPath(folder))); // the copy cannot be written

    try {
        DeleteRecord(folder, 2, record(2));
        FAIL() << "the deletion went on without its copy";
    } catch (const DataFileError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("元のまま"))) << error.what();
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path))) << error.what();
    }
    EXPECT_EQ(ExistingFileBytes(path), before);
}

TEST(ResultText, NumbersAreRoundedToWholeSecondsFrom0To99999) {
    const std::vector<std::pair<QString, std::optional<int>>> cases = {
        {QStringLiteral("0"), 0},
        {QStringLiteral("57"), 57},
        {QStringLiteral(" 120 "), 120},
        {QStringLiteral("99999"), 99999},
        {QStringLiteral("00042"), 42},
        {QStringLiteral("0000099999"), 99999},
        {QStringLiteral("0100000"), std::nullopt},
        {QStringLiteral(""), std::nullopt},
        {QStringLiteral("   "), std::nullopt},
        {QStringLiteral("100000"), std::nullopt},
        {QStringLiteral("-1"), std::nullopt},
        {QStringLiteral("+5"), std::nullopt},
        {QStringLiteral("12.5"), 12},
        {QStringLiteral("1e3"), std::nullopt},
        {QStringLiteral("45.6"), 46},
        {QStringLiteral("13.5"), 14},
        {QStringLiteral("99999.4"), 99999},
        {QStringLiteral("99999.5"), std::nullopt},
        {QStringLiteral("0.4"), 0},
        {QStringLiteral("1."), std::nullopt},
        {QStringLiteral(".5"), std::nullopt},
        {QStringLiteral("1.2.3"), std::nullopt},
        {QStringLiteral("abc"), std::nullopt},
        {QStringLiteral("12秒"), std::nullopt},
        {QStringLiteral("１２"), 12}, // typed with the input method on
        {QStringLiteral("４５．６"), 46},
        {QStringLiteral("－１"), std::nullopt},
        {QStringLiteral("１２秒"), std::nullopt},
        {QStringLiteral("1 2"), std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseResultText(text), expected) << text.toStdString();
}

// Where the machines of a classroom run: writers appending drills, and the
// teacher changing and deleting records meanwhile.
struct Classroom {
    const char* name;
    int writersHere;
    int writersOnWindows;
    bool teacherOnWindows;
};

// The test binary of the Windows build, run under Wine, when ./test names
// it; empty elsewhere.
QStringList WindowsTestCommand() {
    const QString wine = qEnvironmentVariable("DRILL_WINE_EXEC");
    const QString tests = qEnvironmentVariable("DRILL_WINDOWS_TESTS_RECORDS");
    if (wine.isEmpty() || tests.isEmpty()) return {};
    return {wine, tests};
}

// A path of this machine as a Windows program under Wine names it.
QString WindowsPath(const QString& path) {
    return QStringLiteral("Z:") + path;
}

constexpr int kBase = 60;
constexpr int kAppendsEach = 150;

// The teacher: base record i is deleted when i % 3 == 0, changed when i % 3 == 1.
void ChangeAndDeleteBaseRecords(const QString& folder) {
    const QString path = folder + kResultsFileName;
    const auto findRecord = [&](const QByteArray& bytes) -> qint64 {
        const QByteArray all = ExistingFileBytes(path);
        for (qint64 n = 0; n < all.size() / kRecordSize; ++n)
            if (all.mid(n * kRecordSize, kRecordSize) == bytes) return n + 1;
        return 0;
    };
    for (int i = 1; i <= kBase; ++i) {
        const QByteArray bytes = EncodeRecord(MakeRecord(i, 1, i));
        const qint64 number = findRecord(bytes);
        ASSERT_GT(number, 0) << i;
        if (i % 3 == 0) {
            ASSERT_EQ(DeleteRecord(folder, number, bytes), MaintenanceOutcome::Done) << i;
        } else if (i % 3 == 1) {
            ASSERT_EQ(
                ChangeRecord(path, number, bytes, WithStudentAndResult(bytes, 2000 + i, 500 + i)),
                MaintenanceOutcome::Done)
                << i;
        }
    }
}

class AppendsBesideMaintenance : public RecordMaintenanceTest,
                                 public ::testing::WithParamInterface<Classroom> {};

// Other processes keep appending (as drills on other machines do) while
// records are changed and deleted; with a Windows build, machines of both
// systems share the file, as in a classroom in the middle of a change-over.
TEST_P(AppendsBesideMaintenance, AppendsFromOtherProcessesSurviveChangesAndDeletions) {
    if (ChildRole() == QStringLiteral("writer")) {
        const QStringList a = ChildArguments();
        try {
            for (int k = 0; k < kAppendsEach; ++k) {
                AppendRecord(a[0], MakeRecord(1000 + a[1].toInt(), 2, k));
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
        } catch (...) {
            ExitChild(1);
        }
        ExitChild(0);
    }
    if (ChildRole() == QStringLiteral("teacher")) {
        ChangeAndDeleteBaseRecords(ChildArguments().value(0));
        ExitChild(HasFailure() ? 1 : 0);
    }
    const Classroom& classroom = GetParam();
    const QStringList windows = WindowsTestCommand();
    if ((classroom.writersOnWindows > 0 || classroom.teacherOnWindows) && windows.isEmpty())
        GTEST_SKIP() << "no Windows build named (./test names it in DRILL_WINDOWS_TESTS_RECORDS)";
    const int writers = classroom.writersHere + classroom.writersOnWindows;
    constexpr int kFiller = 5000; // so each deletion moves enough bytes to meet appends
    QByteArray initial;
    for (int i = 1; i <= kBase; ++i)
        initial += EncodeRecord(MakeRecord(i, 1, i));
    for (int k = 0; k < kFiller; ++k)
        initial += EncodeRecord(MakeRecord(3000, 3, k));
    install.writeBytes(path, initial);

    std::vector<std::unique_ptr<ChildProcess>> machines;
    for (int w = 0; w < writers; ++w) {
        const bool onWindows = w >= classroom.writersHere;
        machines.push_back(std::make_unique<ChildProcess>(
            QStringLiteral("writer"),
            QStringList{onWindows ? WindowsPath(path) : path, QString::number(w)},
            onWindows ? windows : QStringList{}));
    }
    if (classroom.teacherOnWindows)
        machines.push_back(std::make_unique<ChildProcess>(
            QStringLiteral("teacher"), QStringList{WindowsPath(folder)}, windows));
    else
        ChangeAndDeleteBaseRecords(folder);
    for (const auto& machine : machines)
        EXPECT_EQ(machine->finish(), 0);

    const QByteArray all = ExistingFileBytes(path);
    ASSERT_EQ(all.size() % kRecordSize, 0);
    std::vector<int> baseOrder;
    std::map<int, std::vector<int>> appended; // writer → results in file order
    std::vector<int> filler;
    for (qint64 n = 0; n < all.size() / kRecordSize; ++n) {
        const ResultRecord r = DecodeRecord(all.constData() + n * kRecordSize);
        if (r.level == 2) {
            ASSERT_EQ(r, MakeRecord(r.student, 2, r.result));
            appended[r.student - 1000].push_back(r.result);
            continue;
        }
        if (r.level == 3) {
            ASSERT_EQ(r, MakeRecord(3000, 3, r.result));
            filler.push_back(r.result);
            continue;
        }
        const int i = r.student >= 2000 ? r.student - 2000 : r.student;
        ASSERT_NE(i % 3, 0) << "deleted record " << i << " is still there";
        ResultRecord expected = MakeRecord(i, 1, i);
        if (i % 3 == 1) {
            expected.student = int16_t(2000 + i);
            expected.result = 500 + i;
        }
        EXPECT_EQ(r, expected) << "record " << n + 1;
        baseOrder.push_back(i);
    }
    std::vector<int> expectedBase;
    for (int i = 1; i <= kBase; ++i)
        if (i % 3 != 0) expectedBase.push_back(i);
    EXPECT_EQ(baseOrder, expectedBase);
    std::vector<int> everyFiller(kFiller);
    std::iota(everyFiller.begin(), everyFiller.end(), 0);
    EXPECT_EQ(filler, everyFiller);
    std::vector<int> everyAppend(kAppendsEach);
    std::iota(everyAppend.begin(), everyAppend.end(), 0);
    for (int w = 0; w < writers; ++w)
        EXPECT_EQ(appended[w], everyAppend) << "writer " << w;
    EXPECT_FALSE(copyExists());
}

INSTANTIATE_TEST_SUITE_P(Machines, AppendsBesideMaintenance,
                         ::testing::Values(Classroom{"OneSystem", 3, 0, false},
                                           Classroom{"LinuxAndWindows", 2, 2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
