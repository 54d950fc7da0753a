#pragma once
// Everything the program reads once at start-up, before any screen but the
// start-up screen exists.

#include <QString>

struct ProgramState;

// Folders and common settings, the program's identity, the criteria table and
// the sound table, and the outbox folder this machine names beside its
// programs in machineFolder (none when empty). Throws a DataFileError that
// names the file at fault.
void LoadConfiguration(ProgramState& state, const QString& programFolder,
                       const QString& machineFolder = {});
// The same on a worker while the window paints, patient with a held file or
// a file server away (ReadSettingsPatiently); sets the state once all is
// read. The machine folder is the program's own.
void LoadConfigurationPatiently(ProgramState& state, const QString& programFolder);
// The same without the sound table: what the teachers' commands need.
void LoadClassroomData(ProgramState& state, const QString& programFolder);
