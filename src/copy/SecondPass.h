#pragma once

#include <QStringList>

class TTabela;
struct CopyContext;

// The columns of the table's cut foreign keys when this run copies it in two passes; none otherwise.
QStringList CutColumns(TTabela& tabela, const CopyContext& context);

enum class RowCopy { Needed, AlreadyDone };

// Before a table's rows are copied. With "Copiar referências circulares em duas etapas" on when
// the import began, a cycle through the table that cannot be cut is logged. A table copied in two
// passes joins the run's second pass and stays not imported until that pass is done; when its rows
// are all in already from a copy whose second pass did not finish, only that pass is left.
RowCopy PrepareTwoPassCopy(TTabela& tabela, CopyContext& context);

// Once every table of the run is in: for each table that joined the second pass, reads the source
// again (where any cut column holds a value) and sets the cut columns of the destination rows the
// copy inserted whose cut columns are all still NULL. A row this run inserted is found by its key;
// any other counts as the copy's when every other copied column holds the source's value (an array
// column is not compared), so that a row the destination held before keeps its own. A row the
// destination refuses is logged and the pass goes on; "Parar" ends it, keeping what was set.
void RunSecondPass(CopyContext& context);
