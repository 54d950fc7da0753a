#include "rules/LevelListModel.h"

#include "TestDoubles.h"
#include "core/ProgramState.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include <vector>

namespace {

const QString kAll = QStringLiteral("全学年");

// Four students of level 1: two primary, two lower secondary; 山田 (2) is the
// student at the board.
class LevelListModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ProgramState& s = rig.state;
        s.levels.LevelCount = 1;
        s.roster.SchoolYear = 2026;
        s.counts.BestTime.fill(99999);
        addStudent(1, "佐藤", 2, 45, 3, 40);
        addStudent(2, "山田", 5, 30, 0, 120);
        addStudent(3, "鈴木", 7, 99998, 8, 40);
        addStudent(4, "田中", 8, 99999, 0, 0);
        s.session.StudentNo = 2;
    }

    void addStudent(int id, const char* name, int grade, int32_t bestTime, int32_t today,
                    int32_t total) {
        ProgramState& s = rig.state;
        const int row = ++s.roster.RosterCount;
        s.roster.RosterId[row] = int16_t(id);
        s.roster.RosterName[id] = QString::fromUtf8(name).leftJustified(20, QLatin1Char(' '));
        s.roster.RosterBirthYear[id] = int16_t(2026 - 6 - grade);
        s.counts.BestTime(1, id) = bestTime;
        s.counts.TodayPoints(1, id) = today;
        s.counts.TotalPoints(1, id) = total;
    }

    QString shown(const LevelListModel& model, int row) const {
        return model.data(model.index(row), Qt::DisplayRole).toString();
    }

    TestRig rig;
};

TEST_F(LevelListModelTest, ARankingShowsItsRowsTextsAndOwnRow) {
    struct Case {
        RankingOrder order;
        const char* filter;
        int rows;
        int ownRow;
        std::vector<std::pair<int, const char*>> texts; // chosen rows
    };
    const Case cases[] = {
        {RankingOrder::BestTime,
         "全学年",
         4,
         0,
         {{0, " 1●山田　　　    30 ●"},
          {1, " 2②佐藤　　　    45 　"},
          {2, " 3Ⅰ鈴木　　　*失敗* 　"},
          {3, "--Ⅱ田中　　　------ 　"}}},
        {RankingOrder::TotalPoints,
         "全学年",
         4,
         0,
         {{0, " 1●山田　　　  0/  120"}, {1, " 2Ⅰ鈴木　　　  8/   40"}}},
        {RankingOrder::TodayPoints,
         "全学年",
         2,
         -1,
         {{0, " 1Ⅰ鈴木　　　  8/   40"}, {1, " 2②佐藤　　　  3/   40"}}},
        // Ranks count the students the filter hides.
        {RankingOrder::BestTime, "中学生全体", 2, -1, {{0, " 3Ⅰ鈴木　　　*失敗* 　"}}},
        {RankingOrder::TotalPoints, "小５", 1, 0, {{0, " 1●山田　　　  0/  120"}}},
    };
    for (const Case& c : cases) {
        LevelListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.showRanking(RankLevelRows(rig.state, 1, c.order, QString::fromUtf8(c.filter)));
        const std::string label = std::to_string(int(c.order)) + " " + c.filter;
        ASSERT_EQ(model.rowCount(), c.rows) << label;
        EXPECT_EQ(model.ownRow(), c.ownRow) << label;
        for (const auto& [row, text] : c.texts)
            EXPECT_EQ(shown(model, row), QString::fromUtf8(text)) << label << " row " << row;
        // The lines the time colours read are the lines shown.
        const QStringList all = model.texts();
        ASSERT_EQ(all.size(), c.rows) << label;
        for (int row = 0; row < c.rows; ++row)
            EXPECT_EQ(all[row], shown(model, row)) << label << " row " << row;
    }
}

TEST_F(LevelListModelTest, ARankingShowsTheFiguresItWasRankedWith) {
    LevelListModel model;
    model.showRanking(RankLevelRows(rig.state, 1, RankingOrder::TotalPoints, kAll));
    // A recount or another student at the board must not change lines already ranked.
    rig.state.counts.TotalPoints(1, 2) = 5;
    rig.state.counts.TodayPoints(1, 2) = 5;
    rig.state.roster.RosterName[2] = QStringLiteral("別人");
    rig.state.session.StudentNo = 3;
    EXPECT_EQ(shown(model, 0), QStringLiteral(" 1●山田　　　  0/  120"));
    EXPECT_EQ(shown(model, 1), QStringLiteral(" 2Ⅰ鈴木　　　  8/   40"));
    EXPECT_EQ(model.ownRow(), 0);
}

TEST_F(LevelListModelTest, LinesReplaceARankingAndClearEmptiesTheList) {
    LevelListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.showRanking(RankLevelRows(rig.state, 1, RankingOrder::BestTime, kAll));
    const QStringList lines = {QStringLiteral("  30秒 09:30●山田　　　●11"),
                               QStringLiteral("　　× 10:00②佐藤　　　②")};
    model.showLines(lines);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.ownRow(), -1); // the own line is scrolled to in rankings only
    EXPECT_EQ(shown(model, 1), lines[1]);
    EXPECT_EQ(model.texts(), lines);
    // Only the display role, only rows that exist.
    EXPECT_FALSE(model.data(model.index(0), Qt::ToolTipRole).isValid());
    EXPECT_FALSE(model.data(model.index(2), Qt::DisplayRole).isValid());
    EXPECT_EQ(model.text(-1), QString());

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(model.texts().isEmpty());
    model.showRanking(RankingRows{});
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
