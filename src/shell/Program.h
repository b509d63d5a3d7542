#pragma once

// Starts the application with the main window and runs it until the window closes.
int RunProgram(int argc, char* argv[]);
