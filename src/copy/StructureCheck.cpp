#include "StructureCheck.h"

#include "CopyContext.h"
#include "StructureDifferencesDialog.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/StructureComparison.h"
#include "catalogue/StructureWording.h"
#include "catalogue/TTabela.h"
#include "catalogue/Workspace.h"
#include "platform/Dialogs.h"

#include <algorithm>

bool CheckStructures(QList<TTabela*> reached, QWidget* parent, CopyContext& context) {
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
    StructureDifferencesDialog question(differences, parent);
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
