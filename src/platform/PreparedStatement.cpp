#include "PreparedStatement.h"

#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"
#include "MetadataEpoch.h"
#include "RowReader.h"
#include "TSQLConnection.h"
#include "TSQLTransaction.h"

using namespace Firebird;

struct PreparedStatement::Impl : ConnectionClient {
    TSQLConnection& connection;
    QString sql;
    FbRef<IStatement> statement;
    unsigned long epoch = 0;   // see MetadataEpoch
    ParameterWriter writer;
    // The output of a SELECT, described on its first fetch.
    FbRef<IMessageMetadata> output;
    FieldList row;
    std::unique_ptr<RowReader> reader;
    QByteArray buffer;

    Impl(TSQLConnection& c, QString text) : connection(c), sql(std::move(text)) { connection.AddClient(this); }
    ~Impl() override {
        Unprepare();
        connection.RemoveClient(this);
    }

    // A statement belongs to its attachment: it goes before the attachment does.
    void ConnectionClosing() override { Unprepare(); }

    void Unprepare() {
        reader.reset();
        output.Reset();
        statement.Reset();
    }

    ITransaction* HandleOf(TSQLTransaction& transaction) const {
        if (transaction.Connection() != &connection)
            throw EDatabaseError(QStringLiteral("A transação pertence a outra conexão"));
        return transaction.Handle();
    }

    void Prepare(ITransaction* transaction) {
        if (statement && epoch == MetadataEpoch()) return;
        Unprepare();
        epoch = MetadataEpoch();
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

bool PreparedStatement::FetchFirst(TSQLTransaction& transaction, const std::vector<ParameterValue>& values) {
    ITransaction* handle = d->HandleOf(transaction);
    d->Prepare(handle);
    FbStatus status;
    if (!d->output) {
        d->output.Reset(d->statement->getOutputMetadata(&status));
        d->row = DescribeFields(d->output.get());
        d->reader = std::make_unique<RowReader>(d->output.get());
        d->buffer = QByteArray(int(d->output->getMessageLength(&status)), '\0');
    }
    d->writer.Write(values, d->connection.Attachment(), handle);
    FbRef<IResultSet> cursor(
        d->statement->openCursor(&status, handle, d->writer.Metadata(), d->writer.Buffer(), d->output.get(), 0));
    const bool found = cursor->fetchNext(&status, reinterpret_cast<unsigned char*>(d->buffer.data())) == IStatus::RESULT_OK;
    if (found)
        d->reader->Read(reinterpret_cast<const unsigned char*>(d->buffer.constData()), d->row, d->connection.Attachment(),
                        handle);
    cursor.End([&](IResultSet* c) { c->close(&status); });
    return found;
}

const FieldList& PreparedStatement::Row() const { return d->row; }
