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
    // Ends the command, saying so, unless both databases are connected, and still the ones the
    // window names: a "Conectar" that failed leaves neither.
    void RequireConnections() const;
    // Ends the command, saying so, when the databases connected are no longer the ones the window
    // names.
    void RequirePathsAsConnected() const;
    // Whether a step may wait on the source too: "Parar" then gives up a source that does not
    // answer at once, which a step that never asked it must not take for frozen.
    enum class SourceUse { MayRead, Untouched };
    // Runs a step of a command that waits on the destination (and perhaps on the source) on a
    // thread of its own while the window handles its messages: through DestinationWait when the
    // main window set it. The work touches no table record, no widget and not the log.
    void OnDestination(const std::function<void()>& work, SourceUse source = SourceUse::MayRead) const;
    // Reads the catalogue for a record: while a command holds the records (a load, a refresh), as
    // such a step, so that a server that stops answering holds the window no longer than the
    // user lets it; else at once. The work touches no widget, not the log, and only the record
    // it fills.
    void Read(const std::function<void()>& work) const;
    // Executes a statement that returns no rows with the shared statement executor on the
    // destination, as such a step.
    void ExecuteOnDestination(const QString& sql) const;

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
    // Whether the databases connected, if any, are still the ones the window names; unset where
    // nothing can name others.
    std::function<bool()> PathsAsConnected;
    // Writes the whole activity log to its file now; empty where there is no log file.
    std::function<void()> SaveLog;
    // Makes permanent the rows a running copy has sent, so that a command run nested inside the
    // copy finds no uncommitted rows of it in the way; does nothing when no copy runs.
    std::function<void()> CommitCopy;
    // Runs a step of a command on a thread of its own while the window handles its messages, so
    // that "Parar" can cancel it and give up a server that stopped answering.
    std::function<void(const std::function<void()>& work, SourceUse source)> DestinationWait;
};
