#pragma once

// What an import run counts for its closing line.
struct CopyTotals {
    long long tables = 0;     // tables whose rows were walked to the end
    long long inserted = 0;   // rows the destination took, less those a failed commit lost
    long long rejected = 0;   // rows it refused, or that could not be posted
    long long held = 0;       // rows not sent, the destination holding their keys already
    long long skipped = 0;    // marked tables left uncopied, each with a line saying why
};
