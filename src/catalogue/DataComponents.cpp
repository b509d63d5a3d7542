#include "DataComponents.h"

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
