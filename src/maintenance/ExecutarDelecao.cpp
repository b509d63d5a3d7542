#include "ExecutarDelecao.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/Workspace.h"
#include "platform/ErrorGuard.h"
#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

#include <QScopeGuard>

namespace {

void Esvaziar(TTabela& tabela, TSQLConnection& destino) {
    TSQLDataSet statement(&destino);
    statement.SetCommandText(QStringLiteral("DELETE FROM ") + quoteIdentifier(tabela.NomeTabela()));
    try {
        statement.ExecSQL();
    } catch (const std::exception& error) {
        RegistrarLog(QStringLiteral("ExecutarDelecao ") + tabela.NomeTabela() + QLatin1Char('=') + ErrorMessage(error));
        throw;
    }
    tabela.SetDeletada(true);
    tabela.DestinationEmptied();
}

}  // namespace

void OrdemDelecao(TTabela& tabela, QList<TTabela*>& ordem) {
    if (tabela.Deletada() || tabela.Deletando() || ordem.contains(&tabela)) return;
    tabela.SetDeletando(true);
    const auto walked = qScopeGuard([&tabela] { tabela.SetDeletando(false); });
    for (const QString& name : tabela.DependencesDelete()->Items())
        if (TTabela* referencing = ListaTabelas.TableByName(name)) OrdemDelecao(*referencing, ordem);
    ordem.append(&tabela);
}

void ExecutarDelecao(TTabela& tabela, Workspace& workspace) {
    QList<TTabela*> ordem;
    OrdemDelecao(tabela, ordem);
    for (TTabela* vazia : ordem) Esvaziar(*vazia, *workspace.SQLConnectionDestino);
}
