#include "DataComponents.h"

namespace {

// A copy writes about a second of rows between two commits; when their pages outgrow the
// engine's usual cache (2048 pages) it stops to write them out at once, a pause of a quarter
// of a second in the middle of a table. Twice as many pages hold that second.
constexpr int DestinationCachePages = 4096;

}  // namespace

DataComponents::DataComponents() { SQLConnectionDestino.CachePages = DestinationCachePages; }

void DataComponents::Lend(Workspace& workspace) {
    workspace.SQLConnection = &SQLConnection;
    workspace.SQLConnectionDestino = &SQLConnectionDestino;
    workspace.SQLDSOrigem = &SQLDSOrigem;
    workspace.DSPOrigem = &DSPOrigem;
    workspace.CDSOrigem = &CDSOrigem;
    workspace.SQLDSDestino = &SQLDSDestino;
    workspace.DSPDestino = &DSPDestino;
    workspace.CDSDestino = &CDSDestino;
    workspace.SQLDSForeignKey = &SQLDSForeignKey;
    workspace.DSPForeignKey = &DSPForeignKey;
    workspace.CDSForeignKey = &CDSForeignKey;
}
