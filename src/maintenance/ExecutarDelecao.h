#pragma once

#include <QList>

class TTabela;
struct Workspace;

// Adds to ordem the tables that ExecutarDelecao of tabela empties, in the order of their DELETEs:
// every table that references it, depth first in DependencesDelete order, then itself. A table
// already emptied (Deletada) or already in ordem is left out; one met again while its own walk
// is under way (Deletando: a reference cycle) is left to that walk, so in a cycle the table
// reached first comes last.
void DeletionOrder(TTabela& tabela, QList<TTabela*>& ordem);

// Empties tabela on the destination after every table that references it, at any depth, each
// with one DELETE that commits on its own; a nullable foreign key into the table from itself, or
// from a table of the same cycle emptied after it, is set NULL first in the DELETE's transaction. A DELETE the server refuses is logged as
// "ExecutarDelecao <table>=<message>" and raised again: the tables after it are left untouched,
// the ones before it stay emptied.
void ExecutarDelecao(TTabela& tabela, Workspace& workspace);
