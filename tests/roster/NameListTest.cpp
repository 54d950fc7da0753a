#include "TestDoubles.h"

#include "roster/NameList.h"
#include "roster/Roster.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace {
const QString kPad(QChar(0x3000));

RosterRecord Student(int id, int birthYear, const QString& name) {
    RosterRecord r;
    r.Id = int16_t(id);
    r.BirthYear = int16_t(birthYear);
    r.Name = FitRosterText(name);
    return r;
}

// A keyed row with the figures of the whole tables, as the list builds it.
QString Row(const ProgramState& state, const RosterRecord& s, int option) {
    return KeyedNameRow(s, state.roster.SchoolYear,
                        FiguresByStudent(state.counts)[std::size_t(s.Id)], option);
}

struct ListRig {
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;

    explicit ListRig(const QString& roster) {
        install.writeText(install.dataRoot() + kRosterFileName, roster);
        state.folders.CommonFolder = install.dataRoot();
        state.roster.SchoolYear = 2004;
    }
};

// Grades by birth year in the school year 2004.
const QString kClassRoster = QStringLiteral("1,1996,0,0,佐藤,0,,\n"    // 小2
                                            "2,1997,0,0,鈴木,0,,\n"    // 小1
                                            "3,1997,0,0,高橋,0,,\n"    // 小1
                                            "4,1998,0,0,田中,0,,\n"    // 幼3
                                            "5,1991,0,0,伊藤,0,,\n"    // 中1
                                            "6,1989,0,0,渡辺,0,,\n"    // 中3
                                            "7,1988,0,0,山本,0,,\n"    // 高1
                                            "8,1992,0,0,中村,0,,\n"    // 小6
                                            "9,2001,0,0,小林,0,,\n"    // 幼-
                                            "10,1985,0,0,加藤,0,,\n"); // 大+
} // namespace

TEST(FigureTexts, BlanksForZeroAndLastCharactersOfLongNumbers) {
    EXPECT_EQ(TodayCountText(0), QStringLiteral("     "));
    EXPECT_EQ(TodayCountText(3), QStringLiteral("  3回"));
    EXPECT_EQ(TodayCountText(1234), QStringLiteral("234回"));
    EXPECT_EQ(TodayPointsText(0), QStringLiteral("  ") + kPad);
    EXPECT_EQ(TodayPointsText(55), QStringLiteral("  55"));
    EXPECT_EQ(TodayPointsText(12345), QStringLiteral("2345"));
    EXPECT_EQ(TotalCountText(0), QStringLiteral("     ") + kPad);
    EXPECT_EQ(TotalCountText(12), QStringLiteral("   12回"));
    EXPECT_EQ(TotalCountText(123456), QStringLiteral("23456回"));
    EXPECT_EQ(TotalPointsText(0), QStringLiteral("       "));
    EXPECT_EQ(TotalPointsText(1500), QStringLiteral("   1500"));
}

TEST(KeyedNameRow, FiguresFollowTheDisplayOption) {
    TestRig rig;
    ProgramState& state = rig.state;
    state.roster.SchoolYear = 2004;
    const RosterRecord s = Student(21, 1997, QStringLiteral("佐藤"));
    // Summed over the levels.
    state.counts.RunCount(1, 21) = 5;
    state.counts.RunCount(35, 21) = 7;
    state.counts.TotalPoints(2, 21) = 300;
    state.counts.TotalPoints(3, 21) = 45;
    const QString name = QStringLiteral("1997小1 佐藤") + kPad + kPad + kPad + kPad;

    EXPECT_EQ(Row(state, s, 0), name + QStringLiteral("     /   12回*21"));
    EXPECT_EQ(Row(state, s, 1), name + QStringLiteral("  ") + kPad + QStringLiteral("/    345*21"));
    EXPECT_EQ(Row(state, s, 2), name + QStringLiteral("  ") + kPad + QStringLiteral("/     *21"));
    EXPECT_EQ(Row(state, s, 3), name + QStringLiteral("    345/   12回*21"));

    state.counts.TodayCount(4, 21) = 2;
    state.counts.TodayCount(5, 21) = 1;
    state.counts.TodayPoints(4, 21) = 40;
    EXPECT_EQ(Row(state, s, 0), name + QStringLiteral("  3回/   12回*21"));
    EXPECT_EQ(Row(state, s, 2), name + QStringLiteral("  40/  3回*21"));
}

TEST(KeyedNameRow, KindergartenGetsTheWideColumnExceptForPoints) {
    TestRig rig;
    rig.state.roster.SchoolYear = 2004;
    const RosterRecord small = Student(4, 1998, QStringLiteral("田中")); // 幼3
    const RosterRecord pupil = Student(2, 1997, QStringLiteral("鈴木")); // 小1
    auto nameColumn = [&](const RosterRecord& s, int option) {
        const QString row = Row(rig.state, s, option);
        return row.mid(4, row.indexOf(QLatin1Char(' '), 4 + 4) - 4); // label, blank, name, pad
    };
    for (int option : {0, 2, 3})
        EXPECT_EQ(nameColumn(small, option), QStringLiteral("幼3 田中") + kPad.repeated(6))
            << option;
    EXPECT_EQ(nameColumn(small, 1), QStringLiteral("幼3 田中") + kPad.repeated(4));
    for (int option : {0, 1, 2, 3})
        EXPECT_EQ(nameColumn(pupil, option), QStringLiteral("小1 鈴木") + kPad.repeated(4))
            << option;
}

