#include "WrittenRowsCount.h"

#include "CopyContext.h"
#include "platform/TClientDataSet.h"

WrittenRowsCount::WrittenRowsCount(TClientDataSet& destino, CopyContext& context, const QString& nomeTabela,
                                   int& rowsInFlight, long long& written)
    : destino_(destino),
      context_(context),
      nomeTabela_(nomeTabela),
      rowsInFlight_(rowsInFlight),
      written_(written),
      queued_(destino.ChangeCount()),
      rejectedBefore_(context.totals.rejected) {}

WrittenRowsCount::~WrittenRowsCount() {
    const long long rejected = context_.totals.rejected - rejectedBefore_;
    rowsInFlight_ = destino_.ChangeCount();
    const long long written = queued_ - rowsInFlight_ - rejected;
    if (written > 0) written_ += written;
    context_.transaction.CountWritten(nomeTabela_, written);
}
