#pragma once
// The attempt log as a table that teachers open in a spreadsheet: one line
// per attempt, with the problem's expected answer beside what was entered.

#include "records/AttemptLog.h"
#include "records/Statistics.h"

#include <QByteArray>

#include <vector>

// UTF-8 CSV with a header line (student, name, grade, level, date, time,
// problem, kind, length, expected, entered, correct, mistake, seconds), lines
// ending with LF, texts as FiguresCsv writes them. Only the attempts of the
// students given, in the log's order; date and time are the run's.
QByteArray AttemptsCsv(const std::vector<AttemptRecord>& records,
                       const std::vector<StatsStudent>& students);
