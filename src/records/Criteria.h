#pragma once
// The criteria table file タイム回数データ.txt: a heading line, then one line of
// twelve fields per level.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct ProgramState;

inline const QString kCriteriaFileName = QStringLiteral("タイム回数データ.txt");
inline constexpr int kCriteriaColumns = 12;

QString CriteriaFilePath(const ProgramState& state);

// The heading line as the criteria editor writes it: the nine column captions
// 目標Time .. 禁期間 and three empty fields.
const QStringList& CriteriaHeadings();

// The file's fields as texts, twelve a row, row 0 the heading line, at most
// 35 level rows (more are ignored and logged). This is what the criteria
// editor shows. Throws DataFileError naming the file when it is missing or short.
std::vector<QStringList> ReadCriteriaRows(const ProgramState& state);
std::vector<QStringList> ReadCriteriaFile(const QString& path);

// Reads the whole file into the twelve tables; the heading lands at index 0.
// Throws DataFileError naming the file when it is missing or short.
void LoadCriteria(ProgramState& state);
// The same with rows already read (ReadCriteriaFile).
void TakeCriteriaRows(ProgramState& state, const std::vector<QStringList>& rows);

// The times a level runs against. A practice level (a name with "練") runs
// against ten minutes whatever its criteria line says; the file keeps its line.
inline constexpr int32_t kPracticeSeconds = 600;
int32_t TargetTimeOf(const ProgramState& state, int level);
int32_t LowestTimeOf(const ProgramState& state, int level);

// Rewrites the file from rows 0..N of twelve cell texts (row 0: the captions).
// Refuses, with a DataFileError naming row and column, a cell holding a comma,
// a double quote or a line break. Writes a temporary file and renames it.
void SaveCriteria(const ProgramState& state, const std::vector<QStringList>& rows);
void SaveCriteriaFile(const QString& path, const std::vector<QStringList>& rows);
