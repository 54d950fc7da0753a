#pragma once
// Counts, points and pass evaluation, recomputed from the results file.

#include "core/Text.h"
#include "records/RecordValues.h"

#include <QDateTime>

#include <cstdint>

struct ProgramState;
struct CountTables;

// A count reads at most this many records from the end of the file.
inline constexpr int kResultsWindow = 20000;

// A completed run counts as a run; a time-out (or anything from 6000 s on) does not.
bool IsCompletedRun(int32_t result);
// The first three decimal digits of a result: 1234 gives 123, 99999 gives 999.
int TimeValue(int32_t result);
// The points of one run before the level's rate: 0..55.
int BaseRunPoints(int32_t result, int32_t targetTime);
// The points of one run: integer part of (rate × base), in single precision.
int RunPoints(int32_t result, int32_t targetTime, float pointRate);

// A moment as an OLE Automation date: the day plus the fraction of the day.
double OleMoment(const QDateTime& when);
// A record is inside a window of d days when its date is later than now − d;
// with whole-day dates: the last d calendar days, today included; 0 takes nothing.
bool IsInsideWindow(double recordDate, double now, double days);

// Sets every count table to 0 in place (best times are the load's to reset).
void ClearCountTables(CountTables& counts);
// Clears state.counts, loads the window of the results file (Runs, BestTime,
// ClassBest) and fills every count table, on the calling thread. Throws
// FileAccessError; screens and commands count patiently on a worker
// (CountResultsPatiently).
void CountResults(ProgramState& state);
// The same into the spare tables on a worker, patiently (ReadPatiently),
// traded with state.counts once the read has ended; the run flags of a
// drill's end stay.
void CountResultsPatiently(ProgramState& state);
// At the end of a recorded run: the pass and new-best flags, then the append
// (or the run kept on this machine for later: DrillState::RunKeptForLater).
// setAsideNotice as for AppendResult (records/ResultsFile.h).
void RecordRunEnd(ProgramState& state, QString* setAsideNotice = nullptr);

// The conditions of the end-of-drill screen, on the tables of the last count.
bool IsLevelCleared(const ProgramState& state, int level, int student);
bool IsOverPractised(const ProgramState& state, int level, int student);
