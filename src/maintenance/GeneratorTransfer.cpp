#include "GeneratorTransfer.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/Workspace.h"
#include "platform/DatabaseErrors.h"
#include "platform/ErrorGuard.h"
#include "platform/SqlNames.h"
#include "platform/TClientDataSet.h"
#include "platform/TSQLDataSet.h"

namespace {

// The generator's current value on the source; an increment of 0 leaves it as it is.
qint64 CurrentValue(const Workspace& workspace, TSQLDataSet& origem, const QString& generator) {
    qint64 value = 0;
    workspace.OnDestination([&] {
        origem.SetCommandText(QStringLiteral("SELECT GEN_ID(") + quoteIdentifier(generator) +
                              QStringLiteral(", 0) FROM RDB$DATABASE"));
        origem.Open();
        value = origem.Fields(0)->AsLargeInt();
        origem.Close();
    });
    return value;
}

// Fills the shared source query with the rows of a catalogue query, as a watched step: a source
// server that stops answering holds the window no longer than the user lets it.
TClientDataSet& ReadSource(Workspace& workspace, const QString& sql) {
    workspace.CDSOrigem->Close();
    workspace.SQLDSOrigem->SetCommandText(sql);
    workspace.OnDestination([&] { workspace.CDSOrigem->Open(); });
    return *workspace.CDSOrigem;
}

QString Trimmed(TClientDataSet& rows, const QString& field) { return StoredName(rows.FieldByName(field)->AsString()); }

void TransferUserGenerators(Workspace& workspace, TSQLDataSet& origem, int& transferred) {
    TClientDataSet& generators = ReadSource(
        workspace, QStringLiteral("SELECT RDB$GENERATORS.RDB$GENERATOR_NAME, RDB$GENERATORS.RDB$GENERATOR_ID, "
                                  "RDB$GENERATORS.RDB$SYSTEM_FLAG FROM RDB$GENERATORS"
                                  " WHERE RDB$GENERATORS.RDB$SYSTEM_FLAG = 0 OR RDB$GENERATORS.RDB$SYSTEM_FLAG IS NULL"
                                  " ORDER BY RDB$GENERATORS.RDB$GENERATOR_NAME"));
    for (generators.First(); !generators.Eof(); generators.Next()) {
        const QString name = Trimmed(generators, QStringLiteral("RDB$GENERATOR_NAME"));
        workspace.ExecuteOnDestination(QStringLiteral("SET GENERATOR ") + quoteIdentifier(name) + QStringLiteral(" TO ") +
                                       QString::number(CurrentValue(workspace, origem, name)));
        ++transferred;
    }
}

// RESTART WITH n makes the next key n + 1, as the source's counter at n gives.
void TransferIdentityCounters(Workspace& workspace, TSQLDataSet& origem, int& restarted) {
    TClientDataSet& columns = ReadSource(
        workspace,
        QStringLiteral("SELECT RDB$RELATION_NAME, RDB$FIELD_NAME, RDB$GENERATOR_NAME FROM RDB$RELATION_FIELDS"
                       " WHERE RDB$IDENTITY_TYPE IS NOT NULL ORDER BY RDB$RELATION_NAME, RDB$FIELD_NAME"));
    for (columns.First(); !columns.Eof(); columns.Next()) {
        const QString table = quoteIdentifier(Trimmed(columns, QStringLiteral("RDB$RELATION_NAME")));
        const QString column = quoteIdentifier(Trimmed(columns, QStringLiteral("RDB$FIELD_NAME")));
        const qint64 value = CurrentValue(workspace, origem, Trimmed(columns, QStringLiteral("RDB$GENERATOR_NAME")));
        // A copy running underneath holds the table: the server then says only that it is in use.
        Doing([&] { return QStringLiteral("ao reiniciar a identidade da coluna %1 da tabela %2").arg(column, table); },
              [&] {
                  workspace.ExecuteOnDestination(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 RESTART WITH %3")
                                                     .arg(table, column, QString::number(value)));
              });
        ++restarted;
    }
}

}  // namespace

void TransferGenerators(Workspace& workspace) {
    TSQLDataSet origem(workspace.SQLConnection);
    int generators = 0;
    int identities = 0;
    // The line counts what was set also when a failure stops the transfer.
    const auto log = [&](const QString& end) {
        RegistrarLog(QStringLiteral("Generators: %1 generator(s) transferido(s), %2 coluna(s) de identidade reiniciada(s)%3")
                         .arg(generators)
                         .arg(identities)
                         .arg(end));
    };
    try {
        TransferUserGenerators(workspace, origem, generators);
        TransferIdentityCounters(workspace, origem, identities);
    } catch (const std::exception& error) {
        log(QStringLiteral(" antes de um erro: ") + ErrorMessage(error));
        throw;
    }
    log(QString());
}
