#pragma once
// The attempts of the demo's past runs: every demo student has a weakness of
// their own (student 1 mixes up the radius and the diameter, 2 the two
// formulas, 3 puts 3.14 first, 4 stops early, 5 has none, and so on round),
// so the report and the class sheet show weak spots at once.

#include "core/Attempt.h"

#include <random>
#include <vector>

MistakeClass DemoWeakness(int student);
// The problems of one run of `seconds`, answered until ten net right answers
// or, for a run that timed out, until a problem the time ran out on.
std::vector<Attempt> DemoRunAttempts(int student, int level, int seconds, bool timedOut,
                                     std::mt19937& engine);
