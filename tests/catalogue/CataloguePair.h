#pragma once

#include "support/DatabaseFactory.h"
#include "support/WorkspaceFixture.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>

class TTabela;

// A source and a destination of one structure, connected as the main window would connect
// them; the catalogue is emptied again when the test ends.
class CataloguePair : public testing::Test {
protected:
    // ddl runs in both databases, then the row scripts in each.
    void Open(const QString& ddl, const QString& origemRows = {}, const QString& destinoRows = {});
    void TearDown() override;

    // A record for one table, built as the catalogue load builds it.
    std::unique_ptr<TTabela> Tabela(const QString& name);
    // Loads every listed table into ListaTabelas and finds their dependences.
    void LoadCatalogue();

    DatabaseFactory factory;
    QString origem;
    QString destino;
    std::unique_ptr<WorkspaceFixture> fixture;
};
