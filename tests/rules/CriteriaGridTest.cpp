#include "rules/CriteriaGrid.h"

#include <gtest/gtest.h>

namespace {

// A criteria file of a heading and `levels` lines, as the file reader gives it.
std::vector<QStringList> FileRows(int levels) {
    std::vector<QStringList> rows{QStringList{QStringLiteral("古い見出し")} + QStringList(11)};
    for (int k = 1; k <= levels; ++k)
        rows.push_back({QString::number(50 + k), QStringLiteral("120"), QStringLiteral("100"),
                        QStringLiteral("5"), QStringLiteral("1.5"), QStringLiteral("20"),
                        QStringLiteral("2000"), QStringLiteral("7"), QStringLiteral("1"), QString(),
                        QString(), QString()});
    return rows;
}

CriteriaGrid Loaded(int levels = 7) {
    CriteriaGrid grid;
    grid.load(FileRows(levels));
    return grid;
}

TEST(CriteriaGrid, ShowsCaptionsAndLevelNumbersAroundTheFileValues) {
    const CriteriaGrid grid = Loaded();
    EXPECT_EQ(grid.levelRows(), 7);
    const QStringList captions{"レベル",    "目標Time", "最低Time", "ｸﾘｱﾎﾟｲﾝﾄ", "ｸﾘｱ回数",
                               "ﾎﾟｲﾝﾄ倍率", "禁回",     "禁点",     "判期間",   "禁期間",
                               "",          "",         ""};
    for (int c = 0; c < CriteriaGrid::kColumns; ++c)
        EXPECT_EQ(grid.cell(0, c), captions[c]) << c;
    EXPECT_EQ(grid.cell(7, 0), QStringLiteral("7"));
    EXPECT_EQ(grid.cell(7, 1), QStringLiteral("57"));
    EXPECT_EQ(grid.cell(7, 12), QString());
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.column(), 1);
    EXPECT_FALSE(grid.changed());
}

TEST(CriteriaGrid, MovesStayWithinTheLevelRowsAndCriteriaColumns) {
    CriteriaGrid grid = Loaded();
    int downs = 0;
    while (grid.moveDown())
        ++downs;
    EXPECT_EQ(downs, 6);
    EXPECT_EQ(grid.row(), 7);
    int rights = 0;
    while (grid.moveRight())
        ++rights;
    EXPECT_EQ(rights, 11);
    EXPECT_EQ(grid.column(), 12);
    while (grid.moveUp())
        ;
    while (grid.moveLeft())
        ;
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.column(), 1);
    // The caption row and the level column cannot be edited.
    EXPECT_FALSE(grid.moveTo(0, 3));
    EXPECT_FALSE(grid.moveTo(3, 0));
    EXPECT_FALSE(grid.moveTo(8, 3));
    EXPECT_TRUE(grid.moveTo(7, 12));
}

TEST(CriteriaGrid, TypingChangesTheCellColourAndMarkOnlyWhenTheTextDiffers) {
    CriteriaGrid grid = Loaded();
    grid.moveTo(2, 1);
    grid.setCurrentText(QStringLiteral("52"));
    EXPECT_FALSE(grid.changed());
    EXPECT_FALSE(grid.isChangeColoured(2, 1));
    grid.setCurrentText(QStringLiteral("520"));
    EXPECT_TRUE(grid.changed());
    EXPECT_TRUE(grid.isChangeColoured(2, 1));
    EXPECT_FALSE(grid.isChangeColoured(2, 2));
    EXPECT_EQ(grid.cell(2, 1), QStringLiteral("520"));
    grid.markSaved();
    EXPECT_FALSE(grid.changed());
    EXPECT_FALSE(grid.isChangeColoured(2, 1));
    EXPECT_EQ(grid.cell(2, 1), QStringLiteral("520"));
}

TEST(CriteriaGrid, ShiftDownStretchesTheCopyOneRowAtATimeUpToTheLastLevel) {
    CriteriaGrid grid = Loaded(6);
    grid.moveTo(2, 3);
    for (int i = 0; i < 3; ++i)
        grid.copyDown(QStringLiteral("80"));
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.selectionEnd(), 5);
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(grid.cell(r, 3), QStringLiteral("80")) << r;
        EXPECT_TRUE(grid.isChangeColoured(r, 3)) << r;
    }
    EXPECT_EQ(grid.cell(6, 3), QStringLiteral("100"));
    EXPECT_EQ(grid.cell(1, 3), QStringLiteral("100"));
    EXPECT_TRUE(grid.changed());
    for (int i = 0; i < 3; ++i)
        grid.copyDown(QStringLiteral("81"));
    EXPECT_EQ(grid.selectionEnd(), 6);
    EXPECT_EQ(grid.cell(6, 3), QStringLiteral("81"));
    // A move ends the selection.
    grid.moveRight();
    EXPECT_EQ(grid.selectionEnd(), 2);
}

