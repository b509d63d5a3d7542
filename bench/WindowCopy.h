#pragma once

#include <string>

// One import of the benchmark's table through the real main window, offscreen.
struct WindowCopy {
    double seconds = 0;
    double cpuSeconds = 0;
    long long inserted = 0;
    long long rejected = 0;
    double longestGapMs = 0;   // the longest time the window went without handling its messages
    long logLines = 0;
};

// Connects the window to the two databases, marks the table and presses "Importar Dados"; the
// activity log file goes to logFolder.
WindowCopy CopyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder);
