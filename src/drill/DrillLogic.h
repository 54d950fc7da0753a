#pragma once
// The rules of the drill loop that need no window: the input trail, judging,
// the clock, the red lamps and the run counters of the status strip.

#include <QString>

#include <cstdint>
#include <vector>

struct ProgramState;

// A drill ends after this many net correct answers.
inline constexpr int kProblemsRequired = 10;
// The drill times out at this many times the level's lowest time.
inline constexpr int kTimeLimitFactor = 5;
inline constexpr int kFirstRedLamp = 30;
inline constexpr int kLastRedLamp = 39;

// The trail keeps every key caption behind a "/" (/4/×/3.14), so "BS" can
// take back a whole key such as "3.14" at once.
QString AppendKey(const QString& trail, const QString& caption);
QString RemoveLastKey(const QString& trail);
QString TrailDisplay(const QString& trail);

enum JudgeOutcome { kNotJudged = 0, kCorrect = 1, kWrong = 2 };
// Exact comparison after trimming both ends.
int Judge(const QString& expected, const QString& input);

int CorrectCountAfterWrong(int32_t correctCount);
int RemainingAnswers(int problemsRequired, int32_t correctCount);

// Whole seconds, halves to even (2.5 gives 2, 3.5 gives 4).
int32_t WholeSeconds(double seconds);
// The red lamps to put out at elapsed second e: they go out one a second
// during the last ten seconds up to the target time, and from the end of the
// row during the last ten seconds up to the lowest time.
std::vector<int> RedLampsToHide(int32_t elapsed, int32_t targetTime, int32_t lowestTime);

// A time-out waits while an answer is being judged or the drill is ending.
bool ShouldTimeOut(const ProgramState& state);
// A new problem waits while an answer is judged and none comes once the drill is over.
bool MayShowNewProblem(const ProgramState& state);
// Whole minutes since the student's login, on the monotonic clock.
int MinutesSinceLogin(double now, double loginTime);

// Sum of a student's runs today over levels first..last, to the nearest integer.
int TodayRunTotal(const ProgramState& state, int student, int firstLevel, int lastLevel);

// A level whose lowest time is not above 0 has no time limit to run against.
bool HasTimeLimit(const ProgramState& state, int level);
QString NoTimeLimitMessage(const ProgramState& state, int level);
