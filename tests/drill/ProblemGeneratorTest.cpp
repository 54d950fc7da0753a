#include "TestDoubles.h"

#include "core/RealPlatform.h"
#include "drill/ProblemGenerator.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {
// r that makes Int(r × n + 1) come out as k.
double Pick(int k, int n) {
    return (k - 0.5) / n;
}

// Ten exchanges that leave the slots where they are (j = k each time).
void AddIdentityShuffle(ScriptedRandom& random) {
    for (int i = 0; i < 10; ++i) {
        random.script.push_back(Pick(1, 3));
        random.script.push_back(Pick(1, 3));
    }
}

std::set<QString> AsSet(const std::array<QString, 3>& a) {
    return {a.begin(), a.end()};
}
} // namespace

struct ExampleCase {
    int level;
    int v;
    ProblemKind kind;
    Figure figure;
    const char16_t* instruction;
    std::array<const char*, 3> keys; // before shuffling: 2v, v, v/2
    const char16_t* answer;
};

class GeneratorExamples : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(GeneratorExamples, BuildsTheInstructionFigureKeysAndAnswer) {
    const ExampleCase& c = GetParam();
    ScriptedRandom random;
    random.script.push_back(Pick(c.v / 2, 5));
    AddIdentityShuffle(random);
    const CircleProblem p = MakeCircleProblem(c.level, std::nullopt, random);
    EXPECT_EQ(p.kind, c.kind);
    EXPECT_EQ(p.figure, c.figure);
    EXPECT_EQ(p.v, c.v);
    EXPECT_EQ(p.instruction, QString::fromUtf16(c.instruction));
    EXPECT_EQ(p.candidates[0], QString::fromLatin1(c.keys[0]));
    EXPECT_EQ(p.candidates[1], QString::fromLatin1(c.keys[1]));
    EXPECT_EQ(p.candidates[2], QString::fromLatin1(c.keys[2]));
    EXPECT_EQ(p.expectedAnswer, QString::fromUtf16(c.answer));
    EXPECT_EQ(random.draws, 21);
}

INSTANTIATE_TEST_SUITE_P(Examples, GeneratorExamples,
                         ::testing::Values(ExampleCase{1,
                                                       10,
                                                       ProblemKind::CircumferenceFromDiameter,
                                                       Figure::Diameter,
                                                       u"円周を求める式を完成しなさい",
                                                       {"20", "10", "5"},
                                                       u"10×3.14"},
                                           ExampleCase{1,
                                                       4,
                                                       ProblemKind::CircumferenceFromDiameter,
                                                       Figure::Diameter,
                                                       u"円周を求める式を完成しなさい",
                                                       {"8", "4", "2"},
                                                       u"4×3.14"},
                                           ExampleCase{2,
                                                       2,
                                                       ProblemKind::CircumferenceFromRadius,
                                                       Figure::Radius,
                                                       u"円周を求める式を完成しなさい",
                                                       {"4", "2", "1"},
                                                       u"4×3.14"},
                                           ExampleCase{4,
                                                       10,
                                                       ProblemKind::AreaFromRadius,
                                                       Figure::Radius,
                                                       u"円の面積を求める式を完成しなさい",
                                                       {"20", "10", "5"},
                                                       u"10×10×3.14"},
                                           ExampleCase{5,
                                                       6,
                                                       ProblemKind::AreaFromDiameter,
                                                       Figure::Diameter,
                                                       u"円の面積を求める式を完成しなさい",
                                                       {"12", "6", "3"},
                                                       u"3×3×3.14"},
                                           ExampleCase{5,
                                                       2,
                                                       ProblemKind::AreaFromDiameter,
                                                       Figure::Diameter,
                                                       u"円の面積を求める式を完成しなさい",
                                                       {"4", "2", "1"},
                                                       u"1×1×3.14"}),
                         [](const auto& info) {
                             return "level" + std::to_string(info.param.level) + "_v" +
                                    std::to_string(info.param.v);
                         });

TEST(Generator, AnswersUseTheMultiplicationSign) {
    EXPECT_EQ(ExpectedAnswerFor(ProblemKind::AreaFromRadius, 4),
              QString::fromUtf16(u"4\u00D74\u00D73.14"));
    EXPECT_EQ(ExpectedAnswerFor(ProblemKind::CircumferenceFromRadius, 4), QStringLiteral("8×3.14"));
    EXPECT_EQ(ExpectedAnswerFor(ProblemKind::AreaFromDiameter, 4), QStringLiteral("2×2×3.14"));
}

