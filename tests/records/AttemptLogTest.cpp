#include "TestDoubles.h"

#include "records/AttemptLog.h"
#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

AttemptRecord SampleAttempt(int16_t student = 1234, double date = 46365) {
    AttemptRecord r;
    r.date = date; // 2026-12-09
    r.timeOfDay = 0.5;
    r.student = student;
    r.level = 5;
    r.attempt.problem = 3;
    r.attempt.kind = 4;
    r.attempt.length = 8;
    r.attempt.keys = QStringLiteral("8×8×3.14");
    r.attempt.correct = false;
    r.attempt.mistake = MistakeClass::DiameterRadius;
    r.attempt.tenths = 73;
    return r;
}

struct AttemptLogFixture : ::testing::Test {
    TempInstall install;
    QString path = install.dataFolder() + kAttemptLogFileName;

    void write(const std::vector<AttemptRecord>& records, const QByteArray& tail = {}) {
        QByteArray bytes;
        for (const AttemptRecord& r : records)
            bytes += EncodeAttemptRecord(r);
        install.writeBytes(path, bytes + tail);
    }
};

} // namespace

TEST(AttemptRecordLayout, PinsEveryOffset) {
    const QByteArray golden =
        QByteArray::fromHex("00000000a0a3e640"                   // 0: date 46365.0
                            "000000000000e03f"                   // 8: time 0.5
                            "d204"                               // 16: student 1234
                            "0500"                               // 18: level 5
                            "0300"                               // 20: problem 3
                            "04"                                 // 22: kind 4
                            "08"                                 // 23: length 8
                            "49000000"                           // 24: 7.3 s
                            "00"                                 // 28: wrong
                            "01"                                 // 29: 直径と半径
                            "0000"                               // 30: reserved
                            "38817e38817e332e3134202020202020"   // 32: "8×8×3.14" in cp932
                            "20202020202020202020202020202020"); // blanks to 64
    EXPECT_EQ(EncodeAttemptRecord(SampleAttempt()).toHex(), golden.toHex());
    EXPECT_EQ(DecodeAttemptRecord(golden.constData()), SampleAttempt());
}

TEST(AttemptRecordLayout, RefusesBytesThatAreNoAttempt) {
    const QByteArray good = EncodeAttemptRecord(SampleAttempt());
    struct Case {
        int offset;
        char byte;
    } cases[] = {{AttemptOffset::Kind, 0},
                 {AttemptOffset::Kind, 5},
                 {AttemptOffset::Mistake, 7},
                 {AttemptOffset::Correct, 2},
                 {AttemptOffset::Student + 1, 0x40},
                 {AttemptOffset::Level, 36},
                 {AttemptOffset::Date + 7, char(0xC0)}};
    for (const Case& c : cases) {
        QByteArray bad = good;
        bad[c.offset] = c.byte;
        EXPECT_FALSE(DecodeAttemptRecord(bad.constData())) << c.offset;
    }
}

TEST(AttemptRecordLayout, CutsLongKeysAtACharacter) {
    AttemptRecord r = SampleAttempt();
    r.attempt.keys = QString(20, QChar(0x00D7)); // 40 bytes in code page 932
    const auto back = DecodeAttemptRecord(EncodeAttemptRecord(r).constData());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->attempt.keys, QString(16, QChar(0x00D7)));
}

TEST(RunAttempts, CarryTheRunRecordsIdentity) {
    ResultRecord run;
    run.date = 46300;
    run.timeOfDay = 0.25;
    run.student = 17;
    run.level = 2;
    Attempt a;
    a.problem = 1;
    a.kind = 2;
    a.length = 4;
    a.keys = QStringLiteral("8×3.14");
    a.correct = true;
    const QByteArray bytes = EncodeRunAttempts(run, {a, a});
    ASSERT_EQ(bytes.size(), 2 * kAttemptRecordSize);
    const auto second = DecodeAttemptRecord(bytes.constData() + kAttemptRecordSize);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, (AttemptRecord{46300, 0.25, 17, 2, a}));
}

TEST_F(AttemptLogFixture, AppendsAfterTheWholeRecordsOverATornTail) {
    write({SampleAttempt(1)}, QByteArray(10, 'x'));
    AppendAttemptRecords(path, EncodeAttemptRecord(SampleAttempt(2)));
    const AttemptReading reading = ReadLastAttempts(path, 10);
    ASSERT_EQ(reading.records.size(), 2u);
    EXPECT_EQ(reading.records[1].student, 2);
    EXPECT_TRUE(reading.problem.isEmpty()) << qPrintable(reading.problem);
    EXPECT_EQ(QFile(path).size(), 2 * kAttemptRecordSize);
}

TEST_F(AttemptLogFixture, ReadsTheLastRecordsAndSaysWhatItLeftOut) {
    QByteArray junk = EncodeAttemptRecord(SampleAttempt(3));
    junk[AttemptOffset::Kind] = 9;
    write({SampleAttempt(1), SampleAttempt(2)}, junk + QByteArray(5, '\0'));
    const AttemptReading reading = ReadLastAttempts(path, 2);
    ASSERT_EQ(reading.records.size(), 1u);
    EXPECT_EQ(reading.records[0].student, 2);
    EXPECT_EQ(reading.skipped, 1);
    EXPECT_TRUE(reading.problem.contains(QStringLiteral("1 件")));
    EXPECT_TRUE(reading.problem.contains(QStringLiteral("5 バイト")));
}

TEST_F(AttemptLogFixture, AMissingLogIsEmptyAndAnUnreadableOneIsNamed) {
    EXPECT_TRUE(ReadLastAttempts(path, 5).records.empty());
    EXPECT_TRUE(ReadLastAttempts(path, 5).problem.isEmpty());
    ASSERT_TRUE(QDir().mkpath(path)); // a folder under the log's name
    const AttemptReading reading = ReadAttemptsSince(path, 0);
    EXPECT_TRUE(reading.records.empty());
    EXPECT_TRUE(reading.problem.contains(kAttemptLogFileName)) << qPrintable(reading.problem);
}

TEST_F(AttemptLogFixture, ReadsOneStudentsRecentRecordsFromTheEnd) {
    std::vector<AttemptRecord> records;
    // Far more old records than one chunk read from the end, then recent ones
    // with a late run kept on a machine among them.
    for (int i = 0; i < 3000; ++i)
        records.push_back(SampleAttempt(int16_t(1 + i % 50), 46000));
    records.push_back(SampleAttempt(7, 46360));
    records.push_back(SampleAttempt(8, 46361));
    records.push_back(SampleAttempt(7, 46100));
    records.push_back(SampleAttempt(7, 46362));
    write(records);
    const AttemptReading reading = ReadAttemptsSince(path, 46336, 7);
    ASSERT_EQ(reading.records.size(), 2u);
    EXPECT_EQ(reading.records[0].date, 46360);
    EXPECT_EQ(reading.records[1].date, 46362);
    EXPECT_EQ(ReadAttemptsSince(path, 46336).records.size(), 3u);
}
