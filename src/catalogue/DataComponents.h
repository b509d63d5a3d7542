#pragma once

#include "Workspace.h"
#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

// The two connections and the three working query chains that the main window owns and lends
// out through a Workspace; a test builds the same set without the window.
class DataComponents {
public:
    TSQLConnection SQLConnection;          // source
    TSQLConnection SQLConnectionDestino;   // destination
    TSQLDataSet SQLDSOrigem{&SQLConnection};
    TDataSetProvider DSPOrigem{&SQLDSOrigem};
    TClientDataSet CDSOrigem{&DSPOrigem};
    TSQLDataSet SQLDSDestino{&SQLConnectionDestino};
    TDataSetProvider DSPDestino{&SQLDSDestino};
    TClientDataSet CDSDestino{&DSPDestino};
    TSQLDataSet SQLDSForeignKey{&SQLConnection};
    TDataSetProvider DSPForeignKey{&SQLDSForeignKey};
    TClientDataSet CDSForeignKey{&DSPForeignKey};

    DataComponents();

    // Points the workspace's connections and datasets at these.
    void Lend(Workspace& workspace);
};
