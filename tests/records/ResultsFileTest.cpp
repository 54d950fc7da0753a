#include "ChildProcess.h"
#include "TestDoubles.h"

#include "core/Dates.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

ResultRecord SampleRecord(int16_t student = 1234, int32_t result = 99999) {
    ResultRecord r;
    r.date = 46365; // 2026-12-09
    r.timeOfDay = 0.5;
    r.student = student;
    r.level = 7;
    r.result = result;
    r.classroomCode = QStringLiteral("01234");
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return r;
}

struct ResultsFileFixture : ::testing::Test {
    TempInstall install;
    QString path = install.dataFolder() + kResultsFileName;
};

} // namespace

TEST(ResultRecordLayout, PinsEveryOffset) {
    const QByteArray golden = QByteArray::fromHex("00000000a0a3e640" // 0: date 46365.0
                                                  "000000000000e03f" // 8: time 0.5
                                                  "d204"             // 16: student 1234
                                                  "0700"             // 18: level 7
                                                  "9f860100"         // 20: result 99999
                                                  "3031323334"       // 24: classroom "01234"
                                                  "2020202020"       // 29: five blanks
                                                  "3020202020"       // 34: "0    "
                                                  "0000000000");     // 39: reserved
    const QByteArray bytes = EncodeRecord(SampleRecord());
    EXPECT_EQ(bytes.toHex(), golden.toHex());
    EXPECT_EQ(DecodeRecord(golden.constData()), SampleRecord());
}

TEST(ResultRecordLayout, FitsTextsToFiveCp932BytesWithoutSplittingACharacter) {
    ResultRecord r = SampleRecord();
    struct Case {
        QString text;
        QByteArray field;
    } cases[] = {
        {QString(), "     "},
        {QStringLiteral("12"), "12   "},
        {QStringLiteral("0123456"), "01234"},
        {QStringLiteral("教室"), QByteArray::fromHex("8bb38eba20")},
        {QStringLiteral("教室名"),
         QByteArray::fromHex("8bb38eba20")}, // 6 bytes: the third character goes
        {QStringLiteral("ｱｲｳ"), QByteArray::fromHex("b1b2b32020")},
    };
    for (const Case& c : cases) {
        r.classroomCode = c.text;
        EXPECT_EQ(EncodeRecord(r).mid(24, 5).toHex(), c.field.toHex()) << qPrintable(c.text);
    }
}

// Texts of every byte read as code page 932 reads them, whichever way the
// reader takes to get there.
TEST(ResultRecordLayout, ReadsEveryByteOfATextAsCodePage932Does) {
    for (int byte = 0; byte < 256; ++byte) {
        QByteArray bytes = EncodeRecord(ResultRecord{});
        const QByteArray code = QByteArray(1, char(byte)) + QByteArrayLiteral("7~\\ ");
        bytes.replace(RecordOffset::Classroom, kRecordTextWidth, code);
        EXPECT_EQ(DecodeRecord(bytes.constData()).classroomCode, DecodeCp932(code)) << byte;
    }
}

