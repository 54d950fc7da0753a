#pragma once
// The data the benchmarks run on: a classroom far larger than a real one.

#include "core/ProgramState.h"

#include <QDate>
#include <QString>

inline constexpr int kBenchRecords = 1000000;
inline constexpr int kBenchAttempts = 1000000;
inline constexpr int kBenchStudents = 5000;
inline constexpr int kBenchLevels = 7;
// The bench classroom's "today", so that every run counts the same windows.
inline const QDate kBenchToday(2026, 12, 9);

// root/data/circle/成績累積データ.dat (1 000 000 records over a year, 5 000
// students, 7 levels), its attempt log (1 000 000 attempts over the same year),
// root/data/新名簿.txt, root/data/circle/タイム回数データ.txt.
// Files already there are kept. Deterministic: the same bytes every time.
void MakeBenchData(const QString& root);

// A state over the bench data: the data folder and the criteria of the seven levels.
void PrepareBenchState(ProgramState& state, const QString& root);
