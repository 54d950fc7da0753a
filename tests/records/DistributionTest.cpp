#include "TestDoubles.h"

#include "core/Text.h"
#include "records/Distribution.h"
#include "records/ResultsFile.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray RunBytes(int student, int level, int result) {
    ResultRecord r;
    r.date = 46365;
    r.timeOfDay = 0.5;
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return EncodeRecord(r);
}

Distribution Count(const QByteArray& bytes, int level) {
    return CountDistribution(bytes.constData(), bytes.size(), level);
}

// The distribution as first worked out: every record's key (level in 3,
// student in 4, result in 5 characters) goes into a list sorted as text, the
// duplicates of level and student are removed from the back so that each
// student's smallest result remains, and the rest is counted.
struct SortedListCounts {
    std::array<int, 101> runTotal{};
    std::array<std::array<int, kBuckets>, kDistributionMaxLevel + 1> allRuns{};
    std::array<std::array<int, kBuckets>, kDistributionMaxLevel + 1> bestRuns{};

    explicit SortedListCounts(const QByteArray& bytes) {
        QStringList work;
        for (qint64 i = 0; i + kRecordSize <= bytes.size(); i += kRecordSize) {
            const ResultRecord r = DecodeRecord(bytes.constData() + i);
            if (r.level == 0) continue;
            // Levels beyond the tables and negative results have no place in them.
            if (r.level < 1 || r.level > kDistributionMaxLevel || r.result < 0) continue;
            work << RightAlign(r.level, 3) + RightAlign(r.student, 4) + RightAlign(r.result, 5);
            const int b = std::min(r.result / 10, 100);
            runTotal[r.level] += 1;
            allRuns[r.level][b] += 1;
        }
        work.sort();
        for (qsizetype i = work.size() - 1; i >= 1; --i)
            if (work[i].left(7) == work[i - 1].left(7)) work.removeAt(i);
        for (const QString& entry : work) {
            const int b = std::min(entry.right(5).trimmed().toInt() / 10, 30);
            bestRuns[entry.left(3).trimmed().toInt()][b] += 1;
        }
    }

    Distribution of(int level) const {
        return {level, runTotal[level], allRuns[level], bestRuns[level]};
    }
};

TEST(Distribution, CountsAllRunsAndEachStudentsBestByTenSeconds) {
    // Student 1 ran 45, 47 and 130 seconds on level 3, student 2 ran 52.
    const QByteArray bytes = RunBytes(1, 3, 45) + RunBytes(1, 3, 130) + RunBytes(2, 3, 52) +
                             RunBytes(1, 3, 47) + RunBytes(1, 4, 41) + RunBytes(5, 0, 44);
    const Distribution d = Count(bytes, 3);
    const QStringList all = AllRunsRows(d);
    ASSERT_EQ(all.size(), 102);
    EXPECT_EQ(all[0], QStringLiteral("レベル3 今まで4回  （★=1）"));
    EXPECT_EQ(all[1], QStringLiteral("  0～"));
    EXPECT_EQ(all[2], QStringLiteral("  10～"));
    EXPECT_EQ(all[5], QStringLiteral("  40～★★"));
    EXPECT_EQ(all[6], QStringLiteral("  50～★"));
    EXPECT_EQ(all[14], QStringLiteral(" 130～★"));
    EXPECT_EQ(all[101], QStringLiteral("1000～"));
    EXPECT_EQ(all.join(QString()).count(QStringLiteral("★")), 1 + 4);

    const QStringList best = BestRunsRows(d);
    ASSERT_EQ(best.size(), 102);
    EXPECT_EQ(best[0], QStringLiteral("レベル3 （★=1）"));
    EXPECT_EQ(best[5], QStringLiteral("  40～★"));
    EXPECT_EQ(best[6], QStringLiteral("  50～★"));
    EXPECT_EQ(best[14], QStringLiteral(" 130～"));
    EXPECT_EQ(best.join(QString()).count(QStringLiteral("★")), 1 + 2);
}

TEST(Distribution, ScalesStarsToATenthOfTheLargestBucketRoundingHalvesUp) {
    QByteArray bytes;
    for (int i = 0; i < 25; ++i)
        bytes += RunBytes(i + 1, 2, 61);
    for (int i = 0; i < 3; ++i)
        bytes += RunBytes(40 + i, 2, 75);
    bytes += RunBytes(50, 2, 80);
    const Distribution d = Count(bytes, 2);
    EXPECT_EQ(StarScale(d.allRuns), 2);
    const QStringList all = AllRunsRows(d);
    EXPECT_EQ(all[0], QStringLiteral("レベル2 今まで29回  （★=2）"));
    EXPECT_EQ(all[7], QStringLiteral("  60～") + QStringLiteral("★").repeated(13)); // 12.5 + 0.5
    EXPECT_EQ(all[8], QStringLiteral("  70～★★"));                                  // 1.5 + 0.5
    EXPECT_EQ(all[9], QStringLiteral("  80～★"));                                   // 0.5 + 0.5

    // Below 20 in the largest bucket a star is one run; at 20 it becomes two.
    EXPECT_EQ(StarRow(4, 19, StarScale({19})),
              QStringLiteral("  40～") + QStringLiteral("★").repeated(19));
    EXPECT_EQ(StarScale({20}), 2);
    EXPECT_EQ(StarScale({}), 1);
}

