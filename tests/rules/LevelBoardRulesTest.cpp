#include "rules/LevelBoardRules.h"

#include "TestDoubles.h"
#include "core/ProgramState.h"

#include <gtest/gtest.h>

TEST(LevelBoardRules, ColumnWidthsAndScrollBar) {
    struct Case {
        int levels, width;
        bool scrollBar;
        int maximum;
    };
    for (const Case& c :
         {Case{1, 14592, false, 1}, Case{3, 4864, false, 1}, Case{4, 3648, false, 1},
          Case{5, 3456, true, 2}, Case{7, 3456, true, 4}, Case{13, 3456, true, 10}}) {
        EXPECT_EQ(BoardColumnWidth(c.levels), c.width) << c.levels;
        EXPECT_EQ(BoardHasScrollBar(c.levels), c.scrollBar) << c.levels;
        EXPECT_EQ(BoardScrollMaximum(c.levels), c.maximum) << c.levels;
    }
    EXPECT_EQ(BoardLeftMargin(15360), 307);
    // Scrolled three levels on: level 1 is parked out of view on the right.
    EXPECT_EQ(BoardColumnLeft(307, 4, 4, 3456, 15360), 307);
    EXPECT_EQ(BoardColumnLeft(307, 1, 4, 3456, 15360), 15360);
    EXPECT_EQ(BoardColumnLeft(307, 5, 4, 3456, 15360), 307 + 3456);
    EXPECT_EQ(BoardScrollPosition(0, 4), 1);
    EXPECT_EQ(BoardScrollPosition(5, 4), 1);
    EXPECT_EQ(BoardScrollPosition(4, 4), 4);
}

TEST(LevelBoardRules, KeysStartLevelsTheBoardHasOrGoBack) {
    using A = BoardKey::Action;
    struct Case {
        const char* key;
        int levels;
        BoardKey expected;
    };
    for (const Case& c :
         {Case{"1", 7, {A::StartLevel, 1}}, Case{"7", 7, {A::StartLevel, 7}}, Case{"8", 7, {}},
          Case{"a", 10, {A::StartLevel, 10}}, Case{"b", 10, {}}, Case{"A", 10, {}},
          Case{"d", 13, {A::StartLevel, 13}}, Case{"e", 14, {}}, Case{"0", 7, {A::GoBack, 0}},
          Case{"", 7, {}}, Case{"１", 7, {}}, Case{"12", 13, {}}})
        EXPECT_EQ(BoardKeyFor(QString::fromUtf8(c.key), c.levels), c.expected)
            << c.key << " " << c.levels;
}

TEST(LevelBoardRules, TeacherNamesAndPassword) {
    EXPECT_TRUE(IsTeacherName(QStringLiteral("★山田")));
    EXPECT_TRUE(IsTeacherName(QStringLiteral("田中先生")));
    EXPECT_TRUE(IsTeacherName(QStringLiteral("先生")));
    EXPECT_FALSE(IsTeacherName(QStringLiteral("山田太郎")));
    EXPECT_FALSE(IsTeacherName(QStringLiteral("先 生")));

    EXPECT_EQ(CheckDataChangePassword(QStringLiteral("abc"), QStringLiteral("abc")),
              PasswordCheck::Accepted);
    EXPECT_EQ(CheckDataChangePassword(QStringLiteral("ABC"), QStringLiteral("abc")),
              PasswordCheck::Wrong);
    EXPECT_EQ(CheckDataChangePassword(QStringLiteral("ａｂｃ"), QStringLiteral("abc")),
              PasswordCheck::Wrong);
    EXPECT_EQ(CheckDataChangePassword(QString(), QStringLiteral("abc")), PasswordCheck::Wrong);
    EXPECT_EQ(CheckDataChangePassword(QString(), QString()), PasswordCheck::NotConfigured);
    EXPECT_EQ(CheckDataChangePassword(QStringLiteral("x"), QString()),
              PasswordCheck::NotConfigured);
}

TEST(LevelBoardRules, TargetLineShowsDashesWithoutAPointsGoal) {
    TestRig rig;
    CriteriaTables& c = rig.state.criteria;
    c.TargetTime[1] = 60;
    c.ClearCount[1] = 3;
    c.ClearPoint[1] = 50;
    c.PointRate[1] = 1.5f;
    EXPECT_EQ(TargetLine(rig.state, 1), QStringLiteral("目標=60秒 3回/50点(×1.5)"));
    c.PointRate[1] = 1.1f; // single precision, shown as typed
    EXPECT_EQ(TargetLine(rig.state, 1), QStringLiteral("目標=60秒 3回/50点(×1.1)"));
    c.PointRate[1] = 1;
    EXPECT_EQ(TargetLine(rig.state, 1), QStringLiteral("目標=60秒 3回/50点(×1)"));
    c.ClearPoint[1] = 9999;
    EXPECT_EQ(TargetLine(rig.state, 1), QStringLiteral("目標=60秒 --------"));
}
