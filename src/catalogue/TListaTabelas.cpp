#include "TListaTabelas.h"

#include "ForeignKeyCycles.h"
#include "TTabela.h"
#include "TableKeys.h"
#include "Workspace.h"
#include "platform/Application.h"
#include "platform/SqlNames.h"
#include "platform/TClientDataSet.h"
#include "platform/TSQLDataSet.h"

TListaTabelas ListaTabelas;

namespace {

// The distinct tables that the foreign keys of :RELATION_NAME reference.
const QString ForeignKeySQL = QStringLiteral(
    "SELECT DISTINCT RRC.RDB$RELATION_NAME AS FK, RRC2.RDB$RELATION_NAME AS PK \r\n"
    "FROM RDB$REF_CONSTRAINTS RRFC \r\n"
    "JOIN RDB$RELATION_CONSTRAINTS RRC ON (RRC.RDB$CONSTRAINT_NAME = RRFC.RDB$CONSTRAINT_NAME)\r\n"
    "  JOIN RDB$RELATION_CONSTRAINTS RRC2 ON (RRC2.RDB$CONSTRAINT_NAME = RRFC.RDB$CONST_NAME_UQ)\r\n"
    "WHERE RRC.RDB$RELATION_NAME = :RELATION_NAME");

}  // namespace

TListaTabelas::~TListaTabelas() { Clear(); }

void TListaTabelas::Add(TTabela* tabela) {
    items_.append(tabela);
    if (!byName_.contains(tabela->NomeTabela())) byName_.insert(tabela->NomeTabela(), tabela);
    const QString folded = tabela->NomeTabela().toCaseFolded();
    if (!byFoldedName_.contains(folded)) byFoldedName_.insert(folded, tabela);
}

void TListaTabelas::Clear() {
    byName_.clear();
    byFoldedName_.clear();
    while (!items_.isEmpty()) delete items_.takeFirst();
}

TTabela* TListaTabelas::TableByName(const QString& name) const {
    // ITEM and "item" are two tables: the name as written first, then in any case.
    if (TTabela* tabela = byName_.value(name)) return tabela;
    return byFoldedName_.value(name.toCaseFolded());
}

void TListaTabelas::AdjustDependences(Workspace& workspace) {
    TClientDataSet& foreignKeys = *workspace.CDSForeignKey;
    // Read in one step: a step for each table would cost a load of hundreds of tables a tenth more.
    QStringList names;
    for (const TTabela* tabela : items_) names << tabela->NomeTabela();
    QList<QStringList> references(items_.size());
    workspace.Read([&] {
        foreignKeys.Close();
        workspace.SQLDSForeignKey->SetCommandText(ForeignKeySQL);
        for (qsizetype i = 0; i < names.size(); ++i) {
            foreignKeys.Close();
            workspace.SQLDSForeignKey->ParamByName(QStringLiteral("RELATION_NAME")).SetAsString(names[i]);
            foreignKeys.Open();
            for (foreignKeys.First(); !foreignKeys.Eof(); foreignKeys.Next())
                references[i] << StoredName(foreignKeys.FieldByName(QStringLiteral("PK"))->AsString());
        }
    });
    for (int i = 0; i < items_.size(); ++i) {
        TTabela* tabela = items_[i];
        tabela->Dependences()->Clear();
        for (const QString& name : references[i]) tabela->Dependences()->Add(name);
        workspace.SetStatus(QString::number(i) + QLatin1Char(' ') + tabela->NomeTabela());
        ProcessMessages();
    }
    for (TTabela* tabela : items_) tabela->DependencesDelete()->Clear();
    // Each table is listed by the tables it references, in the catalogue's order; as written:
    // ITEM and "item" are two tables.
    for (TTabela* other : items_)
        for (const QString& name : other->Dependences()->Items())
            if (TTabela* referenced = byName_.value(name);
                referenced && !referenced->DependencesDelete()->Items().contains(other->NomeTabela()))
                referenced->DependencesDelete()->Add(other->NomeTabela());
    TSQLConnection& origem = *workspace.SQLConnection;
    QHash<QString, CycleCut> cuts;
    workspace.Read([&] { cuts = FindCycleCuts(ForeignKeys(origem), KeyColumnsOfEveryTable(origem)); });
    for (TTabela* tabela : items_) tabela->SetCycles(cuts.value(tabela->NomeTabela()));
}
