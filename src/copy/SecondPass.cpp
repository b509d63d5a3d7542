#include "SecondPass.h"

#include "CopyContext.h"
#include "CutColumnsUpdate.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"

QStringList CutColumns(TTabela& tabela, const CopyContext& context) {
    return context.twoPass.secondPass.contains(&tabela) ? tabela.Cycles().cutColumns : QStringList();
}

RowCopy PrepareTwoPassCopy(TTabela& tabela, CopyContext& context) {
    const CycleCut& cycles = tabela.Cycles();
    if (context.twoPass.cutCycles && !cycles.fallback.isEmpty())
        RegistrarLog(tabela.NomeTabela() + QStringLiteral(": ciclo de chaves estrangeiras não pode ser adiado (") +
                     cycles.fallback + QLatin1Char(')'));
    if (!tabela.CopiesInTwoPasses(context.twoPass.cutCycles)) return RowCopy::Needed;
    context.twoPass.secondPass.append(&tabela);
    if (tabela.SecondPassPending() && tabela.RowCountsEqual()) return RowCopy::AlreadyDone;
    tabela.SetSecondPassPending(true);
    return RowCopy::Needed;
}

void RunSecondPass(CopyContext& context) {
    // A table an import started meanwhile copies joins the list and is done too.
    QList<TTabela*>& tables = context.twoPass.secondPass;
    if (!tables.isEmpty()) context.overall.SecondPass(context.totals);
    for (qsizetype i = 0; i < tables.size(); ++i)
        CutColumnsUpdate(*tables[i], context, context.twoPass.insertedWhole.contains(tables[i])).Run();
}