TEST(Generator, DrawsTheKindFirstOnMixedLevels) {
    ScriptedRandom random;
    random.script = {Pick(2, 2), Pick(3, 5)};
    AddIdentityShuffle(random);
    EXPECT_EQ(MakeCircleProblem(3, std::nullopt, random).kind,
              ProblemKind::CircumferenceFromRadius);

    random.script = {Pick(1, 2), Pick(3, 5)};
    AddIdentityShuffle(random);
    EXPECT_EQ(MakeCircleProblem(6, std::nullopt, random).kind, ProblemKind::AreaFromRadius);

    random.script = {Pick(4, 4), Pick(3, 5)};
    AddIdentityShuffle(random);
    const CircleProblem p = MakeCircleProblem(7, std::nullopt, random);
    EXPECT_EQ(p.kind, ProblemKind::AreaFromDiameter);
    EXPECT_EQ(p.v, 6);
}

TEST(Generator, RedrawsTheLengthWhileItRepeats) {
    ScriptedRandom random;
    random.script = {Pick(3, 5), Pick(3, 5), Pick(5, 5)};
    AddIdentityShuffle(random);
    const CircleProblem p = MakeCircleProblem(1, 6, random);
    EXPECT_EQ(p.v, 10);
    EXPECT_EQ(random.draws, 23);
}

TEST(Generator, ExchangesSlotsInDrawOrder) {
    ScriptedRandom random;
    random.script = {Pick(5, 5)};
    // First exchange swaps slots 1 and 3, the second swaps 2 and 3, the rest do nothing.
    random.script.insert(random.script.end(), {Pick(1, 3), Pick(3, 3), Pick(2, 3), Pick(3, 3)});
    for (int i = 0; i < 8; ++i)
        random.script.insert(random.script.end(), {Pick(2, 3), Pick(2, 3)});
    const CircleProblem p = MakeCircleProblem(1, std::nullopt, random);
    // 20,10,5 → 5,10,20 → 5,20,10
    EXPECT_EQ(p.candidates, (std::array<QString, 3>{"5", "20", "10"}));
}

TEST(Generator, OverManyProblemsEveryLengthAndKindOccursAndNoLengthRepeats) {
    MersenneRandom random;
    random.seed(20261209);
    for (int level : {1, 2, 3, 4, 5, 6, 7}) {
        std::map<int, int> lengths;
        std::set<ProblemKind> kinds;
        std::optional<int> previous;
        for (int i = 0; i < 2000; ++i) {
            const CircleProblem p = MakeCircleProblem(level, previous, random);
            ASSERT_NE(std::optional<int>(p.v), previous) << "level " << level;
            EXPECT_EQ(AsSet(p.candidates),
                      (std::set<QString>{QString::number(2 * p.v), QString::number(p.v),
                                         QString::number(p.v / 2)}));
            // The answer can be keyed in: shown numbers joined by "×", ending in
            // "3.14"; a circumference needs one number, an area the same one twice.
            const QStringList parts = p.expectedAnswer.split(kTimesSign);
            const bool circumference =
                p.instruction == QStringLiteral("円周を求める式を完成しなさい");
            ASSERT_EQ(parts.size(), circumference ? 2 : 3) << p.expectedAnswer.toStdString();
            EXPECT_EQ(parts.last(), kPiText);
            EXPECT_TRUE(AsSet(p.candidates).count(parts[0])) << p.expectedAnswer.toStdString();
            if (!circumference) {
                EXPECT_EQ(parts[1], parts[0]);
            }
            ++lengths[p.v];
            kinds.insert(p.kind);
            previous = p.v;
        }
        EXPECT_EQ(lengths.size(), 5u) << "level " << level;
        for (const auto& [v, n] : lengths)
            EXPECT_GT(n, 300) << "length " << v << " on level " << level;
        const std::size_t expectedKinds = level == 7 ? 4 : (level == 3 || level == 6) ? 2 : 1;
        EXPECT_EQ(kinds.size(), expectedKinds) << "level " << level;
    }
}
