#include "DatabaseIdentity.h"

#include "TSQLDataSet.h"

DatabaseIdentity DatabaseIdentity::Of(TSQLConnection& connection) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT MON$DATABASE_NAME, MON$CREATION_DATE FROM MON$DATABASE"));
    query.Open();
    DatabaseIdentity identity{query.Fields(0)->AsString().trimmed(), query.Fields(1)->Value().data};
    query.Close();
    return identity;
}
