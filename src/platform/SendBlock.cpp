#include "SendBlock.h"

#include "DatabaseErrors.h"

#include <algorithm>

void SendBlock(InsertBlock& block, const QString& table, const FieldList& fields,
               const std::vector<InsertBlock::Row>& rows, TSQLConnection& connection,
               Firebird::ITransaction* transaction, const std::function<void(size_t)>& taken,
               const std::function<bool(size_t)>& alone, std::vector<size_t>& untried) {
    untried.clear();
    for (size_t k = 0; k < rows.size(); ++k) untried.push_back(k);
    const std::vector<size_t> refused = Doing([&] { return QStringLiteral("ao gravar na tabela %1").arg(table); },
                                              [&] { return block.Send(table, fields, rows, connection, transaction); });
    for (size_t k = 0; k < rows.size(); ++k)
        if (!std::binary_search(refused.begin(), refused.end(), k)) taken(k);
    untried = refused;
    // The row being retried stays untried until it has been answered.
    for (auto next = untried.begin(); next != untried.end(); next = untried.erase(next))
        if (!alone(*next)) break;
}
