#include "ForeignKeyCycles.h"

#include <QSet>
#include <algorithm>

namespace {

using Graph = QHash<QString, QSet<QString>>;

// Tarjan's strongly connected components: two tables share a number when each leads to the other.
class Components {
public:
    explicit Components(const Graph& graph) : graph_(graph) {
        for (auto it = graph.begin(); it != graph.end(); ++it)
            if (!index_.contains(it.key())) Visit(it.key());
    }

    bool Together(const QString& a, const QString& b) const { return component_.value(a, -1) == component_.value(b, -2); }

private:
    void Visit(const QString& table) {
        index_[table] = low_[table] = next_++;
        stack_.append(table);
        onStack_.insert(table);
        for (const QString& referenced : graph_.value(table)) {
            if (!index_.contains(referenced)) {
                Visit(referenced);
                low_[table] = std::min(low_[table], low_[referenced]);
            } else if (onStack_.contains(referenced)) {
                low_[table] = std::min(low_[table], index_[referenced]);
            }
        }
        if (low_[table] != index_[table]) return;
        QString member;
        do {
            member = stack_.takeLast();
            onStack_.remove(member);
            component_[member] = components_;
        } while (member != table);
        ++components_;
    }

    const Graph& graph_;
    QHash<QString, int> index_, low_, component_;
    QStringList stack_;
    QSet<QString> onStack_;
    int next_ = 0;
    int components_ = 0;
};

Graph GraphOf(const QList<const ForeignKey*>& keys) {
    Graph graph;
    for (const ForeignKey* key : keys) {
        graph[key->table].insert(key->referencedTable);
        graph[key->referencedTable];
    }
    return graph;
}

// A column of the key the second pass finds rows by would be NULL in the row it looks for.
QString KeyColumnAmong(const ForeignKey& key, const QStringList& tableKey) {
    for (const QString& column : key.columns)
        if (tableKey.contains(column)) return column;
    return {};
}

// Why the key cannot be cut; empty when it can.
QString Fallback(const ForeignKey& key, const QHash<QString, QStringList>& tableKeys) {
    if (!key.notNullColumns.isEmpty()) return QStringLiteral("coluna %1 é NOT NULL").arg(key.notNullColumns.first());
    const QStringList tableKey = tableKeys.value(key.table);
    if (tableKey.isEmpty()) return QStringLiteral("sem chave primária ou única");
    const QString inKey = KeyColumnAmong(key, tableKey);
    if (!inKey.isEmpty()) return QStringLiteral("coluna %1 faz parte da chave da tabela").arg(inKey);
    return {};
}

}  // namespace

QHash<QString, CycleCut> FindCycleCuts(const QList<ForeignKey>& keys, const QHash<QString, QStringList>& tableKeys) {
    QList<const ForeignKey*> all, kept;
    for (const ForeignKey& key : keys) all << &key;
    const Components cycles(GraphOf(all));

    QHash<QString, CycleCut> cuts;
    QHash<QString, QSet<QString>> keptReferences;   // tables each table still copies first
    for (const ForeignKey& key : keys) {
        if (cycles.Together(key.table, key.referencedTable) && Fallback(key, tableKeys).isEmpty()) {
            CycleCut& cut = cuts[key.table];
            for (const QString& column : key.columns)
                if (!cut.cutColumns.contains(column)) cut.cutColumns << column;
            cut.keyColumns = tableKeys.value(key.table);
            if (!cut.deferredTables.contains(key.referencedTable)) cut.deferredTables << key.referencedTable;
        } else {
            kept << &key;
            keptReferences[key.table].insert(key.referencedTable);
        }
    }
    // A table also referenced through a key that is not cut is still copied first.
    for (auto it = cuts.begin(); it != cuts.end(); ++it)
        it->deferredTables.removeIf([&](const QString& table) { return keptReferences.value(it.key()).contains(table); });

    const Components left(GraphOf(kept));
    for (const ForeignKey* key : kept) {
        if (!left.Together(key->table, key->referencedTable)) continue;
        CycleCut& cut = cuts[key->table];
        if (cut.fallback.isEmpty()) cut.fallback = Fallback(*key, tableKeys);
    }
    return cuts;
}
