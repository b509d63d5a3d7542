#pragma once

#include <QStringList>

// What the comparison of one table found, row by row: each key equal, different, missing in the
// destination or extra there; without a key, rows the destination holds as often as the source
// (equal), fewer times (missing) or more (extra).
struct ComparisonResult {
    long long equal = 0;
    long long different = 0;
    long long missing = 0;
    long long extra = 0;
    // Up to Samples rows of each kind, as the log shows them: the key, or the whole row without one.
    QStringList differentRows, missingRows, extraRows;

    static constexpr int Samples = 10;
    bool Equal() const { return different == 0 && missing == 0 && extra == 0; }
};
