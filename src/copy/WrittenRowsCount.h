#pragma once

#include <QString>

class TClientDataSet;
struct CopyContext;

// The rows one delivery of a table's queue put in the destination, counted as written for the
// next commit when the delivery ends, however it ends: the rows sent before a raise stay, and are
// committed. Rows still in flight and rows refused are not written.
class WrittenRowsCount {
public:
    // rowsInFlight is set, at the end, to the rows sent and not yet answered; written grows by
    // the rows counted.
    WrittenRowsCount(TClientDataSet& destino, CopyContext& context, const QString& nomeTabela, int& rowsInFlight,
                     long long& written);
    ~WrittenRowsCount();
    WrittenRowsCount(const WrittenRowsCount&) = delete;
    WrittenRowsCount& operator=(const WrittenRowsCount&) = delete;

private:
    TClientDataSet& destino_;
    CopyContext& context_;
    const QString& nomeTabela_;
    int& rowsInFlight_;
    long long& written_;
    const int queued_;
    const long long rejectedBefore_;
};
