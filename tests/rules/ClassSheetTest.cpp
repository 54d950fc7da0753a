#include "ClassSheetRig.h"

#include "roster/NameList.h"

#include <gtest/gtest.h>

TEST(ClassSheet, CellsShowBestTimesMarksTimeOutsAndLocksByTheBoardsRules) {
    SheetRig r;
    r.ran(1, 1, 30);
    r.clear(1, 1);
    r.ran(1, 2, 50);
    r.ran(1, 2, 55);
    r.overPractise(1, 2);
    r.ran(2, 1, 99999); // a time-out only
    r.ran(2, 2, 40);
    r.clear(2, 2);
    r.ran(2, 3, 45);
    r.overPractise(2, 3); // the last level is never locked
    r.ran(3, 1, 20);
    r.clear(3, 1);

    const ClassSheet sheet = r.sheet();
    EXPECT_EQ(sheet.classroom, QStringLiteral("さくら教室"));
    EXPECT_EQ(sheet.date, QStringLiteral("令和8年 12月 09日（水）"));
    EXPECT_EQ(sheet.levelNames, (QStringList{QStringLiteral("円周1"), QStringLiteral("円周2"),
                                             QStringLiteral("円周3")}));
    ASSERT_EQ(sheet.grades.size(), 2u);
    const GradeSheet& fifth = sheet.grades[0];
    EXPECT_EQ(fifth.grade, QStringLiteral("小5"));
    ASSERT_EQ(fifth.rows.size(), 2u);
    EXPECT_EQ(fifth.rows[0].name, QStringLiteral("生徒1"));
    EXPECT_EQ(CellTexts(fifth.rows[0]),
              (QStringList{QStringLiteral("○ 30"), QStringLiteral("50"), QString()}));
    EXPECT_EQ(CellTexts(fifth.rows[1]),
              (QStringList{QStringLiteral("×"), QStringLiteral("○ 40"), QStringLiteral("45")}));
    const bool locked[2][3] = {{false, true, false}, {false, false, false}};
    for (int row = 0; row < 2; ++row)
        for (int level = 0; level < 3; ++level)
            EXPECT_EQ(fifth.rows[std::size_t(row)].cells[std::size_t(level)].locked,
                      locked[row][level])
                << "row " << row << " level " << level + 1;

    // The time-out counts for no median; two times give their mean.
    ASSERT_EQ(fifth.summary.size(), 3u);
    EXPECT_EQ(SummaryText(fifth.summary[0]), QStringLiteral("合格 1人\n中央値 30秒"));
    EXPECT_EQ(SummaryText(fifth.summary[1]), QStringLiteral("合格 1人\n中央値 45秒"));
    EXPECT_EQ(SummaryText(fifth.summary[2]), QStringLiteral("合格 0人\n中央値 45秒"));
    EXPECT_EQ(sheet.grades[1].grade, QStringLiteral("小6"));
    EXPECT_EQ(SummaryText(sheet.grades[1].summary[1]), QStringLiteral("合格 0人\n中央値 －"));
}

TEST(ClassSheet, NothingIsLockedOnceTheFinalLevelIsPassedAndATeacherNamedSoOpensEveryLevel) {
    SheetRig r;
    r.state.levels.LevelBoardSwitch = 0;
    r.overPractise(1, 1);
    r.overPractise(1, 2);
    r.clear(1, 3);        // the final level is passed
    r.overPractise(2, 2); // level 1 not cleared: level 2 is not reached
    r.state.roster.RosterName[3] = QStringLiteral("先生");
    r.overPractise(3, 2);
    const ClassSheet sheet = r.sheet();
    EXPECT_FALSE(sheet.grades[0].rows[0].cells[0].locked);
    EXPECT_FALSE(sheet.grades[0].rows[0].cells[1].locked);
    EXPECT_FALSE(sheet.grades[0].rows[1].cells[1].locked);
    EXPECT_TRUE(sheet.grades[1].rows[0].cells[1].locked);
    // Cleared by the pass rule alone, even without a time.
    EXPECT_EQ(SheetCellText(sheet.grades[0].rows[0].cells[2]), QStringLiteral("○"));
}

