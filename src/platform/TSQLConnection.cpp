#include "TSQLConnection.h"

#include "AttachWhile.h"
#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "SqlNames.h"
#include "TSQLDataSet.h"
#include "TSQLTransaction.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace Firebird;

namespace {

// What the parameters ask of the open connection.
struct Settings {
    unsigned dialect = SqlDialect;
    bool wait = true;
    FbIsolation isolation = FbIsolation::ReadCommitted;
};

QString Environment(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

EDatabaseError BadParameter(const QString& name, const QString& value) {
    return EDatabaseError(QStringLiteral("Valor inválido no parâmetro de conexão %1: \"%2\"").arg(name, value));
}

bool Is(const QString& value, const char* word) { return value.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }

// "DriverName", "ErrorResourceFile", "LocaleCode" and the library names describe the driver the
// parameter list was written for and mean nothing here; "BlobSize=-1", "CommitRetain=False" and
// "Trim Char=False" describe what this layer always does (whole blobs, a commit ends its
// transaction, CHAR values keep their padding). None of them is read.
Settings ReadSettings(const TStringList& params) {
    Settings settings;
    const QString dialect = params.Values(QStringLiteral("SQLDialect")).trimmed();
    if (!dialect.isEmpty()) {
        bool number = false;
        settings.dialect = dialect.toUInt(&number);
        if (!number || settings.dialect < 1 || settings.dialect > 3) throw BadParameter(QStringLiteral("SQLDialect"), dialect);
    }
    const QString wait = params.Values(QStringLiteral("WaitOnLocks")).trimmed();
    if (Is(wait, "False"))
        settings.wait = false;
    else if (!wait.isEmpty() && !Is(wait, "True"))
        throw BadParameter(QStringLiteral("WaitOnLocks"), wait);
    const QString isolation = params.Values(QStringLiteral("Interbase TransIsolation")).trimmed();
    if (Is(isolation, "RepeatableRead"))
        settings.isolation = FbIsolation::Snapshot;
    else if (!isolation.isEmpty() && !Is(isolation, "ReadCommited") && !Is(isolation, "DirtyRead"))
        throw BadParameter(QStringLiteral("Interbase TransIsolation"), isolation);
    return settings;
}

}  // namespace

struct TSQLConnection::Impl {
    FbRef<IAttachment> attachment;
    Settings settings;
    // Datasets and transactions may be made and dropped on a thread that runs a command's wait.
    std::mutex clientsMutex;
    std::vector<ConnectionClient*> clients;
    std::vector<TSQLTransaction*> transactions;
    std::optional<bool> remote;

    QString Database(const TStringList& params) const { return params.Values(QStringLiteral("Database")); }
};

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
    for (TSQLTransaction* transaction : d->transactions) transaction->ConnectionGone();
}

void TSQLConnection::Open(const std::function<bool()>& meanwhile) {
    if (Connected()) return;
    const Settings settings = ReadSettings(Params);
    const QString database = d->Database(Params);
    FbStatus status;
    Doing([&] { return QStringLiteral("ao conectar ao banco de dados %1").arg(database); },
          [&] {
              FbRef<IXpbBuilder> dpb(FbUtil()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0));
              // The path goes as UTF-8, as every text the program sends the server.
              dpb->insertTag(&status, isc_dpb_utf8_filename);
              dpb->insertString(&status, isc_dpb_user_name, ServerText(Params.Values(QStringLiteral("User_Name"))).constData());
              dpb->insertString(&status, isc_dpb_password, ServerText(Params.Values(QStringLiteral("Password"))).constData());
              // "RoleName" is the placeholder the parameter list ships with, not a role.
              const QString role = Params.Values(QStringLiteral("RoleName")).trimmed();
              if (!role.isEmpty() && !Is(role, "RoleName"))
                  dpb->insertString(&status, isc_dpb_sql_role_name, ServerText(role).constData());
              dpb->insertInt(&status, isc_dpb_sql_dialect, int(settings.dialect));
              const QString charSet = Params.Values(QStringLiteral("ServerCharSet")).trimmed();
              if (!charSet.isEmpty()) dpb->insertString(&status, isc_dpb_lc_ctype, ServerText(charSet).constData());
              if (CachePages > 0)
                  dpb->insertString(&status, isc_dpb_config,
                                    QStringLiteral("DefaultDbCachePages = %1").arg(CachePages).toLatin1().constData());
              const QByteArray block(reinterpret_cast<const char*>(dpb->getBuffer(&status)), int(dpb->getBufferLength(&status)));
              if (!meanwhile) {
                  d->attachment.Reset(FbAttachDatabase(status, ServerText(database), block));
                  return;
              }
              d->attachment.Reset(AttachWhile(ServerText(database), block, meanwhile));
              if (!d->attachment)
                  throw EDatabaseError(QStringLiteral("A conexão foi interrompida antes que o servidor respondesse."));
          });
    d->settings = settings;
    d->remote.reset();
}

