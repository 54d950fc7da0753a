#pragma once
// The program's start: the start-up screen, then the configuration and the
// name screen.

#include <QString>

class StartupScreen;
class ScreenHost;
struct ProgramState;

// Opens the start-up screen in the host. Its hand-over loads the configuration
// from the program folder and opens the name screen in its place; when a data
// file is missing or spoilt it shows what is wrong and ends the program.
StartupScreen* StartProgram(ProgramState& state, ScreenHost& host, const QString& programFolder);
