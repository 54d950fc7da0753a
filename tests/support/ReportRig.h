#pragma once
// A small classroom for the student report's tests: four levels, three listed
// students and one on leave, the criteria the figures are checked against.

#include "TestDoubles.h"

#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "rules/StudentReport.h"

#include <QDate>

#include <algorithm>
#include <vector>

inline const QDate kToday(2026, 12, 9);
inline constexpr int kLevels = 4;

inline CriteriaValue Number(double value) {
    return {CriteriaValue::Kind::Number, value, {}};
}

// A classroom of four levels and three students (the third with a name longer
// than the rankings' five-character name field), in a temporary installation.
struct ReportRig {
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;

    ReportRig() {
        rig.clock.current = QDateTime(kToday, QTime(10, 0));
        state.folders.DataFolder = install.dataFolder();
        state.folders.CommonFolder = install.dataRoot();
        state.common.YearStartMonth = 4;
        SetProgramIdentity(state);
        BuildLevelTable(state);
        state.levels.ProgramTitle = QStringLiteral("円の公式");
        state.levels.LevelCount = kLevels;
        state.levels.LastLevel = kLevels;
        for (int level = 1; level <= kMaxLevel; ++level) {
            state.levels.LevelNames[level] = QStringLiteral("レベル%1").arg(level);
            state.criteria.TargetTime[level] = 60;
            state.criteria.LowestTime[level] = 120;
            state.criteria.ClearPoint[level] = 50;
            state.criteria.ClearCount[level] = 3;
            state.criteria.PointRate[level] = 1;
            state.criteria.PassDays[level] = Number(7);
            state.criteria.OverdoDays[level] = Number(1);
        }
        state.counts.BestTime.fill(99999);
        install.writeText(install.dataRoot() + kRosterFileName,
                          QStringLiteral("1,2015,0,0,山田太郎,0,,\n"
                                         "2,2014,0,0,佐藤花子,0,,\n"
                                         "3,2013,0,0,長谷川ひかりさん,0,,\n"
                                         "4,2012,0,0,休会中,1,,\n"));
        ReadBoardRoster(state);
        RosterTables& r = state.roster;
        r.RosterCount = 3;
        for (int row = 1; row <= 3; ++row) {
            r.RosterId[row] = int16_t(row);
            r.RosterBirthYear[row] = int16_t(2016 - row);
        }
        state.SeasonColor = SeasonColorForMonth(12);
        state.session.StudentGrade = QStringLiteral("小５");
        state.session.LoginTime = rig.clock.monotonic;
        state.session.StudentNo = 1;
        state.session.StudentName = QStringLiteral("山田太郎");
    }

    static ResultRecord record(int student, int level, int32_t result, int daysAgo = 0) {
        ResultRecord r;
        r.date = ToOleDay(kToday.addDays(-daysAgo));
        r.timeOfDay = ToOleTimeOfDay(QTime(9, 30));
        r.student = int16_t(student);
        r.level = int16_t(level);
        r.result = result;
        return r;
    }
    void append(const std::vector<ResultRecord>& records) {
        for (const ResultRecord& r : records)
            AppendRecord(ResultsFilePath(state), r);
    }
    ReportData build(int student, int level, const std::vector<ResultRecord>& records,
                     const ReportSettings& settings = {}) {
        return BuildReportData(state, student, level, records, kToday, settings);
    }
};

// A block of one student's runs on level 1, all today.
inline ReportData BlockOf(const std::vector<int32_t>& results) {
    ReportData data;
    data.student = 1;
    data.level = 1;
    data.studentName = QStringLiteral("山田太郎");
    data.levelCaption = QStringLiteral("円の公式 レベル1");
    for (const int32_t r : results) {
        data.runs.push_back({ToOleDay(kToday), r});
        if (r < kReportCountedBelow) {
            ++data.ownCount;
            data.ownSum += r;
            data.ownLargest = std::max(data.ownLargest, r);
        }
        data.classBest = std::min(data.classBest, r);
    }
    data.classCount = data.ownCount;
    data.classSum = data.ownSum;
    return data;
}

inline std::vector<QString> Texts(const std::vector<TableRow>& rows) {
    std::vector<QString> texts;
    for (const TableRow& row : rows)
        texts.push_back(row.text);
    return texts;
}
