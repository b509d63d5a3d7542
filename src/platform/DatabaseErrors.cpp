#include "DatabaseErrors.h"

#include "FbApi.h"

#include <ibase.h>

using namespace Firebird;

EDatabaseError DatabaseErrorFrom(IStatus* status) {
    char text[8192];
    FbUtil()->formatStatus(text, sizeof text, status);
    const ISC_STATUS* vector = status->getErrors();
    const int sqlCode = int(isc_sqlcode(vector));
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, vector);
    return EDatabaseError(QString::fromUtf8(text).trimmed(), sqlCode, QString::fromLatin1(state));
}

// By the SQLSTATE class alone: SQLCODE -902 also covers refusals of a single statement, such as
// an update of a system table.
bool IsConnectionLost(const EDatabaseError& error) { return error.SqlState().startsWith(QLatin1String("08")); }

bool IsInterruption(const EDatabaseError& error) {
    return IsConnectionLost(error) || error.SqlState() == QLatin1String("HY008");
}

QString StatementForMessage(const QString& sql) {
    constexpr int limit = 200;
    const QString text = sql.simplified();
    return text.size() <= limit ? text : text.left(limit) + QStringLiteral("...");
}