TEST(CriteriaGrid, ExplainsEachColumnInLinesJoinedByCrLf) {
    EXPECT_EQ(
        CriteriaGrid::Explanation(1),
        QStringLiteral(
            "合格基準タイム\r\n\u3000大部分の人ががんばったら出せそうなタイムにしてください"));
    EXPECT_EQ(CriteriaGrid::Explanation(2),
              QStringLiteral("合格最低ラインタイム\r\n  この５倍が時間切れになります"));
    EXPECT_EQ(CriteriaGrid::Explanation(4), QStringLiteral("目標回数\r\n\u3000\u3000 目標回数"));
    EXPECT_EQ(CriteriaGrid::Explanation(6),
              QStringLiteral("やりすぎ禁止回数\r\n  何回やったらやりすぎ禁止にするか\r\n  "));
    EXPECT_EQ(
        CriteriaGrid::Explanation(7),
        QStringLiteral("やりすぎ禁止ポイント\r\n  何ポイントとったらやりすぎ禁止にするか\r\n "));
    EXPECT_EQ(CriteriaGrid::Explanation(9),
              QStringLiteral("やりすぎ判定をする日数\r\n\u3000何日前からのポイントを有効にするか"));
    for (int c = 10; c <= 12; ++c)
        EXPECT_EQ(CriteriaGrid::Explanation(c), QString()) << c;
}

TEST(CriteriaGrid, RefusesToSaveCellsTheFileCannotCarry) {
    struct Case {
        int column;
        const char* text;
        bool refused;
        const char* named;          // part of the message
        const char* kept = nullptr; // the cell as the file gets it, when not as typed
    };
    const Case cases[] = {
        {1, "abc", true, "レベル4 の 1 列目（目標Time）の「abc」は数ではありません"},
        {9, "7日", true, "9 列目（禁期間）"},
        {1, "", false, ""},
        {2, " 130 ", false, ""},
        {5, "1.25", false, ""},
        {10, "メモ", false, ""},
        {11, "1,5", true, "11 列目（予備）にカンマ"},
        {6, "\"20", true, "二重引用符"},
        {12, "a\r\nb", true, "改行"},
        {4, "32767", false, ""},
        {4, "32768", true, "大きすぎるか小さすぎます"},
        {1, "2147483648", true, "大きすぎるか小さすぎます"},
        {5, "1e39", true, "大きすぎるか小さすぎます"},
        {7, "1e39", false, ""},
        // Typed with the input method on.
        {2, "１３０", false, "", "130"},
        {5, "－１．２５", false, "", "-1.25"},
        {4, "３２７６８", true, "大きすぎるか小さすぎます", "32768"},
        {10, "１２", false, "", "１２"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CriteriaGrid grid = Loaded();
        grid.moveTo(4, c.column);
        grid.setCurrentText(QString::fromUtf8(c.text));
        EXPECT_EQ(grid.cell(4, c.column), QString::fromUtf8(c.kept ? c.kept : c.text));
        const auto refusal = grid.unsavableCell();
        ASSERT_EQ(refusal.has_value(), c.refused);
        if (refusal) {
            EXPECT_EQ(refusal->row, 4);
            EXPECT_EQ(refusal->column, c.column);
            EXPECT_TRUE(refusal->message.contains(QString::fromUtf8(c.named)))
                << refusal->message.toStdString();
        }
    }
}

TEST(CriteriaGrid, WritesCaptionsAndCriteriaColumnsWithoutTheLevelNumbers) {
    CriteriaGrid grid = Loaded(2);
    const std::vector<QStringList> rows = grid.fileRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(
        rows[0].join(QLatin1Char(',')),
        QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"));
    EXPECT_EQ(rows[2].join(QLatin1Char(',')), QStringLiteral("52,120,100,5,1.5,20,2000,7,1,,,"));
}

} // namespace
