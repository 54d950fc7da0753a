#pragma once
// The results that the results file and the count tables give a meaning of
// their own. Every reader and screen takes them from here.

#include <cstdint>

// A run that ran out of time is stored with this result.
inline constexpr int32_t kTimedOutResult = 99999;
// Results from here on are time-outs: they earn nothing and show no time.
inline constexpr int32_t kFirstTimeOutResult = 99998;
// Runs at or above this (100 minutes) are not completed runs.
inline constexpr int32_t kCompletedBelow = 6000;
// The rankings and lists mark results from here on as time-outs.
inline constexpr int32_t kTimeOutInLists = 90000;
// A best time where there is none yet.
inline constexpr int32_t kNoBestTime = kTimedOutResult;
// The largest result a teacher may type in the records browser.
inline constexpr int32_t kMaxResultSeconds = kTimedOutResult;
