#pragma once
// Everything the program reads once at start-up, before any screen but the
// start-up screen exists.

#include <QString>

struct ProgramState;

// Folders and common settings, the program's identity, the criteria table and
// the sound table. Throws a DataFileError that names the file at fault.
void LoadConfiguration(ProgramState& state, const QString& programFolder);
// The same without the sound table: what the teachers' commands need.
void LoadClassroomData(ProgramState& state, const QString& programFolder);
