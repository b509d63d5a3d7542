#pragma once

#include "TClientDataSet.h"
#include "TFieldValue.h"

#include <vector>

// A change posted to a client dataset, waiting to be applied.
struct PendingChange {
    TUpdateKind kind;
    int row;                              // index into the held rows; -1 when rows are not held
    std::vector<TFieldValue> oldValues;   // before the change (modify)
    std::vector<TFieldValue> newValues;
};
