#pragma once
// The criteria table file タイム回数データ.txt: a heading line, then one line of
// twelve fields per level.

#include <QString>
#include <QStringList>

#include <vector>

struct ProgramState;

inline const QString kCriteriaFileName = QStringLiteral("タイム回数データ.txt");
inline constexpr int kCriteriaColumns = 12;

QString CriteriaFilePath(const ProgramState& state);

// Reads the whole file into the twelve tables; the heading lands at index 0.
// Throws DataFileError naming the file when it is missing or short.
void LoadCriteria(ProgramState& state);

// Rewrites the file from rows 0..N of twelve cell texts (row 0: the captions).
// Refuses, with a DataFileError naming row and column, a cell holding a comma,
// a double quote or a line break. Writes a temporary file and renames it.
void SaveCriteria(const ProgramState& state, const std::vector<QStringList>& rows);
