#include "OtherUser.h"

#include "platform/TSQLDataSet.h"

OtherUser::OtherUser(const QString& database, const QString& sql, const QString& password) {
    connection_.Params.SetValue(QStringLiteral("Database"), database);
    if (!password.isEmpty()) connection_.Params.SetValue(QStringLiteral("Password"), password);
    connection_.Open();
    held_ = std::make_unique<TSQLTransaction>(&connection_);
    TSQLDataSet statement(&connection_);
    statement.Transaction = held_.get();
    statement.SetCommandText(sql);
    statement.ExecSQL();
}
