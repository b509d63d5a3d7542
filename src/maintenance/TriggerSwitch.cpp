#include "TriggerSwitch.h"

#include "catalogue/Workspace.h"
#include "platform/Exceptions.h"
#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

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

QStringList TriggerNames(TSQLConnection& destino, const QString& inactive) {
    TSQLDataSet query(&destino);
    query.SetCommandText(QStringLiteral("select RDB$TRIGGER_NAME from RDB$TRIGGERS") + UserTriggersIn(inactive) +
                         QStringLiteral(" order by RDB$TRIGGER_NAME"));
    QStringList names;
    for (query.Open(); !query.Eof(); query.Next()) names << query.Fields(0)->AsString().trimmed();
    query.Close();
    return names;
}

void AlterTriggers(Workspace& workspace, const QStringList& names, bool active) {
    TSQLDataSet& destino = *workspace.SQLDSDestino;
    for (const QString& name : names) {
        destino.SetCommandText(QStringLiteral("ALTER TRIGGER ") + quoteIdentifier(name) +
                               (active ? QStringLiteral(" ACTIVE") : QStringLiteral(" INACTIVE")));
        try {
            destino.ExecSQL();
        } catch (const EDatabaseError& error) {
            throw EDatabaseError(
                QStringLiteral("Não foi possível %1 a trigger %2:\n%3")
                    .arg(active ? QStringLiteral("ativar") : QStringLiteral("desativar"), name, error.Message()),
                error.SqlCode(), error.SqlState());
        }
    }
}

}  // namespace

void SwitchTriggers(Workspace& workspace, bool active) {
    const QString from = active ? QStringLiteral("1") : QStringLiteral("0");
    const QString to = active ? QStringLiteral("0") : QStringLiteral("1");
    TSQLDataSet& destino = *workspace.SQLDSDestino;
    destino.SetCommandText(QStringLiteral("update RDB$TRIGGERS set RDB$TRIGGER_INACTIVE = ") + to +
                           UserTriggersIn(from));
    try {
        destino.ExecSQL();
        return;
    } catch (const EDatabaseError& error) {
        if (!SystemTableRefused(error)) throw;
    }
    AlterTriggers(workspace, TriggerNames(*workspace.SQLConnectionDestino, from), active);
}
