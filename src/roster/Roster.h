#pragma once
// The roster 新名簿.txt, school years and grades.

#include "core/ProgramState.h"

#include <QString>

#include <optional>

class CsvReader;

inline const QString kRosterFileName = QStringLiteral("新名簿.txt");

QString RosterFilePath(const ProgramState& state);

// Reads the next eight fields; the name and the two aux texts are fitted to 20
// characters. Returns the line's status (field 6).
int ReadRosterLine(CsvReader& reader, RosterRecord& record);

// The calendar year, minus 1 before the school year's start month.
int SchoolYearOf(const QDate& today, int yearStartMonth);
void ComputeSchoolYear(ProgramState& state);
int GradeNumber(int schoolYear, int birthYear);

// "幼３", "小１".."小６", "中１".."中３", "高１"; none for other grades.
std::optional<QString> GradeLabel(int gradeNumber);
// "幼-", "幼1".."幼3", "小1".."小6", "中1".."中3", "高1".."高3", "大+".
QString ShortGradeLabel(int gradeNumber);
int StageNumber(int gradeNumber);
