#pragma once
// The roster 新名簿.txt, school years and grades.

#include "core/ProgramState.h"

#include <QString>

#include <optional>
#include <vector>

class CsvReader;

inline const QString kRosterFileName = QStringLiteral("新名簿.txt");
// Names and the aux texts are held as exactly this many characters.
inline constexpr int kRosterTextWidth = 20;

QString RosterFilePath(const ProgramState& state);

// Left-aligned in 20 characters: padded with blanks or cut.
QString FitRosterText(const QString& text);
// Ordinary blanks removed at the end, or at both ends.
QString TrimTrailingBlanks(const QString& text);
QString TrimBlanks(const QString& text);

// Reads the next line, which must hold eight values; the name and the two aux
// texts are fitted to 20 characters. Returns the line's status (value 6).
int ReadRosterLine(CsvReader& reader, RosterRecord& record);

// One usable roster line: its record and its status.
struct RosterLine {
    RosterRecord record;
    int status = 0;
};

// Every line of the roster in file order, with an ID in 1..5000. Lines with
// another ID are skipped and logged; when an ID comes twice the later line
// stands in for the earlier one (logged as well). Throws DataFileError when the
// file cannot be read or a line lacks fields.
std::vector<RosterLine> ReadRosterFile(const QString& path);
// The classroom's roster, read on a worker, patiently (ReadPatiently in
// core/SharedReading.h): what builds on it runs on the calling thread.
std::vector<RosterLine> ReadRoster(ProgramState& state);

// The calendar year, minus 1 before the school year's start month.
int SchoolYearOf(const QDate& today, int yearStartMonth);
void ComputeSchoolYear(ProgramState& state);
int GradeNumber(int schoolYear, int birthYear);

// "幼３", "小１".."小６", "中１".."中３", "高１"; none for other grades.
std::optional<QString> GradeLabel(int gradeNumber);
// "幼-", "幼1".."幼3", "小1".."小6", "中1".."中3", "高1".."高3", "大+".
QString ShortGradeLabel(int gradeNumber);
// The year within the school stage; kindergarten years are below 1.
int StageNumber(int gradeNumber);

// The name screen's reading: the shown lines go into slots 1.. of Roster and
// RosterId, RosterCount is their number; RosterName (20 characters),
// RosterBirthYear and RosterGrade are set for every line, shown or not. Status 2
// counts as shown when ListStatus2 is 1. At most 5000 lines are shown.
// Returns the shown lines in slot order. Uses state.roster.SchoolYear as it is.
std::vector<RosterRecord> FillNameScreenRoster(ProgramState& state,
                                               const std::vector<RosterLine>& lines);
bool IsShownOnNameScreen(int status, int listStatus2);

// A student listed on the level board: status 0 only, ListStatus2 not applied.
struct ListedStudent {
    int16_t Id = 0;
    QString Name; // trailing blanks removed
    QString Grade;
    int16_t BirthYear = 0;
};
// The board's reading: computes the school year, reads every line through slot 0
// of Roster, sets RosterName (trimmed) and RosterGrade, returns the status-0 lines.
std::vector<ListedStudent> ReadBoardRoster(ProgramState& state);

// The records browser's own tables, by ID, and every line's ID in file order.
struct BrowserRoster {
    std::vector<QString> Name = std::vector<QString>(kStudentSlots); // blanks removed at both ends
    std::vector<int16_t> BirthYear = std::vector<int16_t>(kStudentSlots);
    std::vector<int> Status = std::vector<int>(kStudentSlots);
    std::vector<QString> Grade = std::vector<QString>(kStudentSlots);
    std::vector<int16_t> Ids;
};
// The browser's reading: computes the school year, reads every line whatever its
// status into slot 0 of Roster and into the tables (the grade when it has a label).
void ReadBrowserRoster(ProgramState& state, BrowserRoster& roster);
