#pragma once
// Which program this is and which levels it offers: the only place that says so.

#include <QString>

struct ProgramState;

inline const QString kProgramTitle = QStringLiteral("円の公式ドリル");

// A practice level's name holds "練"; its runs are never recorded.
bool IsPracticeLevel(const QString& levelName);
bool IsPracticeLevel(const ProgramState& state, int level);

void SetProgramIdentity(ProgramState& state);
// Fills the level table; does not open a screen (see DefineLevels).
void BuildLevelTable(ProgramState& state);
// Builds the level table and opens the level board.
void DefineLevels(ProgramState& state);
// Resets the drill flags and opens the drill screen for state.LevelNo.
void StartLevel(ProgramState& state);
