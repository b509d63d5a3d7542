#pragma once

#include "TComponent.h"

#include <QString>

class TSQLDataSet;

// How an apply finds the row it changes: by every field in the where clause, by the changed
// ones, or by the key alone.
enum class TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };

// Feeds a client dataset from a SQL dataset and writes its changes back to the same connection.
class TDataSetProvider : public TComponent {
public:
    explicit TDataSetProvider(TSQLDataSet* dataSet = nullptr) : DataSet(dataSet) {}

    TSQLDataSet* DataSet;
    TUpdateMode UpdateMode = TUpdateMode::upWhereAll;
    // The table written by applies; empty means the table the fields are read from.
    QString UpdateTableName;
};
