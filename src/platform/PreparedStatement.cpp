#include "PreparedStatement.h"

#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"
#include "TSQLConnection.h"
#include "TSQLTransaction.h"

using namespace Firebird;

struct PreparedStatement::Impl : ConnectionClient {
    TSQLConnection& connection;
    QString sql;
    FbRef<IStatement> statement;
    ParameterWriter writer;

    Impl(TSQLConnection& c, QString text) : connection(c), sql(std::move(text)) { connection.AddClient(this); }
    ~Impl() override {
        statement.Reset();
        connection.RemoveClient(this);
    }

    // A statement belongs to its attachment: it goes before the attachment does.
    void ConnectionClosing() override { statement.Reset(); }

    ITransaction* HandleOf(TSQLTransaction& transaction) const {
        if (transaction.Connection() != &connection)
            throw EDatabaseError(QStringLiteral("A transação pertence a outra conexão"));
        return transaction.Handle();
    }

    void Prepare(ITransaction* transaction) {
        if (statement) return;
        Doing([&] { return QStringLiteral("ao preparar o comando %1").arg(StatementForMessage(sql)); },
              [&] {
                  FbStatus status;
                  statement.Reset(connection.Attachment()->prepare(&status, transaction, 0, ServerText(sql).constData(),
                                                                   connection.Dialect(), 0));
              });
    }
};

PreparedStatement::PreparedStatement(TSQLConnection& connection, QString sql)
    : d(std::make_unique<Impl>(connection, std::move(sql))) {}

PreparedStatement::~PreparedStatement() = default;

void PreparedStatement::Prepare(TSQLTransaction& transaction) { d->Prepare(d->HandleOf(transaction)); }

int PreparedStatement::Execute(TSQLTransaction& transaction, const std::vector<ParameterValue>& values) {
    ITransaction* handle = d->HandleOf(transaction);
    d->Prepare(handle);
    FbStatus status;
    d->writer.Write(values, d->connection.Attachment(), handle);
    d->statement->execute(&status, handle, d->writer.Metadata(), d->writer.Buffer(), nullptr, nullptr);
    return int(d->statement->getAffectedRecords(&status));
}
