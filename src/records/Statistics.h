#pragma once
// The figures of the count tables per student and level, as a table that
// teachers can open in a spreadsheet.

#include <QString>

#include <cstdint>
#include <vector>

struct ProgramState;

struct StudentLevelFigures {
    int student = 0;
    int level = 0;
    int runs = 0;
    int passRuns = 0;
    int overdoRuns = 0;
    int todayRuns = 0;
    int32_t totalPoints = 0;
    int32_t passPoints = 0;
    int32_t overdoPoints = 0;
    int32_t todayPoints = 0;
    int32_t bestTime = 0;
    int32_t classBest = 0;
    bool cleared = false;
    bool overPractised = false;
};

// One row per student (in the order given) and level 1..LevelCount, from the
// tables of the last CountResults.
std::vector<StudentLevelFigures> CollectFigures(const ProgramState& state, const std::vector<int>& students);

// UTF-8 CSV with a header line; lines end with LF.
QByteArray FiguresCsv(const std::vector<StudentLevelFigures>& rows);
