#include "CataloguePair.h"

#include "catalogue/ForeignKeyCycles.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableKeys.h"
#include "support/QtPrinting.h"

namespace {

// A nullable key unless NOT NULL columns are named.
ForeignKey Key(const char* table, const char* columns, const char* referenced, const char* notNull = "") {
    return {QStringLiteral("FK_%1_%2").arg(QLatin1String(table), QLatin1String(columns)), QLatin1String(table),
            QLatin1String(referenced), QString::fromLatin1(columns).split(QLatin1Char(',')),
            QString::fromLatin1(notNull).split(QLatin1Char(','), Qt::SkipEmptyParts)};
}

const QHash<QString, QStringList> EveryTableKeyed = {
    {"CATEGORIA", {"ID"}}, {"SETOR", {"ID"}}, {"FUNCIONARIO", {"ID"}}, {"A", {"ID"}},
    {"B", {"ID"}},         {"C", {"ID"}},     {"PEDIDO", {"ID"}},      {"CLIENTE", {"ID"}}};

TEST(ForeignKeyCycles, ASelfReferenceAndTheNullableSideOfATwoTableCycleAreCut) {
    const auto cuts = FindCycleCuts({Key("CATEGORIA", "PAI", "CATEGORIA"), Key("SETOR", "GERENTE", "FUNCIONARIO"),
                                     Key("FUNCIONARIO", "SETOR", "SETOR", "SETOR"), Key("PEDIDO", "CLIENTE", "CLIENTE")},
                                    EveryTableKeyed);
    EXPECT_EQ(cuts.keys().size(), 2) << "only the tables with something cut";
    EXPECT_EQ(cuts["CATEGORIA"].cutColumns, QStringList({"PAI"}));
    EXPECT_EQ(cuts["CATEGORIA"].deferredTables, QStringList({"CATEGORIA"}));
    EXPECT_EQ(cuts["SETOR"].cutColumns, QStringList({"GERENTE"}));
    EXPECT_EQ(cuts["SETOR"].keyColumns, QStringList({"ID"}));
    EXPECT_EQ(cuts["SETOR"].deferredTables, QStringList({"FUNCIONARIO"}));
    EXPECT_TRUE(cuts["SETOR"].fallback.isEmpty());
    EXPECT_FALSE(cuts.contains("FUNCIONARIO")) << "its NOT NULL key keeps the dependency-first order";
    EXPECT_FALSE(cuts.contains("PEDIDO")) << "a key on no cycle is never cut";
}

TEST(ForeignKeyCycles, ALongerCycleIsCutAtItsNullableKeyAlone) {
    const auto cuts = FindCycleCuts({Key("A", "B_ID", "B", "B_ID"), Key("B", "C_ID", "C", "C_ID"), Key("C", "A_ID", "A")},
                                    EveryTableKeyed);
    EXPECT_EQ(cuts.keys(), QList<QString>({"C"}));
    EXPECT_EQ(cuts["C"].cutColumns, QStringList({"A_ID"}));
    EXPECT_EQ(cuts["C"].deferredTables, QStringList({"A"}));
}

TEST(ForeignKeyCycles, ACycleNoCutBreaksNamesItsNotNullColumnOrItsMissingKey) {
    const auto notNull = FindCycleCuts({Key("A", "X,B_ID", "B", "B_ID"), Key("B", "A_ID", "A", "A_ID")}, EveryTableKeyed);
    EXPECT_EQ(notNull["A"].fallback, QStringLiteral("coluna B_ID é NOT NULL"));
    EXPECT_EQ(notNull["B"].fallback, QStringLiteral("coluna A_ID é NOT NULL"));
    EXPECT_TRUE(notNull["A"].cutColumns.isEmpty());

    const auto keyless = FindCycleCuts({Key("NOTA", "ANTERIOR", "NOTA")}, EveryTableKeyed);
    EXPECT_EQ(keyless["NOTA"].fallback, QStringLiteral("sem chave primária ou única"));
    EXPECT_TRUE(keyless["NOTA"].cutColumns.isEmpty());

    // A row whose key holds the cut column could not be found again once that column is NULL.
    const auto inKey = FindCycleCuts({Key("NOTA", "ANTERIOR", "NOTA")}, {{"NOTA", {"NUMERO", "ANTERIOR"}}});
    EXPECT_EQ(inKey["NOTA"].fallback, QStringLiteral("coluna ANTERIOR faz parte da chave da tabela"));
    EXPECT_TRUE(inKey["NOTA"].cutColumns.isEmpty());

    // A cycle broken by a cut elsewhere needs no word about its NOT NULL key.
    const auto broken = FindCycleCuts({Key("SETOR", "GERENTE", "FUNCIONARIO"), Key("FUNCIONARIO", "SETOR", "SETOR", "SETOR")},
                                      EveryTableKeyed);
    EXPECT_FALSE(broken.contains("FUNCIONARIO"));
}

TEST(ForeignKeyCycles, ATableAlsoReachedThroughAKeyThatIsNotCutIsStillCopiedFirst) {
    const auto cuts = FindCycleCuts({Key("SETOR", "GERENTE", "FUNCIONARIO"), Key("SETOR", "FUNDADOR", "FUNCIONARIO", "FUNDADOR"),
                                     Key("FUNCIONARIO", "SETOR", "SETOR")},
                                    EveryTableKeyed);
    EXPECT_EQ(cuts["SETOR"].cutColumns, QStringList({"GERENTE"}));
    EXPECT_TRUE(cuts["SETOR"].deferredTables.isEmpty());
    EXPECT_EQ(cuts["FUNCIONARIO"].deferredTables, QStringList({"SETOR"}));
}

// SETOR and FUNCIONARIO reference each other, the manager through a domain that allows NULL,
// the department through one that does not; ALOCACAO has a two-column key and a two-column
// reference, and CATEGORIA references itself through a unique key, not its primary key.
const QString Empresa = QStringLiteral(
    "CREATE DOMAIN OBRIGATORIO AS INTEGER NOT NULL;"
    "CREATE DOMAIN OPCIONAL AS INTEGER;"
    "CREATE TABLE SETOR (ID INTEGER NOT NULL PRIMARY KEY, GERENTE OPCIONAL);"
    "CREATE TABLE FUNCIONARIO (ID INTEGER NOT NULL PRIMARY KEY, SETOR OBRIGATORIO REFERENCES SETOR);"
    "ALTER TABLE SETOR ADD CONSTRAINT FK_GERENTE FOREIGN KEY (GERENTE) REFERENCES FUNCIONARIO;"
    "CREATE TABLE ALOCACAO (SETOR INTEGER NOT NULL, FUNCIONARIO INTEGER NOT NULL, ANTERIOR_SETOR INTEGER,"
    " ANTERIOR_FUNCIONARIO INTEGER NOT NULL, PRIMARY KEY (SETOR, FUNCIONARIO));"
    "ALTER TABLE ALOCACAO ADD CONSTRAINT FK_ANTERIOR FOREIGN KEY (ANTERIOR_SETOR, ANTERIOR_FUNCIONARIO) REFERENCES ALOCACAO;"
    "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL, CODIGO INTEGER NOT NULL UNIQUE, PAI INTEGER REFERENCES CATEGORIA (CODIGO));"
    "CREATE TABLE AVULSA (ID INTEGER);");

using CatalogueCycles = CataloguePair;

TEST_F(CatalogueCycles, ForeignKeysComeWithTheirColumnsAndWhetherEachMayHoldNull) {
    Open(Empresa);
    const QList<ForeignKey> keys = ForeignKeys(fixture->SQLConnection);
    ASSERT_EQ(keys.size(), 4);
    EXPECT_EQ(keys[0].table, QStringLiteral("ALOCACAO"));
    EXPECT_EQ(keys[0].name, QStringLiteral("FK_ANTERIOR"));
    EXPECT_EQ(keys[0].referencedTable, QStringLiteral("ALOCACAO"));
    EXPECT_EQ(keys[0].columns, QStringList({"ANTERIOR_SETOR", "ANTERIOR_FUNCIONARIO"}));
    EXPECT_EQ(keys[0].notNullColumns, QStringList({"ANTERIOR_FUNCIONARIO"}));
    EXPECT_EQ(keys[1].referencedTable, QStringLiteral("CATEGORIA"));
    EXPECT_TRUE(keys[1].notNullColumns.isEmpty());
    EXPECT_EQ(keys[2].table, QStringLiteral("FUNCIONARIO"));
    EXPECT_EQ(keys[2].notNullColumns, QStringList({"SETOR"})) << "NOT NULL through its domain";
    EXPECT_EQ(keys[3].table, QStringLiteral("SETOR"));
    EXPECT_EQ(keys[3].columns, QStringList({"GERENTE"}));
    EXPECT_TRUE(keys[3].notNullColumns.isEmpty());

    const QHash<QString, QStringList> tableKeys = KeyColumnsOfEveryTable(fixture->SQLConnection);
    EXPECT_EQ(tableKeys.value("ALOCACAO"), QStringList({"SETOR", "FUNCIONARIO"}));
    EXPECT_EQ(tableKeys.value("CATEGORIA"), QStringList({"CODIGO"}));
    EXPECT_EQ(tableKeys.value("SETOR"), QStringList({"ID"}));
    EXPECT_FALSE(tableKeys.contains("AVULSA"));
    EXPECT_EQ(KeyColumns(fixture->SQLConnection, "ALOCACAO"), tableKeys.value("ALOCACAO"));
}

TEST_F(CatalogueCycles, LoadingTheCatalogueFindsTheCutsAndMarkingLeavesACutDependenceUnwaited) {
    Open(Empresa);
    LoadCatalogue();
    TTabela* setor = ListaTabelas.TableByName("SETOR");
    TTabela* funcionario = ListaTabelas.TableByName("FUNCIONARIO");
    EXPECT_EQ(setor->Cycles().cutColumns, QStringList({"GERENTE"}));
    EXPECT_EQ(ListaTabelas.TableByName("CATEGORIA")->Cycles().keyColumns, QStringList({"CODIGO"}));
    EXPECT_EQ(ListaTabelas.TableByName("ALOCACAO")->Cycles().fallback, QStringLiteral("coluna ANTERIOR_FUNCIONARIO é NOT NULL"));
    EXPECT_TRUE(funcionario->Cycles().cutColumns.isEmpty());

    // Switched off, the marks are as they always were.
    setor->MarcarDependencias(true);
    EXPECT_TRUE(funcionario->WaitDependence());
    funcionario->SetWaitDependence(false);
    EXPECT_FALSE(setor->CopiesInTwoPasses(CopiarReferenciasCirculares));

    CopiarReferenciasCirculares = true;
    setor->MarcarDependencias(true);
    EXPECT_TRUE(funcionario->Checked());
    EXPECT_FALSE(funcionario->WaitDependence()) << "copied after SETOR, it waits for nobody";
    funcionario->MarcarDependencias(true);
    EXPECT_TRUE(setor->WaitDependence()) << "a NOT NULL key still waits";
}

TEST_F(CatalogueCycles, ASecondPassLeftUndoneShowsTheTableNotImportedWhateverItsCounts) {
    Open(Empresa);
    LoadCatalogue();
    TTabela* setor = ListaTabelas.TableByName("SETOR");
    ASSERT_TRUE(setor->Importada());
    setor->SetSecondPassPending(true);
    setor->VerificarImportada();
    EXPECT_FALSE(setor->Importada());
    EXPECT_TRUE(setor->RowCountsEqual());
    EXPECT_TRUE(setor->CopiesInTwoPasses(false)) << "what was begun in two passes is finished in two";
}

}  // namespace
