#include "TestDoubles.h"

#include "core/CsvReader.h"
#include "core/Text.h"
#include "roster/Roster.h"

#include <gtest/gtest.h>

namespace {
// A roster in a temporary installation, with the common folder set.
struct RosterRig {
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;

    explicit RosterRig(const QString& roster) {
        install.writeText(install.dataRoot() + kRosterFileName, roster);
        state.folders.CommonFolder = install.dataRoot();
        rig.clock.current = QDateTime(QDate(2004, 10, 1), QTime(9, 0));
        state.common.YearStartMonth = 4;
    }
};
} // namespace

TEST(ReadRosterLine, ReadsEightFieldsAndFitsTheTextsToTwenty) {
    CsvReader reader(
        QStringLiteral("12, 1997, 3, 4, \"山田, 太郎\", 2, aux, 0123456789012345678901234\r\n"
                       "x,19x7,0,0,あいうえおかきくけこさしすせそたちつてとな,1,,\r\n"),
        QStringLiteral("新名簿.txt"));
    RosterRecord record;
    EXPECT_EQ(ReadRosterLine(reader, record), 2);
    EXPECT_EQ(record.Id, 12);
    EXPECT_EQ(record.BirthYear, 1997);
    EXPECT_EQ(record.Aux1, 3);
    EXPECT_EQ(record.Aux2, 4);
    EXPECT_EQ(record.Name, QStringLiteral("山田, 太郎") + QString(14, QLatin1Char(' ')));
    EXPECT_EQ(record.Aux3, QStringLiteral("aux") + QString(17, QLatin1Char(' ')));
    EXPECT_EQ(record.Aux4, QStringLiteral("01234567890123456789"));

    // Not numbers read as 0; a name of 21 characters loses its last one.
    EXPECT_EQ(ReadRosterLine(reader, record), 1);
    EXPECT_EQ(record.Id, 0);
    EXPECT_EQ(record.BirthYear, 0);
    EXPECT_EQ(record.Name, QStringLiteral("あいうえおかきくけこさしすせそたちつてと"));
    EXPECT_EQ(record.Aux3, QString(20, QLatin1Char(' ')));
    EXPECT_TRUE(reader.atEnd());
}

TEST(ReadRosterLine, ALineWithTooFewFieldsIsAnError) {
    CsvReader reader(QStringLiteral("1,1997,0,0,名前\r\n"), QStringLiteral("新名簿.txt"));
    RosterRecord record;
    EXPECT_THROW(ReadRosterLine(reader, record), DataFileError);
}

TEST(ReadRosterFile, SkipsIdsOutsideTheTablesAndLetsALaterDuplicateWin) {
    RosterRig r(QStringLiteral("0,1997,0,0,ゼロ,0,,\n"
                               "1,1997,0,0,一郎,0,,\n"
                               "5001,1997,0,0,大きすぎ,0,,\n"
                               "-3,1997,0,0,負,0,,\n"
                               "2,1996,0,0,二郎,0,,\n"
                               "1,1995,0,0,一郎改,1,,\n"
                               "5000,1990,0,0,最後,0,,\n"));
    const std::vector<RosterLine> lines = ReadRosterFile(RosterFilePath(r.state));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].record.Id, 2);
    EXPECT_EQ(lines[1].record.Id, 1);
    EXPECT_EQ(lines[1].record.Name.trimmed(), QStringLiteral("一郎改"));
    EXPECT_EQ(lines[1].status, 1);
    EXPECT_EQ(lines[2].record.Id, 5000);
}

TEST(ReadRosterFile, AMissingFileIsAnErrorNamingIt) {
    RosterRig r{QString()};
    QFile::remove(RosterFilePath(r.state));
    try {
        ReadRosterFile(RosterFilePath(r.state));
        FAIL() << "no error";
    } catch (const DataFileError& error) {
        EXPECT_TRUE(error.message().contains(kRosterFileName)) << error.message().toStdString();
    }
}

TEST(SchoolYear, ChangesOnTheStartMonth) {
    EXPECT_EQ(SchoolYearOf(QDate(2005, 3, 15), 4), 2004);
    EXPECT_EQ(SchoolYearOf(QDate(2005, 3, 31), 4), 2004);
    EXPECT_EQ(SchoolYearOf(QDate(2005, 4, 1), 4), 2005);
    EXPECT_EQ(SchoolYearOf(QDate(2005, 12, 31), 4), 2005);
    EXPECT_EQ(SchoolYearOf(QDate(2005, 1, 1), 1), 2005);
    EXPECT_EQ(SchoolYearOf(QDate(2005, 8, 31), 9), 2004);
    EXPECT_EQ(SchoolYearOf(QDate(2005, 9, 1), 9), 2005);

    TestRig rig;
    rig.state.common.YearStartMonth = 4;
    rig.clock.current = QDateTime(QDate(2005, 3, 31), QTime(23, 59, 59));
    ComputeSchoolYear(rig.state);
    EXPECT_EQ(rig.state.roster.SchoolYear, 2004);
    rig.clock.advance(1);
    ComputeSchoolYear(rig.state);
    EXPECT_EQ(rig.state.roster.SchoolYear, 2005);
}

