#include "TriggerSwitch.h"

#include "TriggerJournal.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/Workspace.h"
#include "platform/DatabaseIdentity.h"
#include "platform/EDatabaseError.h"
#include "platform/ErrorGuard.h"
#include "platform/MetadataEpoch.h"
#include "platform/SqlNames.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

#include <QScopeGuard>
#include <QStringList>

namespace {

// The user triggers now in the state given by inactive (0 or 1).
QString UserTriggersIn(const QString& inactive) {
    return QStringLiteral(" where rdb$trigger_source is not null") + QStringLiteral(" and RDB$TRIGGER_INACTIVE = ") +
           inactive + QStringLiteral(" and ((rdb$system_flag = 0)") + QStringLiteral(" or (rdb$system_flag is null))");
}

// Firebird 3 and later keep their system tables read-only; to a user other than the
// administrator they answer first that the user may not write there. Either way ALTER TRIGGER is
// what remains.
bool SystemTableRefused(const EDatabaseError& error) {
    return error.Message().contains(QLatin1String("operation is not allowed for system table")) ||
           error.Message().contains(QLatin1String("no permission for UPDATE access to TABLE RDB$TRIGGERS"));
}

// User triggers of a database in the state given by inactive, in name order; those of tables
// alone when asked.
QStringList TriggerNames(const Workspace& workspace, TSQLConnection& connection, const QString& inactive,
                         bool ofTables = false) {
    QStringList names;
    workspace.OnDestination([&] {
        TSQLDataSet query(&connection);
        query.SetCommandText(QStringLiteral("select RDB$TRIGGER_NAME from RDB$TRIGGERS") + UserTriggersIn(inactive) +
                             (ofTables ? QStringLiteral(" and RDB$RELATION_NAME is not null") : QString()) +
                             QStringLiteral(" order by RDB$TRIGGER_NAME"));
        for (query.Open(); !query.Eof(); query.Next()) names << StoredName(query.Fields(0)->AsString());
        query.Close();
    }, &connection == workspace.SQLConnection ? Workspace::SourceUse::MayRead : Workspace::SourceUse::Untouched);
    return names;
}

QString Switched(bool active, const QStringList& names) {
    return QStringLiteral("%1 Triggers: %2 trigger(s) %3%4")
        .arg(active ? QStringLiteral("Habilitar") : QStringLiteral("Desabilitar"))
        .arg(names.size())
        .arg(active ? QStringLiteral("ativada(s)") : QStringLiteral("desativada(s)"),
             names.isEmpty() ? QString() : QStringLiteral(": ") + names.join(QStringLiteral(", ")));
}

// The log says which were switched, also when one of them cannot be.
void AlterTriggers(Workspace& workspace, const QStringList& names, bool active) {
    QStringList switched;
    for (const QString& name : names) {
        try {
            workspace.ExecuteOnDestination(QStringLiteral("ALTER TRIGGER ") + quoteIdentifier(name) +
                                           (active ? QStringLiteral(" ACTIVE") : QStringLiteral(" INACTIVE")));
        } catch (const EDatabaseError& error) {
            RegistrarLog(Switched(active, switched));
            throw EDatabaseError(
                QStringLiteral("Não foi possível %1 a trigger %2:\n%3")
                    .arg(active ? QStringLiteral("ativar") : QStringLiteral("desativar"), name, error.Message()),
                error.SqlCode(), error.SqlState());
        }
        switched << name;
    }
    RegistrarLog(Switched(active, switched));
}

void SwitchOff(Workspace& workspace, TriggerJournal& journal) {
    const QStringList names = TriggerNames(workspace, *workspace.SQLConnectionDestino, QStringLiteral("0"));
    // On record, an empty list too, before the first one is off: "Habilitar Triggers" then
    // knows them after a crash as well, and switches on no trigger that was off already.
    journal.Add(names);
    try {
        workspace.ExecuteOnDestination(QStringLiteral("update RDB$TRIGGERS set RDB$TRIGGER_INACTIVE = 1") +
                                       UserTriggersIn(QStringLiteral("0")));
    } catch (const EDatabaseError& error) {
        if (!SystemTableRefused(error)) throw;
        return AlterTriggers(workspace, names, false);
    }
    RegistrarLog(Switched(false, names));
}

// The journal's triggers that are still off in the destination, in the journal's order.
QStringList StillOff(const Workspace& workspace, const TriggerJournal& journal) {
    QStringList names;
    const QStringList inactive = TriggerNames(workspace, *workspace.SQLConnectionDestino, QStringLiteral("1"));
    for (const QString& name : journal.Names())
        if (inactive.contains(name)) names << name;
    return names;
}

TriggerJournal JournalOf(const Workspace& workspace) {
    DatabaseIdentity destino;
    workspace.OnDestination([&] { destino = DatabaseIdentity::Of(*workspace.SQLConnectionDestino); },
                            Workspace::SourceUse::Untouched);
    return TriggerJournal(workspace.StateFolder, destino);
}

void SwitchOn(Workspace& workspace, TriggerJournal& journal) {
    QStringList names;
    if (journal.Exists()) {
        names = StillOff(workspace, journal);
    } else {
        RegistrarLog(QStringLiteral(
            "Habilitar Triggers: não há registro das triggers que \"Desabilitar Triggers\" desativou neste destino; "
            "são ativadas só as triggers de tabela ativas na origem"));
        const QStringList activeInSource = TriggerNames(workspace, *workspace.SQLConnection, QStringLiteral("0"), true);
        for (const QString& name : TriggerNames(workspace, *workspace.SQLConnectionDestino, QStringLiteral("1"), true))
            if (activeInSource.contains(name)) names << name;
    }
    AlterTriggers(workspace, names, true);
    if (journal.Exists()) journal.Keep({});
}

}  // namespace

void SwitchTriggers(Workspace& workspace, bool active) {
    // A copy running underneath goes on with its statements prepared anew, some triggers switched
    // even when the switch failed partway.
    const auto prepareAgain = qScopeGuard(MetadataChanged);
    try {
        TriggerJournal journal = JournalOf(workspace);
        if (active)
            SwitchOn(workspace, journal);
        else
            SwitchOff(workspace, journal);
    } catch (const std::exception& error) {
        // The message box goes; the log keeps why the switch stopped.
        RegistrarLog(QStringLiteral("%1 Triggers: ERRO %2")
                         .arg(active ? QStringLiteral("Habilitar") : QStringLiteral("Desabilitar"), ErrorMessage(error)));
        throw;
    }
}

QStringList TriggersLeftOff(Workspace& workspace) {
    // Without a folder nothing was ever put on record.
    if (workspace.StateFolder.isEmpty() || !workspace.SQLConnectionDestino->Connected()) return {};
    const TriggerJournal journal = JournalOf(workspace);
    return journal.Exists() ? StillOff(workspace, journal) : QStringList();
}
