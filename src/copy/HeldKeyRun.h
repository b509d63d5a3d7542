#pragma once

#include <QString>
#include <optional>

class TSQLConnection;

// The unbroken run of integer keys the destination holds, as a copy stopped partway leaves it when
// it read the source in key order: every whole number from the least key to the greatest is there.
// Every source row whose key is in the run is then a row the destination holds, and the resumed
// copy need not read it: it counts those rows and reads the others.
struct HeldKeyRun {
    // Found for a key of one integer column, of the same type on both sides, whose values in the
    // destination leave no gap; none otherwise.
    static std::optional<HeldKeyRun> Find(TSQLConnection& origem, TSQLConnection& destino, const QString& table,
                                          const QString& column);

    // The rows outside the run, NULL keys among them, as a search condition on the table.
    QString Outside() const;

    QString column;            // quoted
    qint64 least = 0;
    qint64 greatest = 0;
    long long sourceRows = 0;  // the source rows in the run
};
