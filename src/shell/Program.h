#pragma once

#include "CommandLine.h"

class TFPrincipal;
class WindowSettings;

// Answers --help and --version, or starts the application with the main window and runs it
// until the window closes.
int RunProgram(int argc, char* argv[]);

// Readies the main window for a start: what the settings remember, and the paths the command
// line names in place of the remembered ones. Nothing connects until the user asks.
void PrepareMainWindow(TFPrincipal& window, const CommandLine& commandLine, WindowSettings& settings);
