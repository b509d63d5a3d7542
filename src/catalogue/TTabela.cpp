#include "TTabela.h"

#include "TListaTabelas.h"
#include "Workspace.h"
#include "platform/EDatabaseError.h"
#include "platform/SqlNames.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

bool EsperarDependencias = true;
bool CopiarReferenciasCirculares = false;

namespace {

// Removes the column a computed name stands for: the one spelled the same, else one that differs
// only in case, so that a regular TOTAL survives beside a computed "total".
void RemoveName(TStringList& fields, const QString& name) {
    int i = fields.Items().indexOf(name);
    if (i < 0) i = fields.IndexOf(name);
    if (i >= 0) fields.Delete(i);
}

}  // namespace

TTabela::TTabela(const QString& nomeTabela, Workspace& workspace)
    : workspace_(workspace), nomeTabela_(nomeTabela) {
    // An unselected radio group (-1) gives smNull; the method stays fixed for this load.
    syncObjMethod_ = TSyncObjMethod(uint8_t(workspace_.SyncItemIndex() + 1));
    // The columns are read in the counts' step: a step each would cost a load of hundreds of
    // tables a fifth more.
    Count([this] {
        workspace_.SQLConnection->GetFieldNames(nomeTabela_, fieldNames_);
        RemoveComputedFields();
    });
}

void TTabela::RemoveComputedFields() {
    // A dataset of its own: another command may use the shared ones while the window waits here.
    TSQLDataSet computed(workspace_.SQLConnection);
    computed.SetCommandText(
        QStringLiteral("SELECT RDB$RELATION_FIELDS.RDB$FIELD_NAME"
                       " FROM RDB$RELATION_FIELDS"
                       " JOIN RDB$FIELDS ON (RDB$FIELDS.RDB$FIELD_NAME = RDB$RELATION_FIELDS.RDB$FIELD_SOURCE)"
                       " WHERE RDB$FIELDS.RDB$COMPUTED_BLR IS NOT NULL"
                       " AND RDB$RELATION_FIELDS.RDB$RELATION_NAME = ") +
        QuotedStr(nomeTabela_) + QStringLiteral(" ORDER BY RDB$RELATION_FIELDS.RDB$FIELD_NAME"));
    computed.Open();

    // The catalogue pads names to their full width; the field listing gives them trimmed.
    for (; !computed.Eof(); computed.Next())
        RemoveName(fieldNames_, StoredName(computed.FieldByName(QStringLiteral("RDB$FIELD_NAME"))->AsString()));
}

void TTabela::VerificarImportada() { Count(); }

void TTabela::Count(const std::function<void()>& alsoRead) {
    // Datasets of its own: another command may use the shared ones while the window waits here.
    TSQLDataSet origem(workspace_.SQLConnection);
    TSQLDataSet destino(workspace_.SQLConnectionDestino);
    // The values of each cut column are counted in the same walk as the rows.
    QString count = QStringLiteral("SELECT COUNT(*)");
    for (const QString& column : countedCuts_) count += QStringLiteral(", COUNT(%1)").arg(quoteIdentifier(column));
    count += QStringLiteral(" FROM ") + quoteIdentifier(nomeTabela_);
    origem.SetCommandText(count);
    destino.SetCommandText(count);
    const auto counting = [&] {
        if (alsoRead) alsoRead();
        origem.Open();
        try {
            destino.Open();
        } catch (const EDatabaseError& error) {
            // "Table unknown" alone would not say which of the two databases lacks it.
            throw error.While(QStringLiteral("ao contar a tabela %1 no banco de destino").arg(nomeTabela_));
        }
    };
    // The window handles its messages as the table is counted, which takes the engine about a
    // second for three million rows.
    workspace_.Read(counting);
    const qint64 sourceRows = origem.Fields(0)->AsLargeInt();
    const qint64 destinationRows = destino.Fields(0)->AsLargeInt();
    sourceRowCount_ = sourceRows;
    destinationRowCount_ = destinationRows;
    rowCountsEqual_ = sourceRows == destinationRows;
    // More NULLs in a cut column than the source holds: rows a first pass left for a second one
    // that never came, whether or not the rest of the rows are there.
    for (int i = 1; i < origem.FieldCount(); ++i)
        if (destinationRows - destino.Fields(i)->AsLargeInt() > sourceRows - origem.Fields(i)->AsLargeInt())
            secondPassPending_ = true;
    importada_ = rowCountsEqual_ && !secondPassPending_;
}

void TTabela::SetCycles(CycleCut cycles) {
    cycles_ = std::move(cycles);
    countedCuts_.clear();
    if (cycles_.cutColumns.isEmpty()) return;
    // A destination of another structure must not keep the catalogue from loading.
    TStringList destino;
    workspace_.Read([&] { workspace_.SQLConnectionDestino->GetFieldNames(nomeTabela_, destino); });
    for (const QString& column : cycles_.cutColumns)
        if (destino.Items().contains(column)) countedCuts_ << column;
    VerificarImportada();
}

void TTabela::DestinationEmptied() {
    destinationRowCount_ = 0;
    rowCountsEqual_ = sourceRowCount_ == 0;
    importada_ = rowCountsEqual_ && !secondPassPending_;
}

QString TTabela::SQLSelect() const {
    const QString tabela = quoteIdentifier(nomeTabela_);
    QStringList columns;
    for (const QString& field : fieldNames_.Items()) columns.append(tabela + QLatin1Char('.') + quoteIdentifier(field));
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + tabela;
}

void TTabela::MarcarDependencias(bool value) {
    for (const QString& name : dependences_.Items()) {
        // A name the catalogue does not hold has no marks to give.
        TTabela* dependence = ListaTabelas.TableByName(name);
        if (!dependence) continue;
        if (dependence->Checked() != value) dependence->SetChecked(value);
        // Copied after this table, it need not wait for it: a cycle no other table reaches is
        // still copied.
        if (!DefersDependence(name, CopiarReferenciasCirculares)) dependence->SetWaitDependence(true);
    }
}

bool TTabela::CopiesInTwoPasses(bool cutCycles) const {
    return !cycles_.cutColumns.isEmpty() && (cutCycles || secondPassPending_);
}

bool TTabela::DefersDependence(const QString& name, bool cutCycles) const {
    return CopiesInTwoPasses(cutCycles) && cycles_.deferredTables.contains(name);
}

void TTabela::MarcarDependenciasDelecao(bool value) {
    for (const QString& name : dependencesDelete_.Items()) {
        TTabela* dependence = ListaTabelas.TableByName(name);
        if (dependence && dependence->CheckedDelete() != value) dependence->SetCheckedDelete(value);
    }
}
