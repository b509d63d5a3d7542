#pragma once

#include "ColumnTypes.h"

#include <QList>
#include <QString>
#include <optional>

class TSQLConnection;
class TTabela;

// What a copy does to the values of a column, or to its table, when the destination's column
// differs from the source's.
enum class Consequence {
    ValorArredondado,     // digits after the point, or of a float, are lost
    HoraDescartada,       // a TIMESTAMP into a DATE
    DataDescartada,       // a TIMESTAMP into a TIME
    ValorConvertido,      // another character set or type: stored differently
    BytesSemConversao,    // a blob of another sub-type: the same bytes, read another way
    RegistrosRecusados,   // the destination refuses the rows whose value it cannot hold
    ValorCalculadoNaoCopiado,   // the source computes the column, the destination stores it: left out
    TabelaNaoCopiada,     // the destination lacks the table or a copied column, or computes it
};

// One column, or one missing table, whose copy would not arrive as the source holds it.
struct StructureDifference {
    QString table;
    QString column;                      // empty when the destination lacks the table
    std::optional<ColumnType> origem;    // none when the source lacks the column
    std::optional<ColumnType> destino;   // none when the destination lacks it
    bool cutColumn = false;              // copied NULL first, set by the second pass
    QList<Consequence> consequences;

    bool SkipsTable() const { return consequences.contains(Consequence::TabelaNaoCopiada); }
};

// Compares, table by table in the given order, the columns each table's copy selects, and the
// destination's columns that it leaves out, reading each database's catalogue once. cutCycles:
// the run copies foreign-key cycles in two passes.
QList<StructureDifference> CompareStructures(const QList<TTabela*>& tables, TSQLConnection& origem,
                                             TSQLConnection& destino, bool cutCycles);