TEST(Distribution, CapsTheLastRowsAndLeavesOutWhatTheTablesCannotHold) {
    struct Case {
        int result;
        int allRunsBucket;
        int bestRunsBucket;
    };
    for (const Case& c :
         {Case{0, 0, 0}, Case{9, 0, 0}, Case{10, 1, 1}, Case{299, 29, 29}, Case{300, 30, 30},
          Case{999, 99, 30}, Case{1000, 100, 30}, Case{99999, 100, 30}}) {
        SCOPED_TRACE(c.result);
        const Distribution d = Count(RunBytes(7, 1, c.result), 1);
        EXPECT_EQ(d.runTotal, 1);
        EXPECT_EQ(d.allRuns[std::size_t(c.allRunsBucket)], 1);
        EXPECT_EQ(d.bestRuns[std::size_t(c.bestRunsBucket)], 1);
    }
    // A negative result, a level of 51 and a torn trailing record are not counted.
    const QByteArray odd =
        RunBytes(7, 1, -5) + RunBytes(7, 51, 40) + RunBytes(8, 1, 40).left(kRecordSize - 1);
    EXPECT_EQ(Count(odd, 1), Distribution{1});
    EXPECT_EQ(Count(odd, 51), Distribution{51});
    // Students outside the roster IDs still count as students of their own.
    const Distribution outside =
        Count(RunBytes(9999, 1, 40) + RunBytes(-3, 1, 50) + RunBytes(-3, 1, 45), 1);
    EXPECT_EQ(outside.bestRuns[4], 2);
    EXPECT_EQ(outside.bestRuns[5], 0);
}

TEST(Distribution, ReadsTheResultsFileWholeAndCountsNothingWithoutIt) {
    TempInstall install;
    const QString path = install.dataFolder() + kResultsFileName;
    EXPECT_EQ(ReadDistribution(path, 1), Distribution{1});
    install.writeBytes(path, RunBytes(1, 1, 45) + RunBytes(2, 1, 45));
    const Distribution d = ReadDistribution(path, 1);
    EXPECT_EQ(d.runTotal, 2);
    EXPECT_EQ(d.bestRuns[4], 2);

    // A file read in several slices, with a torn record at its end, counts as its bytes do.
    QByteArray many;
    for (int i = 0; i < 2 * 4096 + 7; ++i)
        many += RunBytes(1 + i % 97, 1 + i % 3, 20 + i % 400);
    install.writeBytes(path, many + RunBytes(1, 1, 5).left(20));
    for (int level = 1; level <= 3; ++level)
        EXPECT_EQ(ReadDistribution(path, level), Count(many, level)) << level;
    EXPECT_EQ(ReadDistribution(path, 1).runTotal, 2733);
}

TEST(Distribution, EqualsTheSortedListMethodOnRandomFiles) {
    std::mt19937 random(20261209);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int file = 0; file < 25; ++file) {
        QByteArray bytes;
        const int records = pick(0, 4000);
        for (int i = 0; i < records; ++i) {
            const int levelKind = pick(0, 19);
            const int level = levelKind == 0 ? pick(-3, 60) : levelKind == 1 ? 0 : pick(1, 8);
            const int studentKind = pick(0, 29);
            const int student = studentKind == 0   ? pick(-999, 9999)
                                : studentKind == 1 ? 0
                                                   : pick(1, 80);
            const int resultKind = pick(0, 19);
            const int result = resultKind == 0   ? 99999
                               : resultKind == 1 ? pick(-20, 5000)
                               : resultKind == 2 ? pick(250, 1200)
                                                 : pick(15, 240);
            bytes += RunBytes(student, level, result);
        }
        if (pick(0, 3) == 0) bytes += QByteArray(pick(1, kRecordSize - 1), '\x07');
        const SortedListCounts expected(bytes);
        for (int level = 1; level <= kDistributionMaxLevel; ++level) {
            SCOPED_TRACE(testing::Message() << "file " << file << " level " << level);
            const Distribution d = Count(bytes, level);
            ASSERT_EQ(d, expected.of(level));
            ASSERT_EQ(AllRunsRows(d), AllRunsRows(expected.of(level)));
        }
    }
}

} // namespace
