#include "rules/Worksheet.h"

#include "TestDoubles.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/RealPlatform.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 0));

WeakSpots SpotsOf(const KindCounts& answered, const KindCounts& wrong) {
    WeakSpots spots;
    for (std::size_t k = 0; k < spots.kinds.size(); ++k) {
        spots.kinds[k].answered = answered[k];
        spots.kinds[k].wrong = wrong[k];
    }
    return spots;
}

AttemptRecord Answer(int student, int kind, MistakeClass mistake, int daysAgo = 0) {
    AttemptRecord r;
    r.date = ToOleDay(kNow.date().addDays(-daysAgo));
    r.student = int16_t(student);
    r.level = 7;
    r.attempt.kind = kind;
    r.attempt.correct = mistake == MistakeClass::None;
    r.attempt.mistake = mistake;
    return r;
}

KindCounts KindsOf(const std::vector<CircleProblem>& problems) {
    KindCounts counts{};
    for (const CircleProblem& problem : problems)
        ++counts[std::size_t(problem.kind) - 1];
    return counts;
}

} // namespace

TEST(WeakWorksheet, ApportionsTheProblemsOverTheKindsByTheirWrongAnswers) {
    const struct {
        int count;
        KindCounts answered, wrong, expected;
    } cases[] = {
        // One each, the other eight as 6 : 2.
        {12, {10, 10, 10, 10}, {6, 0, 2, 0}, {7, 1, 3, 1}},
        // Equal remainders: the lower kind.
        {10, {3, 3, 3, 0}, {1, 1, 1, 0}, {4, 3, 3, 0}},
        // Equal remainders: the kind with more wrong answers before the lower one.
        {6, {1, 1, 1, 1}, {1, 3, 0, 0}, {1, 3, 1, 1}},
        // Fewer problems than kinds answered: the most wrong, then the lower kind.
        {2, {1, 1, 1, 1}, {0, 3, 1, 3}, {0, 1, 0, 1}},
        // Nothing wrong: evenly over the kinds answered, none to a kind not answered.
        {7, {2, 0, 4, 0}, {0, 0, 0, 0}, {4, 0, 3, 0}},
        {200, {9, 9, 9, 9}, {1000, 1, 0, 0}, {197, 1, 1, 1}},
        // Nothing answered: nothing to apportion.
        {12, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(ApportionWeakKinds(c.count, SpotsOf(c.answered, c.wrong)), c.expected);
    }
}

TEST(WeakWorksheet, EachStudentsSheetDrawsTheirKindsFromTheLogAndSaysWhatItAimsAt) {
    using M = MistakeClass;
    TempInstall install;
    QByteArray log;
    for (int i = 0; i < 5; ++i)
        log += EncodeAttemptRecord(Answer(1, 3, M::DiameterRadius));
    for (const AttemptRecord& r :
         {Answer(1, 3, M::None), Answer(1, 1, M::None), Answer(1, 1, M::None),
          Answer(1, 2, M::Order), Answer(1, 4, M::Order, 30) /* a day too old */,
          Answer(3, 4, M::TimedOut) /* another student */})
        log += EncodeAttemptRecord(r);
    const QString path = install.dataFolder() + kAttemptLogFileName;
    install.writeBytes(path, log);
    const AttemptReading reading = ReadAttemptsSince(path, FirstWeakSpotDay(kNow.date()));
    ASSERT_TRUE(reading.problem.isEmpty()) << reading.problem.toStdString();

    TestRig rig;
    WorksheetSettings settings;
    settings.weak = true;
    settings.seed = 48213;
    MersenneRandom random;
    const std::vector<SheetStudent> students = {{1, QStringLiteral("小5")},
                                                {2, QStringLiteral("小5")}};
    const auto sheets = BuildWorksheets(rig.state, students, settings, kNow, random, reading);
    ASSERT_EQ(sheets.size(), 2u);
    // 1 + 1 + 1 and the other nine as 5 : 1 wrong, the tied remainder to the area.
    EXPECT_EQ(KindsOf(sheets[0].problems), (KindCounts{1, 2, 9, 0}));
    EXPECT_TRUE(sheets[0].aim.contains(QStringLiteral("面積（半径）… 直径と半径（5 回）")))
        << sheets[0].aim.toStdString();
    EXPECT_LT(sheets[0].aim.indexOf(QStringLiteral("面積（半径）")),
              sheets[0].aim.indexOf(QStringLiteral("円周（半径）… 順番（1 回）")));
    // No answers kept: the four kinds evenly, and the key says so.
    EXPECT_EQ(KindsOf(sheets[1].problems), (KindCounts{3, 3, 3, 3}));
    EXPECT_TRUE(sheets[1].aim.contains(QStringLiteral("記録がない")));
    for (const Worksheet& sheet : sheets)
        for (std::size_t i = 1; i < sheet.problems.size(); ++i)
            EXPECT_NE(sheet.problems[i].v, sheet.problems[i - 1].v);
}

TEST(WeakWorksheet, ALogThatCannotBeReadLeavesTheLevelsGiven) {
    TestRig rig;
    WorksheetSettings settings;
    settings.weak = true;
    settings.levels = {4}; // 面積１: the area from the radius
    MersenneRandom random;
    AttemptReading unread;
    unread.problem = QStringLiteral("解答記録が読めないので、つまずきは出せません：");
    const auto sheets =
        BuildWorksheets(rig.state, {{1, QStringLiteral("小5")}}, settings, kNow, random, unread);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(KindsOf(sheets[0].problems), (KindCounts{0, 0, settings.count, 0}));
    EXPECT_TRUE(sheets[0].aim.contains(QStringLiteral("読めなかったので、レベル 4 から")));
}
