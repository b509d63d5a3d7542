#pragma once

#include "platform/TSQLDataSet.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

class PreparedStatement;
class QProgressBar;
class QTreeWidgetItem;
class TSQLTransaction;
class TTabela;
struct CopyContext;

// The second pass of one table, with its progress row. It fills only rows the copy inserted:
// when this run inserted every source row of the table, every row it finds by the key; otherwise
// (rows were refused, or the rows went in before) only rows whose other copied columns hold the
// source's values, so that a row the destination holds of its own stays as it is.
class CutColumnsUpdate {
public:
    CutColumnsUpdate(TTabela& tabela, CopyContext& context, bool insertedWhole);
    ~CutColumnsUpdate();
    CutColumnsUpdate(const CutColumnsUpdate&) = delete;
    CutColumnsUpdate& operator=(const CutColumnsUpdate&) = delete;

    void Run();

private:
    // The key of the source row at hand, which finds its destination row.
    QString RowKey();
    int KeyEnd() const;
    void Update(TSQLTransaction& transaction);
    // Whether the destination row found by the key holds the source row's key and other copied
    // columns as stored: the server's equality would take 'a' for 'A', 'x' for 'x ' and -0.0 for 0.0.
    bool HoldsTheSourcesRow();
    // Refused on the batch's thread, logged and counted on the window's after the batch.
    void Refused(const QString& message);
    void LogRefused();
    void Report(int done, int total);
    // What was set before an error stays: the next import sets only what is left.
    void KeepUpdatedRows() noexcept;

    TTabela& tabela_;
    CopyContext& context_;
    QString nome_;
    TSQLDataSet origem_;
    const bool insertedWhole_;
    QStringList refused_;
    std::unique_ptr<PreparedStatement> find_;   // only when rows may be the destination's own
    std::unique_ptr<PreparedStatement> update_;
    QTreeWidgetItem* row_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastReport_;
};