TEST(KeyedNameRow, ALongNameStaysWholeWithoutPad) {
    TestRig rig;
    rig.state.roster.SchoolYear = 2004;
    const RosterRecord s = Student(3, 1997, QStringLiteral("長谷川　麻里子さん"));
    EXPECT_EQ(Row(rig.state, s, 0), QStringLiteral("1997小1 長谷川　麻里子さん     /     ") + kPad +
                                        QStringLiteral("*3"));
}

TEST(NameList, YoungestFirstAndRowZeroOnTop) {
    ListRig r(kClassRoster);
    const NameListRows rows = BuildNameList(r.state, 0, kAllGrades);
    ASSERT_EQ(rows.visible.size(), 11);
    ASSERT_EQ(rows.keyed.size(), 10);
    EXPECT_EQ(rows.visible[0], kNameListTopRow);
    QStringList labels;
    for (qsizetype i = 1; i < rows.visible.size(); ++i)
        labels.append(rows.visible[i].section(QLatin1Char(' '), 0, 0) + rows.visible[i].mid(3, 2));
    // Within one birth year: descending text order of label and name (高橋 before 鈴木).
    EXPECT_EQ(labels, (QStringList{"幼-小林", "幼3田中", "小1高橋", "小1鈴木", "小2佐藤", "小6中村",
                                   "中1伊藤", "中3渡辺", "高1山本", "大+加藤"}));
    // List3 entries run parallel to the rows and end with the ID.
    for (qsizetype i = 1; i < rows.visible.size(); ++i)
        EXPECT_TRUE(rows.keyed[i - 1].startsWith(rows.visible[i] + QLatin1Char('*')));
    EXPECT_EQ(IdOfKeyedEntry(rows.keyed[0]), 9);
    EXPECT_EQ(IdOfKeyedEntry(rows.keyed[2]), 3);
    EXPECT_EQ(r.state.roster.RosterCount, 10);
}

TEST(NameList, TheModelShowsTheVisibleRowsAndKeepsTheKeyedOnes) {
    ListRig r(kClassRoster);
    NameListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 1); // the top row before the first build
    for (const QString& filter : {kAllGrades, QStringLiteral("小１")}) {
        const NameListRows rows = BuildNameList(r.state, 0, filter);
        model.reset(rows);
        ASSERT_EQ(model.rowCount(), rows.visible.size()) << filter.toStdString();
        for (int row = 0; row < model.rowCount(); ++row)
            EXPECT_EQ(model.index(row).data().toString(), rows.visible[row])
                << filter.toStdString();
        EXPECT_EQ(model.rows().keyed, rows.keyed);
    }
}

TEST(NameList, GradeFilterKeepsItsGrades) {
    ListRig r(kClassRoster);
    struct Row {
        const char16_t* filter;
        std::vector<int> ids;
    };
    const Row rows[] = {
        {u"全学年", {9, 4, 3, 2, 1, 8, 5, 6, 7, 10}},
        {u"中学生全体", {5, 6}},
        {u"小学生全体", {3, 2, 1, 8}},
        {u"小１", {3, 2}},
        {u"小６", {8}},
        {u"中３", {6}},
        {u"中２", {}},
        {u"高１", {}},
        {u"幼３", {}},
        {u"", {}},
    };
    for (const Row& row : rows) {
        const QString filter = QString::fromUtf16(row.filter);
        SCOPED_TRACE(filter.toStdString());
        const NameListRows list = BuildNameList(r.state, 1, filter);
        std::vector<int> ids;
        for (const QString& entry : list.keyed)
            ids.push_back(IdOfKeyedEntry(entry));
        EXPECT_EQ(ids, row.ids);
        EXPECT_EQ(list.visible.size(), qsizetype(row.ids.size()) + 1);
        EXPECT_EQ(list.visible[0], kNameListTopRow);
    }
}

TEST(NameList, AnEmptyRosterGivesOnlyTheTopRow) {
    ListRig r{QString()};
    const NameListRows rows = BuildNameList(r.state, 1, kAllGrades);
    EXPECT_EQ(rows.visible, QStringList{kNameListTopRow});
    EXPECT_TRUE(rows.keyed.isEmpty());
    EXPECT_EQ(r.state.roster.RosterCount, 0);
}

TEST(NameList, HiddenStatusesAreNotListed) {
    ListRig r(QStringLiteral("1,1997,0,0,一年生,0,,\n"
                             "2,1997,0,0,退会,1,,\n"
                             "3,1997,0,0,休会,2,,\n"));
    auto ids = [&] {
        std::vector<int> out;
        for (const QString& entry : BuildNameList(r.state, 1, kAllGrades).keyed)
            out.push_back(IdOfKeyedEntry(entry));
        return out;
    };
    EXPECT_EQ(ids(), std::vector<int>{1});
    r.state.common.ListStatus2 = 1;
    EXPECT_EQ(ids(), (std::vector<int>{3, 1}));
}

TEST(NameList, ANameWithAStarKeepsItsId) {
    ListRig r(QStringLiteral("42,1997,0,0,星*子,0,,\n"));
    const NameListRows rows = BuildNameList(r.state, 1, kAllGrades);
    ASSERT_EQ(rows.keyed.size(), 1);
    EXPECT_EQ(IdOfKeyedEntry(rows.keyed[0]), 42);
    EXPECT_TRUE(rows.visible[1].startsWith(QStringLiteral("小1 星*子")));
    EXPECT_FALSE(rows.visible[1].endsWith(QStringLiteral("42")));
}