TEST(ResultRecordValidity, NeedsADateAStudentAndALevelInRange) {
    struct Case {
        double date;
        int student;
        int level;
        bool valid;
    } cases[] = {
        {0, 1, 1, true},      {46365, 5000, 35, true}, {-1, 1, 1, false},
        {46365, 0, 1, false}, {46365, 5001, 1, false}, {46365, -3, 1, false},
        {46365, 1, 0, false}, {46365, 1, 36, false},   {std::nan(""), 1, 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidRecord(c.date, c.student, c.level), c.valid)
            << c.date << " " << c.student << " " << c.level;
}

TEST_F(ResultsFileFixture, AbsentFileReadsEmptyAndFirstAppendLandsAtZero) {
    EXPECT_EQ(RecordCount(path), 0);
    EXPECT_TRUE(ReadRecords(path, 1, 10).empty());
    EXPECT_FALSE(ReadRecord(path, 1).has_value());
    EXPECT_TRUE(ReadLastRecordBytes(path, 20000).isEmpty());

    AppendRecord(path, SampleRecord());
    EXPECT_EQ(FileBytes(path), EncodeRecord(SampleRecord()));
    EXPECT_EQ(RecordCount(path), 1);
    EXPECT_EQ(ReadRecord(path, 1), SampleRecord());
}

TEST_F(ResultsFileFixture, EmptyFileTakesTheFirstRecordAtZero) {
    install.writeBytes(path, {});
    EXPECT_EQ(RecordCount(path), 0);
    AppendRecord(path, SampleRecord(5));
    EXPECT_EQ(QFileInfo(path).size(), kRecordSize);
}

TEST_F(ResultsFileFixture, TornTailIsIgnoredByReadersAndOverwrittenByTheNextAppend) {
    // One record and a stray byte, then a record cut short after 30 bytes.
    for (const int tail : {1, 30}) {
        install.writeBytes(path, EncodeRecord(SampleRecord(1)) + QByteArray(tail, 'x'));
        EXPECT_EQ(RecordCount(path), 1);
        EXPECT_EQ(ReadRecords(path, 1, 5).size(), 1u);
        EXPECT_EQ(ReadLastRecordBytes(path, 5).size(), kRecordSize);
        EXPECT_FALSE(ReadRecord(path, 2).has_value());

        AppendRecord(path, SampleRecord(2));
        EXPECT_EQ(QFileInfo(path).size(), 2 * kRecordSize);
        EXPECT_EQ(FileBytes(path), EncodeRecord(SampleRecord(1)) + EncodeRecord(SampleRecord(2)));
    }
}

TEST_F(ResultsFileFixture, ReadsByNumberAndClampsRanges) {
    for (int16_t st = 1; st <= 5; ++st)
        AppendRecord(path, SampleRecord(st));
    EXPECT_EQ(RecordCount(path), 5);
    EXPECT_EQ(ReadRecord(path, 3)->student, 3);
    EXPECT_FALSE(ReadRecord(path, 0).has_value());
    EXPECT_FALSE(ReadRecord(path, 6).has_value());
    const auto middle = ReadRecords(path, 2, 4);
    ASSERT_EQ(middle.size(), 3u);
    EXPECT_EQ(middle.front().student, 2);
    EXPECT_EQ(middle.back().student, 4);
    EXPECT_EQ(ReadRecords(path, -5, 100).size(), 5u);
    EXPECT_TRUE(ReadRecords(path, 4, 3).empty());
    // The window: the last records, oldest first.
    const QByteArray last2 = ReadLastRecordBytes(path, 2);
    ASSERT_EQ(last2.size(), 2 * kRecordSize);
    EXPECT_EQ(DecodeRecord(last2.constData()).student, 4);
    EXPECT_EQ(DecodeRecord(last2.constData() + kRecordSize).student, 5);
}

TEST_F(ResultsFileFixture, MissingFolderIsAnErrorWithItsNumber) {
    const QString lost = install.root() + QStringLiteral("nowhere/") + kResultsFileName;
    try {
        ReadLastRecordBytes(lost, 10);
        FAIL() << "no error";
    } catch (const FileAccessError& e) {
        EXPECT_EQ(e.errorNumber(), ENOENT);
        EXPECT_TRUE(e.message().contains(kResultsFileName));
    }
    EXPECT_THROW(AppendRecord(lost, SampleRecord()), FileAccessError);
    EXPECT_FALSE(QFileInfo::exists(lost));
}

TEST_F(ResultsFileFixture, AppendResultWritesTheRunFromTheProgramState) {
    TestRig rig;
    rig.state.folders.DataFolder = install.dataFolder();
    rig.state.session.StudentNo = 17;
    rig.state.LevelNo = 3;
    rig.state.ResultValue = 99999; // timed out
    rig.state.EarnedPoints = 0;
    rig.clock.current = QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 900));

    AppendResult(rig.state);
    const QByteArray bytes = FileBytes(path);
    ASSERT_EQ(bytes.size(), kRecordSize);
    const ResultRecord r = DecodeRecord(bytes.constData());
    EXPECT_EQ(r.date, 46365);
    EXPECT_EQ(r.timeOfDay, 86399.0 / 86400.0); // whole seconds, just below 1
    EXPECT_EQ(r.student, 17);
    EXPECT_EQ(r.level, 3);
    EXPECT_EQ(r.result, 99999);
    EXPECT_EQ(r.classroomCode, QStringLiteral("     "));
    EXPECT_EQ(r.extraPoints, QStringLiteral("     "));
    EXPECT_EQ(r.pointsText, QStringLiteral("0    "));
    EXPECT_EQ(bytes.right(5), QByteArray(5, '\0'));

    rig.state.common.ClassroomCode = QStringLiteral("01234");
    rig.state.EarnedPoints = -12;
    AppendResult(rig.state);
    const ResultRecord second = *ReadRecord(path, 2);
    EXPECT_EQ(second.classroomCode, QStringLiteral("01234"));
    EXPECT_EQ(second.pointsText, QStringLiteral("-12  "));
}

