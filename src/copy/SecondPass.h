#pragma once

#include <QStringList>

class TTabela;
struct CopyContext;

// The columns of the table's cut foreign keys when it is copied in two passes; none otherwise.
QStringList CutColumns(const TTabela& tabela);

enum class RowCopy { Needed, AlreadyDone };

// Before a table's rows are copied. With "Copiar referências circulares em duas etapas" on, a
// cycle through the table that cannot be cut is logged. A table copied in two passes joins the
// run's second pass and stays not imported until that pass is done; when its rows are all in
// already from a copy whose second pass did not finish, only that pass is left.
RowCopy PrepareTwoPassCopy(TTabela& tabela, CopyContext& context);

// Once every table of the run is in: for each table that joined the second pass, reads the source
// again (its key and cut columns, where any cut column holds a value) and sets the cut columns of
// the destination rows whose cut columns are all still NULL, so that a row the destination held
// before keeps its own. A row the destination refuses is logged and the pass goes on; "Parar"
// ends it, keeping what was set.
void RunSecondPass(CopyContext& context);
