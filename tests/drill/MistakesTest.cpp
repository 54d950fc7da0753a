#include "drill/Mistakes.h"

#include <gtest/gtest.h>

namespace {

using K = ProblemKind;
using M = MistakeClass;

struct MistakeCase {
    ProblemKind kind;
    int v;
    const char16_t* keys;
    MistakeClass mistake;
};

class MistakeTable : public ::testing::TestWithParam<MistakeCase> {};

TEST_P(MistakeTable, NamesTheTraceOfTheKeys) {
    const MistakeCase& c = GetParam();
    EXPECT_EQ(ClassifyMistake(c.kind, c.v, QString::fromUtf16(c.keys)), c.mistake)
        << "kind " << int(c.kind) << " v " << c.v << " keys "
        << QString::fromUtf16(c.keys).toStdString();
}

// d = 8 for the diameter kinds (1, 4), r = 4 for the radius kinds (2, 3).
INSTANTIATE_TEST_SUITE_P(
    Traces, MistakeTable,
    ::testing::Values(
        // right answers
        MistakeCase{K::CircumferenceFromDiameter, 8, u"8×3.14", M::None},
        MistakeCase{K::CircumferenceFromRadius, 4, u"8×3.14", M::None},
        MistakeCase{K::AreaFromRadius, 4, u"4×4×3.14", M::None},
        MistakeCase{K::AreaFromDiameter, 8, u"4×4×3.14", M::None},
        // the kind's own formula with another of the three numbers
        MistakeCase{K::AreaFromDiameter, 8, u"8×8×3.14", M::DiameterRadius},
        MistakeCase{K::AreaFromDiameter, 8, u"16×16×3.14", M::DiameterRadius},
        MistakeCase{K::CircumferenceFromRadius, 4, u"4×3.14", M::DiameterRadius},
        MistakeCase{K::CircumferenceFromRadius, 4, u"2×3.14", M::DiameterRadius},
        MistakeCase{K::CircumferenceFromDiameter, 8, u"4×3.14", M::DiameterRadius},
        MistakeCase{K::AreaFromRadius, 4, u"8×8×3.14", M::DiameterRadius},
        // the other formula
        MistakeCase{K::AreaFromRadius, 4, u"4×3.14", M::CircumferenceArea},
        MistakeCase{K::AreaFromDiameter, 8, u"8×3.14", M::CircumferenceArea},
        MistakeCase{K::CircumferenceFromDiameter, 8, u"8×8×3.14", M::CircumferenceArea},
        MistakeCase{K::CircumferenceFromRadius, 4, u"4×4×3.14", M::CircumferenceArea},
        // the right keys in another order
        MistakeCase{K::CircumferenceFromDiameter, 8, u"3.14×8", M::Order},
        MistakeCase{K::AreaFromRadius, 4, u"4×3.14×4", M::Order},
        MistakeCase{K::AreaFromDiameter, 8, u"3.14×4×4", M::Order},
        // a start of the right answer
        MistakeCase{K::AreaFromRadius, 4, u"4×4", M::Unfinished},
        MistakeCase{K::AreaFromRadius, 4, u"4×", M::Unfinished},
        MistakeCase{K::CircumferenceFromDiameter, 8, u"8×", M::Unfinished},
        MistakeCase{K::AreaFromDiameter, 8, u"4", M::Unfinished},
        // anything else
        MistakeCase{K::CircumferenceFromDiameter, 8, u"", M::Other},
        MistakeCase{K::AreaFromRadius, 4, u"8×4×3.14", M::Other},
        MistakeCase{K::CircumferenceFromDiameter, 8, u"83.14", M::Other},
        MistakeCase{K::CircumferenceFromDiameter, 8, u"8×3.14×3.14", M::Other},
        MistakeCase{K::CircumferenceFromRadius, 4, u"48×3.14", M::Other},
        MistakeCase{K::AreaFromRadius, 4, u"3.14", M::Other}));

TEST(CorrectionLine, NamesTheMistakeInTheChildsWords) {
    EXPECT_EQ(CorrectionLine(K::AreaFromDiameter, 8, M::DiameterRadius),
              QStringLiteral("面積は 半径×半径×3.14。直径 8 の半分の 4 を使います。"));
    EXPECT_EQ(CorrectionLine(K::CircumferenceFromRadius, 4, M::DiameterRadius),
              QStringLiteral("円周は 直径×3.14。半径 4 の 2 倍の 8 です。"));
    EXPECT_EQ(CorrectionLine(K::AreaFromRadius, 4, M::Order),
              QStringLiteral("3.14 は さいごに かけます。"));
    EXPECT_TRUE(CorrectionLine(K::AreaFromRadius, 4, M::None).isEmpty());
}

TEST(Attempts, TimeFromShownToOkInTenthsAndATimeOutEntersNothing) {
    const Attempt wrong =
        AnsweredAttempt(3, K::AreaFromRadius, 4, QStringLiteral("4×"), 10.0, 14.26);
    EXPECT_EQ(wrong.tenths, 43);
    EXPECT_FALSE(wrong.correct);
    EXPECT_EQ(wrong.mistake, M::Unfinished);
    const Attempt right =
        AnsweredAttempt(4, K::AreaFromRadius, 4, QStringLiteral("4×4×3.14"), 1, 2);
    EXPECT_TRUE(right.correct);
    const Attempt late = TimedOutAttempt(5, K::AreaFromRadius, 4, 20.0, 30.04);
    EXPECT_TRUE(late.keys.isEmpty());
    EXPECT_EQ(late.mistake, M::TimedOut);
    EXPECT_EQ(late.tenths, 100);
}

} // namespace
