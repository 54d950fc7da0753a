#include "rules/WeakSpots.h"
#include "core/Dates.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 9);

AttemptRecord Answer(int student, int kind, MistakeClass mistake, int tenths, int daysAgo = 0) {
    AttemptRecord r;
    r.date = ToOleDay(kToday.addDays(-daysAgo));
    r.student = int16_t(student);
    r.level = 7;
    r.attempt.kind = kind;
    r.attempt.length = 4;
    r.attempt.correct = mistake == MistakeClass::None;
    r.attempt.mistake = mistake;
    r.attempt.tenths = tenths;
    return r;
}

} // namespace

TEST(WeakSpots, CountsEachKindOfOneStudentOverThirtyDays) {
    using M = MistakeClass;
    const std::vector<AttemptRecord> records = {
        Answer(5, 4, M::DiameterRadius, 90),
        Answer(5, 4, M::DiameterRadius, 80, 29), // the first day counted
        Answer(5, 4, M::Order, 70),
        Answer(5, 4, M::None, 40),
        Answer(5, 4, M::None, 60),
        Answer(5, 4, M::DiameterRadius, 50, 30), // a day too old
        Answer(6, 4, M::Order, 50),              // another student
        Answer(5, 2, M::None, 31),
        Answer(5, 2, M::None, 45),
        Answer(5, 2, M::None, 20),
        Answer(5, 3, M::TimedOut, 300),
        Answer(5, 3, M::Unfinished, 20), // a tie: the class named first leads
    };
    const WeakSpots spots = WeakSpotsOf(records, 5, kToday);
    const KindWeakSpot& area = spots.kinds[3];
    EXPECT_EQ(area.answered, 5);
    EXPECT_EQ(area.wrong, 3);
    EXPECT_DOUBLE_EQ(area.shareWrong(), 0.6);
    EXPECT_EQ(area.leading, M::DiameterRadius);
    EXPECT_EQ(area.leadingCount, 2);
    EXPECT_EQ(area.medianSeconds, 5.0); // of 4.0 and 6.0
    EXPECT_EQ(WeakSpotCellText(area), QStringLiteral("60% 直"));

    const KindWeakSpot& circumference = spots.kinds[1];
    EXPECT_EQ(circumference.wrong, 0);
    EXPECT_EQ(circumference.leading, M::None);
    EXPECT_EQ(circumference.medianSeconds, 3.1);
    EXPECT_EQ(WeakSpotCellText(circumference), QStringLiteral("0%"));

    EXPECT_EQ(spots.kinds[2].leading, M::Unfinished);
    EXPECT_FALSE(spots.kinds[2].medianSeconds);
    EXPECT_EQ(WeakSpotCellText(spots.kinds[0]), QStringLiteral("－"));
    EXPECT_FALSE(WeakSpotsOf(records, 7, kToday).anyAnswered());
}
