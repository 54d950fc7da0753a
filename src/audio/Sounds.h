#pragma once
// Sound effects: the sound list, the random choice of a variant, the players.

#include "core/Platform.h"

#include <QString>

struct ProgramState;

inline const QString kSoundListFileName = QStringLiteral("新音ファイル.txt");

void LoadSoundTable(ProgramState& state);

// What an answer sound leaves its caller to do. Three failures in a row pass
// silently; the fourth means nobody hears the answers any more, and the screen
// shows message() under kSoundErrorTitle and ends the program.
struct AnswerSound {
    bool speakersGaveUp = false;
    QString error; // the output's own words for the last failure

    QString message() const;
};
inline const QString kSoundErrorTitle = QStringLiteral("音声エラー");

AnswerSound PlayCorrectSound(ProgramState& state);
AnswerSound PlayWrongSound(ProgramState& state);
// These ignore failures.
void PlayPersonalBestSound(ProgramState& state);
void PlayFailSound(ProgramState& state);
void PlayBestSound(ProgramState& state);
void PlayPassSound(ProgramState& state);
