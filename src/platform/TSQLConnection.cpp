#include "TSQLConnection.h"

#include "Exceptions.h"
#include "FbApi.h"
#include "TSQLDataSet.h"

#include <QtGlobal>
#include <algorithm>
#include <vector>

using namespace Firebird;

struct TSQLConnection::Impl {
    IAttachment* attachment = nullptr;
    ITransaction* held = nullptr;
    std::vector<ConnectionClient*> clients;
};

namespace {

QString Environment(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

TSQLConnection::TSQLConnection() : d(std::make_unique<Impl>()) {
    Params = {QStringLiteral("DriverName=Interbase"),
              QStringLiteral("Database="),
              QStringLiteral("RoleName=RoleName"),
              QStringLiteral("User_Name=") + Environment("ISC_USER", QStringLiteral("SYSDBA")),
              QStringLiteral("Password=") + Environment("ISC_PASSWORD", QStringLiteral("masterkey")),
              QStringLiteral("ServerCharSet="),
              QStringLiteral("SQLDialect=3"),
              QStringLiteral("ErrorResourceFile="),
              QStringLiteral("LocaleCode=0000"),
              QStringLiteral("BlobSize=-1"),
              QStringLiteral("CommitRetain=False"),
              QStringLiteral("WaitOnLocks=True"),
              QStringLiteral("Interbase TransIsolation=ReadCommited"),
              QStringLiteral("Trim Char=False")};
}

TSQLConnection::~TSQLConnection() {
    try {
        Close();
    } catch (...) {
        // A connection that cannot be closed cleanly is abandoned with the object.
    }
}

void TSQLConnection::Open() {
    if (Connected()) return;
    FbStatus status;
    IXpbBuilder* dpb = FbUtil()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
    try {
        const QByteArray user = ServerText(Params.Values(QStringLiteral("User_Name")));
        const QByteArray password = ServerText(Params.Values(QStringLiteral("Password")));
        const QString role = Params.Values(QStringLiteral("RoleName"));
        dpb->insertString(&status, isc_dpb_user_name, user.constData());
        dpb->insertString(&status, isc_dpb_password, password.constData());
        // "RoleName" is the placeholder the parameter list ships with, not a role.
        if (!role.isEmpty() && role.compare(QLatin1String("RoleName"), Qt::CaseInsensitive) != 0)
            dpb->insertString(&status, isc_dpb_sql_role_name, ServerText(role).constData());
        const QByteArray database = ServerText(Params.Values(QStringLiteral("Database")));
        IProvider* provider = FbMaster()->getDispatcher();
        try {
            d->attachment = provider->attachDatabase(&status, database.constData(), dpb->getBufferLength(&status),
                                                     dpb->getBuffer(&status));
        } catch (...) {
            provider->release();
            throw;
        }
        provider->release();
    } catch (...) {
        dpb->dispose();
        throw;
    }
    dpb->dispose();
}

void TSQLConnection::Close() {
    if (!d->attachment) return;
    for (ConnectionClient* client : std::vector<ConnectionClient*>(d->clients)) client->ConnectionClosing();
    FbStatus status;
    if (d->held) {
        // Work done under a held transaction is kept: a close never throws away applied rows.
        try {
            FbEndTransaction(std::exchange(d->held, nullptr), true);
        } catch (...) {
            // The detach below reports what is wrong with the connection.
        }
    }
    IAttachment* attachment = std::exchange(d->attachment, nullptr);
    try {
        attachment->detach(&status);
    } catch (...) {
        attachment->release();
        throw;
    }
}

bool TSQLConnection::Connected() const { return d->attachment != nullptr; }

IAttachment* TSQLConnection::Attachment() const {
    if (!d->attachment) throw EDatabaseError(QStringLiteral("Conexão com o banco de dados não está aberta"));
    return d->attachment;
}

ITransaction* TSQLConnection::HeldTransaction() const { return d->held; }

void TSQLConnection::AddClient(ConnectionClient* client) { d->clients.push_back(client); }

void TSQLConnection::RemoveClient(ConnectionClient* client) { std::erase(d->clients, client); }

void TSQLConnection::StartTransaction() {
    if (d->held) throw EDatabaseError(QStringLiteral("Uma transação já está ativa nesta conexão"));
    d->held = FbStartTransaction(Attachment(), FbTransactionKind::ReadCommittedWrite);
}

void TSQLConnection::Commit() {
    if (!d->held) return;
    FbStatus status;
    d->held->commit(&status);
    d->held = nullptr;
}

void TSQLConnection::CommitRetaining() {
    if (!d->held) return;
    FbStatus status;
    d->held->commitRetaining(&status);
}

void TSQLConnection::Rollback() {
    if (!d->held) return;
    FbEndTransaction(std::exchange(d->held, nullptr), false);
}

bool TSQLConnection::InTransaction() const { return d->held != nullptr; }

namespace {

void ReadNames(TSQLConnection& connection, const QString& sql, const QString& parameter, TStringList& list) {
    TSQLDataSet query(&connection);
    query.SetCommandText(sql);
    if (!parameter.isNull()) query.ParamByName(QStringLiteral("NAME")).SetAsString(parameter);
    query.Open();
    for (; !query.Eof(); query.Next()) list.Add(query.Fields(0)->AsString().trimmed());
    query.Close();
}

}  // namespace

void TSQLConnection::GetTableNames(TStringList& list, bool systemTables) {
    list.Clear();
    QString sql = QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$VIEW_BLR IS NULL");
    if (!systemTables) sql += QStringLiteral(" AND (RDB$SYSTEM_FLAG IS NULL OR RDB$SYSTEM_FLAG = 0)");
    sql += QStringLiteral(" ORDER BY RDB$RELATION_NAME");
    ReadNames(*this, sql, QString(), list);
}

void TSQLConnection::GetFieldNames(const QString& tableName, TStringList& list) {
    list.Clear();
    ReadNames(*this,
              QStringLiteral("SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = :NAME"
                             " ORDER BY RDB$FIELD_POSITION"),
              tableName, list);
}