TEST(Grades, LabelsAndStagesAtTheirEdges) {
    struct Row {
        int birthYear;
        int grade;
        const char16_t* label; // nullptr: no label
        const char16_t* shortLabel;
        int stage;
    };
    const Row rows[] = {
        {2002, -4, nullptr, u"幼-", -10}, {2001, -3, nullptr, u"幼-", -9},
        {2000, -2, nullptr, u"幼1", -8},  {1999, -1, nullptr, u"幼2", -7},
        {1998, 0, u"幼３", u"幼3", -6},   {1997, 1, u"小１", u"小1", 1},
        {1992, 6, u"小６", u"小6", 6},    {1991, 7, u"中１", u"中1", 1},
        {1989, 9, u"中３", u"中3", 3},    {1988, 10, u"高１", u"高1", 1},
        {1987, 11, nullptr, u"高2", 2},   {1986, 12, nullptr, u"高3", 3},
        {1985, 13, nullptr, u"大+", 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.grade);
        const int grade = GradeNumber(2004, row.birthYear);
        EXPECT_EQ(grade, row.grade);
        const auto label = GradeLabel(grade);
        if (row.label)
            EXPECT_EQ(label.value_or(QString()), QString::fromUtf16(row.label));
        else
            EXPECT_FALSE(label.has_value());
        EXPECT_EQ(ShortGradeLabel(grade), QString::fromUtf16(row.shortLabel));
        EXPECT_EQ(StageNumber(grade), row.stage);
    }
}

TEST(NameScreenRoster, ShowsStatusZeroAndTwoOnlyWithTheSwitch) {
    const QString roster = QStringLiteral("1,1997,0,0,一年生,0,,\n"
                                          "2,2002,0,0,幼稚園,1,,\n"
                                          "3,1996,0,0,休会中,2,,\n"
                                          "4,1985,0,0,卒業生,0,,\n");
    for (int listStatus2 : {0, 1}) {
        SCOPED_TRACE(listStatus2);
        RosterRig r(roster);
        r.state.roster.SchoolYear = 2004;
        r.state.common.ListStatus2 = listStatus2;
        r.state.roster.RosterGrade[2] = QStringLiteral("前の値");
        r.state.roster.RosterGrade[4] = QStringLiteral("前の値");
        const auto shown = FillNameScreenRoster(r.state, ReadRosterFile(RosterFilePath(r.state)));

        const RosterTables& t = r.state.roster;
        std::vector<int> shownIds;
        for (const RosterRecord& s : shown)
            shownIds.push_back(s.Id);
        const std::vector<int> expected =
            listStatus2 == 1 ? std::vector<int>{1, 3, 4} : std::vector<int>{1, 4};
        EXPECT_EQ(shownIds, expected);
        EXPECT_EQ(t.RosterCount, int(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(t.RosterId[i + 1], expected[i]);
            EXPECT_EQ(t.Roster[i + 1].Id, expected[i]);
        }
        // A hidden student's tables are set all the same; names keep 20 characters.
        EXPECT_EQ(t.RosterName[2], QStringLiteral("幼稚園") + QString(17, QLatin1Char(' ')));
        EXPECT_EQ(t.RosterBirthYear[2], 2002);
        EXPECT_EQ(t.RosterGrade[2], QStringLiteral("前の値")); // grade −4 has no label
        EXPECT_EQ(t.RosterGrade[4], QStringLiteral("前の値")); // grade 13 neither
        EXPECT_EQ(t.RosterGrade[1], QStringLiteral("小１"));
        EXPECT_EQ(t.RosterGrade[3], QStringLiteral("小２"));
    }
}

TEST(NameScreenRoster, ListsAtMostFiveThousandStudents) {
    QString roster;
    for (int id = 1; id <= 5000; ++id)
        roster += QStringLiteral("%1,1997,0,0,生徒%1,0,,\n").arg(id);
    RosterRig r(roster);
    std::vector<RosterLine> lines = ReadRosterFile(RosterFilePath(r.state));
    RosterLine extra = lines.back();
    extra.record.Id = 4999; // same as an earlier one: the file reader would merge it
    lines.push_back(extra);
    const auto shown = FillNameScreenRoster(r.state, lines);
    EXPECT_EQ(shown.size(), 5000u);
    EXPECT_EQ(r.state.roster.RosterCount, 5000);
    EXPECT_EQ(r.state.roster.RosterId[5000], 5000);
}

TEST(BoardRoster, ListsStatusZeroWithTrimmedNamesAndGrades) {
    RosterRig r(QStringLiteral("1,1997,0,0,\"  一年生  \",0,,\n"
                               "2,1996,0,0,休会中,2,,\n"
                               "3,1990,0,0,中学生,1,,\n"
                               "4,1985,0,0,卒業生,0,,\n"));
    r.state.common.ListStatus2 = 1; // never applies to the board
    r.state.roster.RosterGrade[4] = QStringLiteral("前の値");
    const std::vector<ListedStudent> listed = ReadBoardRoster(r.state);
    EXPECT_EQ(r.state.roster.SchoolYear, 2004);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].Id, 1);
    EXPECT_EQ(listed[0].Name, QStringLiteral("  一年生"));
    EXPECT_EQ(listed[0].Grade, QStringLiteral("小１"));
    EXPECT_EQ(listed[1].Id, 4);
    EXPECT_EQ(listed[1].Grade, QStringLiteral("前の値"));
    EXPECT_EQ(r.state.roster.RosterName[3], QStringLiteral("中学生"));
    EXPECT_EQ(r.state.roster.RosterGrade[3], QStringLiteral("中２"));
}

