#pragma once

#include "catalogue/ForeignKey.h"

#include <QList>

class TTabela;
struct Workspace;

// Adds to ordem the tables that ExecutarDelecao of tabela empties, in the order of their DELETEs:
// every table that references it, depth first in DependencesDelete order, then itself. A table
// already emptied (Deletada) or already in ordem is left out; one met again while its own walk
// is under way (Deletando: a reference cycle) is left to that walk, so in a cycle the table
// reached first comes last.
void DeletionOrder(TTabela& tabela, QList<TTabela*>& ordem);

// The walk's order, changed only where a NOT NULL foreign key between two of its tables needs it:
// the table holding such a key is emptied before the one it references, since only a nullable key
// can be set NULL. In a cycle the walk puts the table reached first last, whatever its keys;
// marking another table of the same cycle must not decide whether the cleanup can work. A cycle of
// NOT NULL keys allows no order: the walk's stays, and the server says which key holds the rows.
QList<TTabela*> OrderAllowedByKeys(const QList<TTabela*>& ordem, const QList<ForeignKey>& keys);

// Every foreign key of the destination, read as a watched step.
QList<ForeignKey> DestinationKeys(const Workspace& workspace);

// Raises, before anything is deleted, when a table outside the order (one the destination alone
// has, or a key the source lacks) holds rows referencing a table of the order: its DELETE would be
// refused halfway through the cleanup, or would take that table's rows with it.
void RefuseRowsReferencingFromOutside(const QList<TTabela*>& ordem, const QList<ForeignKey>& keys,
                                      const Workspace& workspace);

// Empties the tables in the order given (DeletionOrder's, as OrderAllowedByKeys leaves it), each
// with one DELETE that commits on its own; a nullable foreign key into a table from itself, or from
// a table emptied after it, is set NULL first in the DELETE's transaction. A DELETE the server
// refuses is logged as "ExecutarDelecao <table>=<message>" and raised again: the tables after it are
// left untouched, the ones before it stay emptied.
void ExecutarDelecao(const QList<TTabela*>& ordem, const QList<ForeignKey>& keys, Workspace& workspace);
