#pragma once

#include <QList>

class QTreeWidget;
class TTabela;

// The tables an import copies, as Exportar decides: each marked table that is neither imported,
// importing nor waiting, and each of its dependences, marked or not, that is neither imported nor
// importing; then the marked tables left waiting (LeftWaiting), and their dependences.
QList<TTabela*> TablesTheImportReaches(const QTreeWidget& treeView);

// The tables an import copies once a cleanup has emptied them: every marked table and its
// dependences, whatever their counts before.
QList<TTabela*> TablesACopyFillsAfterACleanup(const QTreeWidget& treeView);

// Marked tables still waiting for a marked table that needs them, which waits in turn (a table
// referencing itself, or every table of a cycle) or is left alone as copied already (equal
// counts). No table comes to copy them, so the import copies them itself rather than leave them
// out unsaid. A table waiting for an unmarked one stays waiting.
QList<TTabela*> LeftWaiting(const QList<TTabela*>& tables);