TEST(BrowserRoster, KeepsEveryLineWithItsStatus) {
    RosterRig r(QStringLiteral("7,1997,0,0,\"  一年生  \",0,,\n"
                               "3,1996,0,0,休会中,2,,\n"
                               "5,1990,0,0,退会,1,,\n"));
    BrowserRoster browser;
    ReadBrowserRoster(r.state, browser);
    EXPECT_EQ(browser.Ids, (std::vector<int16_t>{7, 3, 5}));
    EXPECT_EQ(browser.Name[7], QStringLiteral("一年生"));
    EXPECT_EQ(browser.Status[3], 2);
    EXPECT_EQ(browser.Status[5], 1);
    EXPECT_EQ(browser.BirthYear[5], 1990);
    EXPECT_EQ(browser.Grade[5], QStringLiteral("中２"));
    EXPECT_EQ(r.state.roster.Roster[0].Id, 5);
}

namespace {
TEST(ReadRosterFile, BlankLinesAreSkippedAndALineOfTheWrongLengthIsRefusedByItsLine) {
    RosterRig blank(QStringLiteral("1,1997,0,0,一郎,0,,\n\n   \n2,1996,0,0,\"二郎, 次\",0,,\n\n"));
    const std::vector<RosterLine> lines = ReadRosterFile(RosterFilePath(blank.state));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].record.Id, 2);
    EXPECT_EQ(lines[1].record.Name.trimmed(), QStringLiteral("二郎, 次"));

    struct Case {
        QString text;
        const char* expected;
    };
    const Case cases[] = {
        {QStringLiteral("1,1997,0,0,一郎,0,,\n\n2,1996,0,0,二郎,0\n3,1995,0,0,三郎,0,,\n"),
         "3 行目: 値が 6 個あります"},
        {QStringLiteral("1,1997,0,0,一郎,0,,,\n"), "1 行目: 値が 9 個あります"},
    };
    for (const Case& c : cases) {
        RosterRig r(c.text);
        try {
            ReadRosterFile(RosterFilePath(r.state));
            ADD_FAILURE() << "read without an error: " << c.expected;
        } catch (const DataFileError& error) {
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.expected)))
                << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(kRosterFileName));
            EXPECT_TRUE(error.message().contains(QStringLiteral("8 個の値")));
        }
    }
}

// A roster exactly as installations write it reads to the same records as always.
TEST(ReadRosterFile, AnInstallationsFileReadsAsItAlwaysDid) {
    RosterRig r{QString()};
    r.install.writeBytes(RosterFilePath(r.state),
                         EncodeCp932(QStringLiteral("12,1994,0,0,髙橋　①子          ,0,,\r\n"
                                                    "7,1995,3,4,\"山田,太郎\",2,備考,\r\n"
                                                    "5000,1990,0,0,先生,1,,\r\n")));
    const std::vector<RosterLine> lines = ReadRosterFile(RosterFilePath(r.state));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].record.Id, 12);
    EXPECT_EQ(lines[0].record.BirthYear, 1994);
    EXPECT_EQ(lines[0].record.Name, QStringLiteral("髙橋　①子").leftJustified(20, u' '));
    EXPECT_EQ(lines[1].record.Aux1, 3);
    EXPECT_EQ(lines[1].record.Aux2, 4);
    EXPECT_EQ(lines[1].record.Name.trimmed(), QStringLiteral("山田,太郎"));
    EXPECT_EQ(lines[1].status, 2);
    EXPECT_EQ(lines[1].record.Aux3.trimmed(), QStringLiteral("備考"));
    EXPECT_EQ(lines[2].record.Id, 5000);
    EXPECT_EQ(lines[2].status, 1);
}
} // namespace
