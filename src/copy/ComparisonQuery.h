#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class TSQLConnection;

// How the verification reads one table on both databases: the copied columns, then the values the
// rows are sorted by, in an order both databases give alike, so that two walks side by side meet
// every row. A table with a primary or unique key is sorted by it; a table without one, and the
// rows of a unique key left NULL, by everything else that can be sorted (text by its bytes, blobs
// by a hash of their content).
struct ComparisonQuery {
    // Describes the table's columns on both sides; a table or column one of them lacks raises the
    // server's error.
    // A condition, when given, leaves out the rows it does not hold.
    ComparisonQuery(TSQLConnection& origem, TSQLConnection& destino, const QString& table, const QStringList& columns,
                    const QString& where = {});

    QString origemRows;            // the source's rows, sorted
    QString rows;                  // the destination's, sorted alike
    QStringList columns;           // the copied columns, a row's first values
    QStringList read;              // how the source reads each of them, alike with the destination
    std::vector<int> keyColumns;   // positions among them of the key's columns; empty without a key
    std::vector<int> keyOrder;     // positions in a row of the key's sort values
    std::vector<int> restOrder;    // positions in a row of the other sort values
    QStringList sortValues;        // what the source's rows are sorted by, in order, as the query writes it
};
