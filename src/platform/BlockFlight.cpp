#include "BlockFlight.h"

#include "FbApi.h"

#include <algorithm>
#include <utility>

void BlockFlight::Start(std::vector<PendingChange> changes, const QString& table, const FieldList& fields,
                        TSQLConnection& connection, Firebird::ITransaction* transaction, InsertBlock& block) {
    Land();
    landing_ = Landing{std::move(changes), transaction, {}, 0, nullptr};
    worker_ = std::thread([this, table, &fields, &connection, transaction, &block] {
        const size_t capacity = size_t(std::max(1, InsertBlock::Capacity(fields)));
        std::vector<PendingChange>& changes = landing_.changes;
        try {
            while (landing_.written < changes.size()) {
                const size_t first = landing_.written;
                const size_t end = std::min(changes.size(), first + capacity);
                std::vector<InsertBlock::Row> rows;
                for (size_t i = first; i < end; ++i) rows.push_back(&changes[i].newValues);
                const std::vector<size_t> refused =
                    Doing([&] { return QStringLiteral("ao gravar na tabela %1").arg(table); },
                          [&] { return block.Send(table, fields, rows, connection, transaction); });
                for (size_t k : refused) landing_.refused.push_back(first + k);
                landing_.written = end;
            }
        } catch (...) {
            landing_.failure = std::current_exception();
        }
    });
}

BlockFlight::Landing BlockFlight::Land() {
    if (worker_.joinable()) worker_.join();
    return std::exchange(landing_, Landing{});
}