void TSQLConnection::Close() {
    if (!d->attachment) return;
    // Every request of the close would wait on a frozen server for good.
    if (d->remote.value_or(true)) AbandonIfSilent();
    // The newest first: a dataset walking another one (reading its rows on a thread of its own)
    // lets go of it before that one drops its statement.
    std::unique_lock held(d->clientsMutex);
    const std::vector<ConnectionClient*> clients(d->clients.rbegin(), d->clients.rend());
    const std::vector<TSQLTransaction*> transactions = d->transactions;
    held.unlock();
    for (ConnectionClient* client : clients) client->ConnectionClosing();
    // Work done in a held transaction is kept: a close never throws away applied rows, and a
    // commit that fails is the error the caller must see.
    std::optional<EDatabaseError> failedCommit;
    for (TSQLTransaction* transaction : transactions) {
        try {
            transaction->Commit();
        } catch (const EDatabaseError& error) {
            if (!failedCommit) failedCommit = error;
        }
    }
    FbRef<IAttachment> attachment = std::move(d->attachment);
    FbStatus status;
    try {
        Doing([&] { return QStringLiteral("ao desconectar do banco de dados %1").arg(d->Database(Params)); },
              [&] {
                  const FbConnectingCall detaching;
                  attachment.End([&](IAttachment* a) { a->detach(&status); });
              });
    } catch (const EDatabaseError&) {
        if (!failedCommit) throw;
    }
    if (failedCommit) throw *failedCommit;
}

bool TSQLConnection::Connected() const { return bool(d->attachment); }

bool TSQLConnection::Remote() {
    if (!d->remote) {
        // An attachment made through the network protocol names it; an embedded one has none.
        TSQLDataSet query(this);
        query.SetCommandText(QStringLiteral("SELECT MON$REMOTE_PROTOCOL FROM MON$ATTACHMENTS"
                                            " WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION"));
        try {
            query.Open();
            d->remote = !query.Eof() && !query.Fields(0)->IsNull();
            query.Close();
        } catch (const EDatabaseError& error) {
            if (IsConnectionLost(error)) throw;
            // A server without the monitoring tables cannot say; its rows then go one at a time.
            d->remote = false;
        }
    }
    return *d->remote;
}

bool TSQLConnection::ReadOnly() {
    TSQLDataSet query(this);
    query.SetCommandText(QStringLiteral("SELECT MON$READ_ONLY FROM MON$DATABASE"));
    query.Open();
    const bool readOnly = query.Fields(0)->AsInteger() != 0;
    query.Close();
    return readOnly;
}

namespace {

// The cancel calls answer at once and may fail only for want of something to cancel.
void Cancel(IAttachment* attachment, int option) {
    if (!attachment) return;
    FbStatus status;
    try {
        attachment->cancelOperation(&status, option);
    } catch (const EDatabaseError&) {
        // Nothing was running, or the connection is gone already.
    }
}

}  // namespace

void TSQLConnection::CancelOperation() { Cancel(d->attachment.get(), fb_cancel_raise); }

void TSQLConnection::ForgetCancel() {
    Cancel(d->attachment.get(), fb_cancel_disable);
    Cancel(d->attachment.get(), fb_cancel_enable);
}

void TSQLConnection::Abandon() { Cancel(d->attachment.get(), fb_cancel_abort); }

void TSQLConnection::AbandonIfSilent() {
    std::promise<void> answered;
    std::future<void> answer = answered.get_future();
    std::thread ping([&] {
        try {
            Ping();
        } catch (const EDatabaseError&) {
            // Gone already: the close fails at once all the same.
        }
        answered.set_value();
    });
    // A live server answers a ping at once, however busy.
    if (answer.wait_for(std::chrono::seconds(1)) != std::future_status::ready) Abandon();
    ping.join();
}

void TSQLConnection::Ping() {
    FbStatus status;
    Doing([&] { return QStringLiteral("ao verificar a conexão com %1").arg(d->Database(Params)); },
          [&] { Attachment()->ping(&status); });
}

IAttachment* TSQLConnection::Attachment() const {
    if (!d->attachment) throw EDatabaseError(QStringLiteral("Conexão com o banco de dados não está aberta"));
    return d->attachment.get();
}

unsigned TSQLConnection::Dialect() const { return d->settings.dialect; }

FbRef<ITransaction> TSQLConnection::BeginTransaction(TransactionUse use, int lockTimeout) const {
    FbTransactionOptions options;
    options.lockTimeout = lockTimeout;
    options.isolation = use == TransactionUse::Snapshot ? FbIsolation::Snapshot : d->settings.isolation;
    options.readOnly = use != TransactionUse::Write;
    options.wait = d->settings.wait;
    return Doing([] { return QStringLiteral("ao iniciar uma transação"); },
                 [&] { return FbStartTransaction(Attachment(), options); });
}

void TSQLConnection::AddClient(ConnectionClient* client) {
    const std::lock_guard held(d->clientsMutex);
    d->clients.push_back(client);
}

void TSQLConnection::RemoveClient(ConnectionClient* client) {
    const std::lock_guard held(d->clientsMutex);
    std::erase(d->clients, client);
}

void TSQLConnection::AddTransaction(TSQLTransaction* transaction) {
    const std::lock_guard held(d->clientsMutex);
    d->transactions.push_back(transaction);
}

void TSQLConnection::RemoveTransaction(TSQLTransaction* transaction) {
    const std::lock_guard held(d->clientsMutex);
    std::erase(d->transactions, transaction);
}

namespace {

void ReadNames(TSQLConnection& connection, const QString& sql, const QString& parameter, TStringList& list) {
    TSQLDataSet query(&connection);
    query.SetCommandText(sql);
    if (!parameter.isNull()) query.ParamByName(QStringLiteral("NAME")).SetAsString(parameter);
    query.Open();
    for (; !query.Eof(); query.Next()) list.Add(StoredName(query.Fields(0)->AsString()));
    query.Close();
}

}  // namespace

void TSQLConnection::GetTableNames(TStringList& list, bool systemTables) {
    list.Clear();
    // An external table is a file the engine is mostly forbidden to open, that no DELETE empties.
    QString sql = QStringLiteral(
        "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$VIEW_BLR IS NULL AND RDB$EXTERNAL_FILE IS NULL");
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
