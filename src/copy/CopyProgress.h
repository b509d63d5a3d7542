#pragma once

#include <QString>

class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
struct CopyContext;

// Appends the table's row to the "Progresso" list with an empty bar over its "Progresso" cell,
// and returns the bar; deleting the row deletes the bar.
QProgressBar* AddProgressRow(QTreeWidget& listView, const QString& nomeTabela, QTreeWidgetItem*& row);

// Shows the time left at the mean pace of the rows done so far after the table's name in its row,
// and the time elapsed in the status line. Returns the time left as a fraction of a day.
double ShowTimeLeft(CopyContext& context, QTreeWidgetItem& row, const QString& nomeTabela, int done, int total,
                    double elapsedMs);

// The row of a job that did not finish stays, said interrupted in place of the time left, its
// bar still.
void ShowInterrupted(QTreeWidgetItem& row, const QString& nomeTabela);
