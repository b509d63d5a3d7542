#pragma once

#include <QString>
#include <functional>

class TSQLConnection;
class TSQLDataSet;
class TDataSetProvider;
class TClientDataSet;

// What the catalogue, the copy and the maintenance borrow from the main window, which owns
// every piece and hands this object down.
struct Workspace {
    // Ends the command, saying so, unless both databases are connected: a "Conectar" that failed
    // leaves neither.
    void RequireConnections() const;

    TSQLConnection* SQLConnection = nullptr;          // source
    TSQLConnection* SQLConnectionDestino = nullptr;   // destination

    // Shared working queries: every user sets its own command text first.
    TSQLDataSet* SQLDSOrigem = nullptr;
    TDataSetProvider* DSPOrigem = nullptr;
    TClientDataSet* CDSOrigem = nullptr;
    TSQLDataSet* SQLDSDestino = nullptr;
    TDataSetProvider* DSPDestino = nullptr;
    TClientDataSet* CDSDestino = nullptr;

    // The foreign-key query, its text fixed by the main window.
    TSQLDataSet* SQLDSForeignKey = nullptr;
    TDataSetProvider* DSPForeignKey = nullptr;
    TClientDataSet* CDSForeignKey = nullptr;

    // Where what is kept for each destination database between runs lives (the triggers
    // "Desabilitar Triggers" switched off); beside the settings.
    QString StateFolder;

    // Item index of the synchronisation radio group; -1 when no item is selected.
    std::function<int()> SyncItemIndex;
    // Puts a text into the status line (the caller lets the window repaint).
    std::function<void(const QString&)> SetStatus;
    // Writes the whole activity log to its file now; empty where there is no log file.
    std::function<void()> SaveLog;
    // Makes permanent the rows a running copy has sent, so that a command run nested inside the
    // copy finds no uncommitted rows of it in the way; does nothing when no copy runs.
    std::function<void()> CommitCopy;
};
