#include "ImportReach.h"

#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"

#include <QSet>
#include <algorithm>

namespace {

class Reach {
public:
    // afterACleanup: the counts as the cleanup leaves them, every table it empties to be copied.
    Reach(const QTreeWidget& treeView, bool afterACleanup) : afterACleanup_(afterACleanup) {
        const QList<TTabela*> ordered = NodeTablesInOrder(treeView);
        for (TTabela* tabela : ordered)
            if (tabela && tabela->Checked() && (afterACleanup || !tabela->WaitDependence())) Visit(tabela);
        for (TTabela* tabela : LeftWaiting(ordered)) Visit(tabela);
    }

    QList<TTabela*> tables;

private:
    void Visit(TTabela* tabela) {
        if (!tabela || seen_.contains(tabela)) return;
        if (!afterACleanup_ && (tabela->Importada() || tabela->Importando())) return;
        seen_.insert(tabela);
        tables.append(tabela);
        for (const QString& name : tabela->Dependences()->Items()) Visit(ListaTabelas.TableByName(name));
    }

    const bool afterACleanup_;
    QSet<TTabela*> seen_;
};

}  // namespace

QList<TTabela*> TablesTheImportReaches(const QTreeWidget& treeView) { return Reach(treeView, false).tables; }

QList<TTabela*> TablesACopyFillsAfterACleanup(const QTreeWidget& treeView) { return Reach(treeView, true).tables; }

QList<TTabela*> LeftWaiting(const QList<TTabela*>& tables) {
    const auto waiting = [](const TTabela* tabela) { return tabela && tabela->Checked() && tabela->WaitDependence(); };
    const auto leftAlone = [](const TTabela* tabela) { return tabela && tabela->Checked() && tabela->Importada(); };
    QList<TTabela*> stuck;
    for (TTabela* tabela : tables) {
        if (!waiting(tabela)) continue;
        // By the name as written: ITEM and "item" are two tables.
        const bool needed = std::any_of(tables.begin(), tables.end(), [&](TTabela* other) {
            return (waiting(other) || leftAlone(other)) && other->Dependences()->Items().contains(tabela->NomeTabela());
        });
        if (needed) stuck << tabela;
    }
    return stuck;
}
