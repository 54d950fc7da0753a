#pragma once
// The figures of the count tables per student and level, as a table that
// teachers can open in a spreadsheet.

#include <QString>

#include <cstdint>
#include <vector>

struct ProgramState;

// A student of the table: ID, roster name without its padding, short grade label.
struct StatsStudent {
    int id = 0;
    QString name;
    QString grade;
};

struct StudentLevelFigures {
    int student = 0;
    QString name;
    QString grade;
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
std::vector<StudentLevelFigures> CollectFigures(const ProgramState& state,
                                                const std::vector<StatsStudent>& students);

// UTF-8 CSV with a header line; lines end with LF. A text holding a comma, a
// double quote or a line end is enclosed in double quotes; one starting with
// "=", "+", "-" or "@" gets an apostrophe ahead, so that no spreadsheet takes
// it for a formula.
QByteArray FiguresCsv(const std::vector<StudentLevelFigures>& rows);
// One text field of such a CSV: quoted where needed, formula-safe.
QByteArray CsvText(const QString& text);
// The byte order mark that spreadsheets need to read a CSV file as UTF-8.
inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
