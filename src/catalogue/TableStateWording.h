#pragma once

#include <QString>

class TTabela;

// The texts people read about a table in the selection and cleanup trees: its row counts and
// what each of its icons says.

// "300.000 → 186.329": the rows the last count found in the source and in the destination.
QString RowCountsText(const TTabela& tabela);
// What the row counts are, for the hint over them.
QString RowCountsHint();
// The mark of the selection tree: marked or not, and left to a table that references it.
QString CopyMarkHint(const TTabela& tabela);
// The copy status of the selection tree, by the imported flag.
QString CopyStatusHint(const TTabela& tabela);
// The mark of the cleanup tree: marked or not, and emptied already.
QString CleanupMarkHint(const TTabela& tabela);
