#pragma once

#include <QString>
#include <chrono>

class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
struct CopyContext;

// A reporting row comes at least this long after the last one: the window then handles its
// messages, and "Pausar" and "Parar" take effect.
constexpr auto ReportEvery = std::chrono::milliseconds(100);

// Appends the table's row to the "Progresso" list with an empty bar over its "Progresso" cell,
// and returns the bar; deleting the row deletes the bar.
QProgressBar* AddProgressRow(QTreeWidget& listView, const QString& nomeTabela, QTreeWidgetItem*& row);

// Shows the time left at the mean pace of the rows done so far after the table's name in its row,
// and the time elapsed in the status line. Returns the time left as a fraction of a day.
double ShowTimeLeft(CopyContext& context, QTreeWidgetItem& row, const QString& nomeTabela, int done, int total,
                    double elapsedMs);

// The window's turn on a reporting row: the rows sent are committed once a second, the window
// handles its messages, "Parar" ends the copy here and "Pausar" holds it, its rows committed,
// until "Continuar" (or the end of the program, which stops it).
void ListenToTheWindow(CopyContext& context);

// Ends the copy with "Processo Parado!" when "Parar" was pressed (taking the request) or the
// program is ending.
void StopIfAsked(CopyContext& context);

// The row of a job that did not finish stays, said interrupted in place of the time left, its
// bar still.
void ShowInterrupted(QTreeWidgetItem& row, const QString& nomeTabela);
