#include "ExecutarDelecao.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/ForeignKey.h"
#include "catalogue/Workspace.h"
#include "platform/EDatabaseError.h"
#include "platform/ErrorGuard.h"
#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"

#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>

namespace {

// The nullable foreign-key columns of a table that points at the emptied table from a table
// emptied after it in the same walk (a reference cycle) or from the table itself (a category under
// a category): their rows would still point at rows the DELETE removes, and the server refuses it
// row by row. They are set NULL in the DELETE's own transaction: the rows pointing there go next.
struct Unlink {
    QString table;
    QStringList columns;
};

QList<Unlink> LinksInto(const TTabela& tabela, const QList<TTabela*>& later, const QList<ForeignKey>& keys) {
    QList<Unlink> links;
    for (const ForeignKey& key : keys) {
        if (key.referencedTable != tabela.NomeTabela() || !key.notNullColumns.isEmpty()) continue;
        const bool emptiedLater = key.table == tabela.NomeTabela() ||
                                  std::any_of(later.begin(), later.end(),
                                              [&](const TTabela* other) { return other->NomeTabela() == key.table; });
        if (emptiedLater) links.append({key.table, key.columns});
    }
    return links;
}

QString UnlinkSql(const Unlink& link) {
    QStringList set, held;
    for (const QString& column : link.columns) {
        set << quoteIdentifier(column) + QStringLiteral(" = NULL");
        held << quoteIdentifier(column) + QStringLiteral(" IS NOT NULL");
    }
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(quoteIdentifier(link.table), set.join(QStringLiteral(", ")), held.join(QStringLiteral(" OR ")));
}

// The links set NULL and the DELETE take effect together or not at all.
void EmptyTable(TTabela& tabela, const QList<Unlink>& links, const Workspace& workspace) {
    const QString nome = tabela.NomeTabela();
    try {
        workspace.OnDestination([&] {
            TSQLConnection& destino = *workspace.SQLConnectionDestino;
            TSQLTransaction transaction(&destino);
            auto undo = qScopeGuard([&transaction] {
                try {
                    if (transaction.InTransaction()) transaction.Rollback();
                } catch (...) {
                    // The server undoes the work of a transaction that did not commit.
                }
            });
            TSQLDataSet statement(&destino);
            statement.Transaction = &transaction;
            for (const Unlink& link : links) {
                statement.SetCommandText(UnlinkSql(link));
                statement.ExecSQL();
            }
            statement.SetCommandText(QStringLiteral("DELETE FROM ") + quoteIdentifier(nome));
            statement.ExecSQL();
            transaction.Commit();
            undo.dismiss();
        }, Workspace::SourceUse::Untouched);
    } catch (const std::exception& error) {
        RegistrarLog(QStringLiteral("ExecutarDelecao ") + nome + QLatin1Char('=') + ErrorMessage(error));
        throw;
    }
    tabela.SetDeletada(true);
    tabela.DestinationEmptied();
}

}  // namespace

void DeletionOrder(TTabela& tabela, QList<TTabela*>& ordem) {
    if (tabela.Deletada() || tabela.Deletando() || ordem.contains(&tabela)) return;
    tabela.SetDeletando(true);
    const auto walked = qScopeGuard([&tabela] { tabela.SetDeletando(false); });
    for (const QString& name : tabela.DependencesDelete()->Items())
        if (TTabela* referencing = ListaTabelas.TableByName(name)) DeletionOrder(*referencing, ordem);
    ordem.append(&tabela);
}

QList<TTabela*> OrderAllowedByKeys(const QList<TTabela*>& ordem, const QList<ForeignKey>& keys) {
    QHash<QString, const TTabela*> byName;
    for (const TTabela* tabela : ordem) byName.insert(tabela->NomeTabela(), tabela);
    // For each table, the others of the list that hold a NOT NULL key into it.
    QHash<const TTabela*, QSet<const TTabela*>> before;
    for (const ForeignKey& key : keys) {
        if (key.notNullColumns.isEmpty() || key.table == key.referencedTable) continue;
        const TTabela* holder = byName.value(key.table);
        const TTabela* referenced = byName.value(key.referencedTable);
        if (holder && referenced) before[referenced].insert(holder);
    }
    QList<TTabela*> placed;
    QList<TTabela*> left = ordem;
    while (!left.isEmpty()) {
        // The first table in the walk's order that none of those left must precede.
        const auto next = std::find_if(left.begin(), left.end(), [&](const TTabela* candidate) {
            const QSet<const TTabela*> first = before.value(candidate);
            return std::none_of(left.begin(), left.end(), [&](const TTabela* other) { return first.contains(other); });
        });
        if (next == left.end()) return ordem;
        placed.append(*next);
        left.erase(next);
    }
    return placed;
}

QList<ForeignKey> DestinationKeys(const Workspace& workspace) {
    QList<ForeignKey> keys;
    workspace.OnDestination([&] { keys = ForeignKeys(*workspace.SQLConnectionDestino); }, Workspace::SourceUse::Untouched);
    return keys;
}

void RefuseRowsReferencingFromOutside(const QList<TTabela*>& ordem, const QList<ForeignKey>& keys,
                                      const Workspace& workspace) {
    QSet<QString> emptied;
    for (const TTabela* tabela : ordem) emptied.insert(tabela->NomeTabela());
    QStringList holding;
    workspace.OnDestination([&] {
        for (const ForeignKey& key : keys) {
            if (!emptied.contains(key.referencedTable) || emptied.contains(key.table)) continue;
            // A key with a NULL column points nowhere.
            QStringList held;
            for (const QString& column : key.columns) held << quoteIdentifier(column) + QStringLiteral(" IS NOT NULL");
            TSQLDataSet rows(workspace.SQLConnectionDestino);
            rows.SetCommandText(QStringLiteral("SELECT FIRST 1 1 FROM %1 WHERE %2")
                                    .arg(quoteIdentifier(key.table), held.join(QStringLiteral(" AND "))));
            rows.Open();
            if (!rows.Eof()) holding << QStringLiteral("%1 (referencia %2)").arg(key.table, key.referencedTable);
            rows.Close();
        }
    }, Workspace::SourceUse::Untouched);
    if (!holding.isEmpty())
        throw EDatabaseError(QStringLiteral("A limpeza não apagou nada: no destino, %1 tem(têm) linhas que referenciam "
                                            "tabelas a esvaziar e não está(ão) entre elas.")
                                 .arg(holding.join(QStringLiteral(", "))));
}

void ExecutarDelecao(const QList<TTabela*>& ordem, const QList<ForeignKey>& keys, Workspace& workspace) {
    for (qsizetype i = 0; i < ordem.size(); ++i)
        EmptyTable(*ordem[i], LinksInto(*ordem[i], ordem.mid(i + 1), keys), workspace);
}
