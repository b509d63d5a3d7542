#pragma once

#include <QList>
#include <functional>

class QTreeWidget;
class TTabela;
struct Workspace;

// The main window's maintenance commands on the destination: the cleanup of the tables marked in
// the cleanup tree, switching the user triggers off and on, and carrying the generators across.
// Each runs under the busy cursor and ends with its message box. Their statements go through
// Workspace::OnDestination, so that the window handles its messages while the server works; the
// other commands that would use the destination meanwhile are refused.
class DestinationMaintenance {
public:
    DestinationMaintenance(Workspace& workspace, QTreeWidget& TreeViewDelecao);

    // Empties every marked table after every table that references it, once the user has
    // confirmed the list; the log file is written on every way out.
    void btnEfetuarLimpezaClick();
    void btnDesabilitarTriggerClick();
    void btnHabilitarTriggerClick();
    void btnGeneratorsClick();

    // Tells OnTriggersLeftOff whether triggers "Desabilitar Triggers" switched off are still off
    // in the destination; the trigger commands tell it on every way out.
    void ReportTriggerState();
    std::function<void(bool leftOff)> OnTriggersLeftOff;

private:
    void Switch(bool active);
    // False when the user declined the question and nothing was sent.
    bool EmptyMarkedTables();
    // The marked tables, each once, in the order of their first node (roots and their children).
    QList<TTabela*> MarkedTables() const;
    void SaveLog();
    void CommitRunningCopy();

    Workspace& workspace_;
    QTreeWidget& treeViewDelecao_;
};
