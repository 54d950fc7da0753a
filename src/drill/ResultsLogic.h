#pragma once
// What the end-of-drill screen says about the run that was just recorded.

#include <QString>

#include <cstdint>

struct ProgramState;

// A rate in its shortest decimal form as a single-precision number: 1.5, 1.1, 2.
QString RateText(float rate);
// "獲得ポイント：11点×2→22点", on the same points rule as the counts.
QString PointsLine(int32_t result, int32_t targetTime, float pointRate);
// "今の成績：25秒", or "記録なし" after a time-out.
QString ResultLine(int32_t result);
QString LevelRunsLine(float todayCount);
QString AllLevelsRunsLine(int todayRunTotal);

enum class ResultMessage { None, TimedOut, PersonalBest, ClassBest };
ResultMessage ChooseMessage(const ProgramState& state);
QString MessageText(ResultMessage message);
// Without a record, a run at or inside the lowest time gets the fail sound.
bool PlaysFailSound(const ProgramState& state);

// The final level is cleared: the pass sound for a first clearing.
bool IsGoalLevelCleared(const ProgramState& state);
// The goal panel: the final level cleared, unless some level is marked with
// the clear count 9999.
bool ShowsGoalPanel(const ProgramState& state);

// How the bottom band settles once the messages are done.
struct Settling {
    bool showRetry = true;       // "もう一度"
    bool hideClearLabel = false; // "このレベルクリア" goes
    bool moveOnMessage = false;  // "次のレベルへ進みましょう" instead
};
Settling SettleFor(const ProgramState& state);
