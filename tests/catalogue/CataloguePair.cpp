#include "CataloguePair.h"

#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "platform/TStringList.h"

void CataloguePair::Open(const QString& ddl, const QString& origemRows, const QString& destinoRows) {
    origem = factory.Create(QStringLiteral("origem"), ddl);
    destino = factory.Create(QStringLiteral("destino"), ddl);
    if (!origemRows.isEmpty()) DatabaseFactory::Execute(origem, origemRows);
    if (!destinoRows.isEmpty()) DatabaseFactory::Execute(destino, destinoRows);
    fixture = std::make_unique<WorkspaceFixture>(origem, destino);
}

void CataloguePair::TearDown() {
    ListaTabelas.Clear();
    EsperarDependencias = true;
    CopiarReferenciasCirculares = false;
}

std::unique_ptr<TTabela> CataloguePair::Tabela(const QString& name) {
    return std::make_unique<TTabela>(name, fixture->workspace);
}

void CataloguePair::LoadCatalogue() {
    TStringList names;
    fixture->SQLConnection.GetTableNames(names);
    for (const QString& name : names.Items()) ListaTabelas.Add(new TTabela(name, fixture->workspace));
    ListaTabelas.AdjustDependences(fixture->workspace);
}
