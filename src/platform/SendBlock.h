#pragma once

#include "InsertBlock.h"

#include <QString>
#include <functional>
#include <vector>

class TSQLConnection;

// The one way appended rows go in a block: the rows are sent together, then each row the block
// refused is sent again alone, in order, for the server's own message about it.
//  - taken(k) hears of each row the block wrote (k a position in rows), before any row is retried;
//  - alone(k) writes the refused row k alone and returns false to stop the retries there.
// When the block or a retry raises, untried holds the rows neither written by the block nor yet
// tried alone, in order (the whole block when the block itself raised).
void SendBlock(InsertBlock& block, const QString& table, const FieldList& fields,
               const std::vector<InsertBlock::Row>& rows, TSQLConnection& connection,
               Firebird::ITransaction* transaction, const std::function<void(size_t)>& taken,
               const std::function<bool(size_t)>& alone, std::vector<size_t>& untried);
