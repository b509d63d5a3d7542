#include "StructureCheck.h"

#include "CopyContext.h"
#include "StructureDifferencesDialog.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/StructureComparison.h"
#include "catalogue/StructureWording.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "catalogue/Workspace.h"
#include "platform/Dialogs.h"

#include <QSet>
#include <QTreeWidget>
#include <algorithm>

namespace {

// The tables the import copies, as Exportar decides: a marked table that is neither imported,
// importing nor waiting, and each of its dependences that is neither imported nor importing.
class Reach {
public:
    explicit Reach(const QTreeWidget& treeView) {
        for (TTabela* tabela : NodeTablesInOrder(treeView))
            if (tabela && tabela->Checked() && !tabela->WaitDependence()) Visit(tabela);
    }

    QList<TTabela*> tables;

private:
    void Visit(TTabela* tabela) {
        if (!tabela || seen_.contains(tabela) || tabela->Importada() || tabela->Importando()) return;
        seen_.insert(tabela);
        tables.append(tabela);
        for (const QString& name : tabela->Dependences()->Items()) Visit(ListaTabelas.TableByName(name));
    }

    QSet<TTabela*> seen_;
};

}  // namespace

QList<TTabela*> TablesTheImportReaches(const QTreeWidget& treeView) { return Reach(treeView).tables; }

bool CheckStructures(const QTreeWidget& treeView, CopyContext& context) {
    QList<TTabela*> reached = TablesTheImportReaches(treeView);
    // Listed by name, for a person to find a table among hundreds.
    std::sort(reached.begin(), reached.end(),
              [](const TTabela* a, const TTabela* b) { return a->NomeTabela() < b->NomeTabela(); });
    QList<StructureDifference> differences;
    context.workspace.OnDestination([&] {
        differences = CompareStructures(reached, *context.workspace.SQLConnection,
                                        *context.workspace.SQLConnectionDestino, context.twoPass.cutCycles);
    });
    for (TTabela* tabela : reached) context.uncopyable.remove(tabela->NomeTabela());
    if (differences.isEmpty()) return true;

    for (const StructureDifference& difference : differences) RegistrarLog(DifferenceLine(difference));
    StructureDifferencesDialog question(differences, treeView.window());
    if (Dialogs().ExecModal(question) != QDialog::Accepted) {
        RegistrarLog(QStringLiteral("Importação cancelada: a estrutura do destino difere da origem"));
        return false;
    }
    for (const StructureDifference& difference : differences)
        if (difference.SkipsTable() && !context.uncopyable.contains(difference.table))
            context.uncopyable.insert(difference.table, SkipReason(difference));
    return true;
}

bool SkipsUncopyableTable(const TTabela& tabela, CopyContext& context) {
    const auto reason = context.uncopyable.constFind(tabela.NomeTabela());
    if (reason == context.uncopyable.cend()) return false;
    RegistrarLog(tabela.NomeTabela() + QStringLiteral(" não copiada: ") + *reason);
    ++context.totals.skipped;
    return true;
}