TEST_F(ResultsFileFixture, ConcurrentAppendsFromManyProcessesLoseNothing) {
    constexpr int kProcesses = 6;
    constexpr int kRecordsEach = 500;
    if (ChildRole() == QStringLiteral("appender")) {
        const QStringList arguments = ChildArguments();
        try {
            for (int i = 1; i <= kRecordsEach; ++i) // the result numbers the sequence
                AppendRecord(arguments[0], SampleRecord(int16_t(arguments[1].toInt()), i));
        } catch (...) {
            ExitChild(1);
        }
        ExitChild(0);
    }
    std::vector<std::unique_ptr<ChildProcess>> appenders;
    for (int p = 1; p <= kProcesses; ++p)
        appenders.push_back(std::make_unique<ChildProcess>(QStringLiteral("appender"),
                                                           QStringList{path, QString::number(p)}));
    for (const auto& appender : appenders)
        EXPECT_EQ(appender->finish(), 0);

    EXPECT_EQ(QFileInfo(path).size(), qint64(kProcesses) * kRecordsEach * kRecordSize);
    const auto records = ReadRecords(path, 1, RecordCount(path));
    ASSERT_EQ(records.size(), size_t(kProcesses * kRecordsEach));
    std::vector<int> next(kProcesses + 1, 1);
    for (const ResultRecord& r : records) {
        ASSERT_TRUE(r.isValid());
        ASSERT_EQ(r.classroomCode, QStringLiteral("01234"));
        ASSERT_GE(r.student, 1);
        ASSERT_LE(r.student, kProcesses);
        // Each process's records appear in its own order, none lost or doubled.
        ASSERT_EQ(r.result, next[r.student]) << "process " << r.student;
        ++next[r.student];
    }
    for (int p = 1; p <= kProcesses; ++p)
        EXPECT_EQ(next[p], kRecordsEach + 1);
}

// The records browser on another machine shortens the file while this one
// reads it: the reader takes the whole records that are still there.
TEST_F(ResultsFileFixture, AFileShortenedDuringReadsGivesWholeRecordsAndNoError) {
    QByteArray bytes;
    for (int i = 1; i <= 2000; ++i)
        bytes += EncodeRecord(SampleRecord(int16_t(1 + i % 100), i));
    ASSERT_TRUE(QDir().mkpath(install.dataFolder()));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    if (ChildRole() == QStringLiteral("shortener")) {
        // Without the lock, as a machine whose lock was lost. On Windows a
        // write inside a range a reader holds is refused: that round passes.
        const QString shared = ChildArguments().value(0);
        for (int round = 0; round < 4000; ++round) {
            if (round % 2) {
                QFile::resize(shared, 44 * 10);
                continue;
            }
            QFile file(shared); // grow back: the bytes again
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
        }
        ExitChild(0);
    }
    ChildProcess shortener(QStringLiteral("shortener"), {path});
    int failures = 0;
    while (shortener.isRunning()) {
        try {
            EXPECT_EQ(ReadLastRecordBytes(path, 20000).size() % kRecordSize, 0);
            EXPECT_LE(ReadRecords(path, 1, 2000).size(), 2000u);
        } catch (const DataFileError&) {
            ++failures;
        }
    }
    EXPECT_EQ(shortener.finish(), 0);
    EXPECT_EQ(failures, 0);
}
