#pragma once

#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

// A connection opened on a database file, as the program opens one.
class OpenConnection : public TSQLConnection {
public:
    explicit OpenConnection(const QString& path) {
        Params.SetValue(QStringLiteral("Database"), path);
        Open();
    }
};

// A query, its provider and the client dataset over them, as the program chains them.
struct Chain {
    explicit Chain(TSQLConnection& connection, const QString& sql = {}) : query(&connection) {
        if (!sql.isEmpty()) query.SetCommandText(sql);
    }
    TSQLDataSet query;
    TDataSetProvider provider{&query};
    TClientDataSet rows{&provider};
};
