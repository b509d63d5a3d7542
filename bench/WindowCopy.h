#pragma once

#include <functional>
#include <string>

class TFPrincipal;

// One import of the benchmark's table through the real main window, offscreen.
struct WindowCopy {
    double seconds = 0;
    double cpuSeconds = 0;
    long long inserted = 0;
    long long rejected = 0;
    // The longest time the window went without handling its messages while the rows were copied,
    // from its first message processing in the import to its last.
    double longestGapMs = 0;
    double leadInMs = 0;   // from the click to the first: opening the table, counting its rows
    double tailMs = 0;     // from the last to the end: the last rows, closing, the refresh
    double logTabMs = 0;   // from the click on the "Log" tab to its memo drawn
    double peakRssMb = 0;  // the process's, once the "Log" tab shows
    long logLines = 0;
    // In the log file:
    long rejectedLines = 0;           // "MOVIMENTO ERRO INSERIR ..." lines
    long distinctRejectedLines = 0;   // the same, each text counted once: a row logged twice shows
};

// Connects the window to the two databases, marks the table, hands the window to prepare (a box to
// check, a stop to set up), presses "Importar Dados" and then opens the "Log" tab; the activity log
// file goes to logFolder.
WindowCopy CopyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder,
                             const std::function<void(TFPrincipal&)>& prepare = {});

// The most memory the process has held so far.
double PeakRssMb();

// One "Verificar Dados" of the benchmark's table through the real main window, offscreen.
struct WindowVerify {
    double seconds = 0;
    std::string line;   // what the log says of the table
    bool equal = false;   // the verification found every row equal
};

WindowVerify VerifyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder);
