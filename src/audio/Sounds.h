#pragma once
// Sound effects: the sound list, the random choice of a variant, the players.

#include "core/Platform.h"

#include <QString>

struct ProgramState;

inline const QString kSoundListFileName = QStringLiteral("新音ファイル.txt");

void LoadSoundTable(ProgramState& state);

// Answer sounds: three failures in a row pass silently; the fourth shows
// "音声がでません。先生を呼びなさい。" and ends the program, and the caller must
// stop: false then.
bool PlayCorrectSound(ProgramState& state);
bool PlayWrongSound(ProgramState& state);
// These ignore failures.
void PlayPersonalBestSound(ProgramState& state);
void PlayFailSound(ProgramState& state);
void PlayBestSound(ProgramState& state);
void PlayPassSound(ProgramState& state);