TEST(ClassSheet, MedianOfTheBestTimes) {
    const struct {
        std::vector<int32_t> times;
        std::optional<double> median;
    } cases[] = {
        {{}, std::nullopt}, {{7}, 7},      {{9, 3}, 6},
        {{4, 1, 3}, 3},     {{1, 2}, 1.5}, {{50, 10, 40, 20}, 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MedianBestTime(c.times), c.median) << c.times.size() << " times";
    EXPECT_EQ(SummaryText({2, 41.5}), QStringLiteral("合格 2人\n中央値 41.5秒"));
}

TEST(ClassSheet, PagesHoldAFixedNumberOfRowsAndTheSummaryComesLast) {
    ClassSheet sheet;
    sheet.classroom = QStringLiteral("さくら教室");
    sheet.date = QStringLiteral("令和8年 12月 09日（水）");
    sheet.grades.resize(2);
    sheet.grades[0].grade = QStringLiteral("小1");
    sheet.grades[0].rows.resize(25);
    sheet.grades[1].grade = QStringLiteral("中3");
    sheet.grades[1].rows.resize(24);

    const std::vector<SheetPage> pages = PaginateSheet(sheet, 24);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].rowCount, 24);
    EXPECT_FALSE(pages[0].summary);
    EXPECT_EQ(pages[1].firstRow, 24);
    EXPECT_EQ(pages[1].rowCount, 1);
    EXPECT_TRUE(pages[1].summary);
    EXPECT_EQ(pages[2].grade, 1);
    EXPECT_EQ(pages[2].rowCount, 24);
    EXPECT_TRUE(pages[2].summary);
    const auto unlimited = [](const QString&) { return 0.0; };
    EXPECT_EQ(HeadingLine(SheetPageHeading(sheet, pages[1]), 1, unlimited),
              QStringLiteral("さくら教室　小1　（2/2）　令和8年 12月 09日（水）"));
    EXPECT_EQ(HeadingLine(SheetPageHeading(sheet, pages[2]), 1, unlimited),
              QStringLiteral("さくら教室　中3　令和8年 12月 09日（水）"));
}

TEST(ClassSheet, TeachersNameAGradeAsTheListOrTheSheetDoesInEitherDigits) {
    const struct {
        const char* text;
        std::optional<GradeChoice> choice;
    } cases[] = {
        {"全学年", GradeChoice{kAllGrades, {}}},
        {"小学生全体", GradeChoice{QStringLiteral("小学生全体"), {}}},
        {"小５", GradeChoice{QStringLiteral("小５"), {}}},
        {"小5", GradeChoice{QStringLiteral("小５"), {}}},
        {"中３", GradeChoice{QStringLiteral("中３"), {}}},
        {" 中3 ", GradeChoice{QStringLiteral("中３"), {}}},
        {"高1", GradeChoice{kAllGrades, QStringLiteral("高1")}},
        {"高１", GradeChoice{kAllGrades, QStringLiteral("高1")}},
        {"幼3", GradeChoice{kAllGrades, QStringLiteral("幼3")}},
        {"小7", std::nullopt},
        {"中4", std::nullopt},
        {"5", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<GradeChoice> choice = ReadGradeChoice(QString::fromUtf8(c.text));
        ASSERT_EQ(choice.has_value(), c.choice.has_value()) << c.text;
        if (!choice) continue;
        EXPECT_EQ(choice->filter, c.choice->filter) << c.text;
        EXPECT_EQ(choice->label, c.choice->label) << c.text;
    }
}

// A title too wide for its page loses the end of the classroom's name to "…";
// the grade, the student and the date are never cut.
TEST(ClassSheet, HeadingLinesShortenTheClassroomAndKeepTheRestWhole) {
    const auto width = [](const QString& text) { return double(text.size()); };
    const PageHeading student{
        QStringLiteral("東京都世田谷区三軒茶屋駅前教室"),
        {QStringLiteral("小5"), QStringLiteral("番号 12"), QStringLiteral("山田 太郎")},
        QStringLiteral("令和8年 12月 09日（水）")};
    const struct {
        double width;
        QString line;
    } cases[] = {
        {100,
         QStringLiteral(
             "東京都世田谷区三軒茶屋駅前教室　小5　番号 12　山田 太郎　令和8年 12月 09日（水）")},
        {46,
         QStringLiteral(
             "東京都世田谷区三軒茶屋駅前教室　小5　番号 12　山田 太郎　令和8年 12月 09日（水）")},
        {45, QStringLiteral(
                 "東京都世田谷区三軒茶屋駅前…　小5　番号 12　山田 太郎　令和8年 12月 09日（水）")},
        {36, QStringLiteral("東京都世…　小5　番号 12　山田 太郎　令和8年 12月 09日（水）")},
        {10, QStringLiteral("…　小5　番号 12　山田 太郎　令和8年 12月 09日（水）")},
    };
    for (const auto& c : cases) {
        const QString line = HeadingLine(student, c.width, width);
        EXPECT_EQ(line, c.line) << c.width;
        EXPECT_TRUE(line.endsWith(student.date));
    }
    EXPECT_EQ(PageFooter(3, 12), QStringLiteral("3 / 12"));

    ClassSheet sheet;
    sheet.classroom = QStringLiteral("さくら教室");
    sheet.date = student.date;
    sheet.grades.push_back({QStringLiteral("小5"), {}, {}});
    SheetRow row;
    row.student = 12;
    row.name = QStringLiteral("山田 太郎");
    const PageHeading heading = StudentPageHeading(sheet, sheet.grades[0], row);
    EXPECT_EQ(heading.details, student.details);
}
