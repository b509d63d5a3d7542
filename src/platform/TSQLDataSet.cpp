#include "TSQLDataSet.h"

#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"
#include "FieldList.h"
#include "OnFailure.h"
#include "ParameterWriter.h"
#include "RowReader.h"
#include "StatementText.h"
#include "TSQLConnection.h"
#include "TSQLTransaction.h"

#include <firebird/Message.h>

using namespace Firebird;

struct TSQLDataSet::Impl : ConnectionClient {
    TSQLDataSet* owner;
    FbRef<IStatement> statement;
    FbRef<IMessageMetadata> output;
    StatementText text;
    ::FieldList fields;
    std::unique_ptr<RowReader> reader;
    QByteArray row;
    FbRef<IResultSet> cursor;
    FbRef<ITransaction> own;                  // the statement's own transaction, when it has one
    ITransaction* reading = nullptr;          // the transaction the cursor reads in
    bool eof = true;
    bool active = false;
    int snapshotCount = -1;

    explicit Impl(TSQLDataSet* o) : owner(o) {}

    void ConnectionClosing() override { Drop(); }

    TSQLConnection& Connection() const {
        if (!owner->connection_) throw EDatabaseError(QStringLiteral("Conexão não definida"));
        return *owner->connection_;
    }

    QString Sql() const { return StatementForMessage(owner->commandText_); }

    // Lets go of every server handle, quietly: used when the connection goes away or an error
    // is already on its way.
    void Drop() {
        CloseCursor();
        own.Reset();
        Unprepare();
    }

    void CloseCursor() {
        cursor.Reset();
        reading = nullptr;
        eof = true;
        active = false;
    }

    void Unprepare() {
        reader.reset();
        output.Reset();
        statement.Reset();
    }

    ITransaction* Transaction(TransactionUse use) {
        TSQLTransaction* held = owner->Transaction;
        if (held && use != TransactionUse::Snapshot) {
            if (held->Connection() != owner->connection_)
                throw EDatabaseError(QStringLiteral("A transação pertence a outra conexão"));
            return held->Handle();
        }
        if (!own) own = Connection().BeginTransaction(use, owner->LockTimeout);
        return own.get();
    }

    // A failed commit is raised: for a statement that wrote, that is its real outcome.
    void EndOwnTransaction() {
        Doing([] { return QStringLiteral("ao confirmar a transação"); }, [&] { FbEndTransaction(own, true); });
    }

    void PrepareIn(ITransaction* transaction) {
        if (statement) return;
        Doing([&] { return QStringLiteral("ao preparar o comando %1").arg(Sql()); },
              [&] {
                  FbStatus status;
                  const QByteArray sql = ServerText(text.sql);
                  statement.Reset(Connection().Attachment()->prepare(&status, transaction, 0, sql.constData(),
                                                                     Connection().Dialect(),
                                                                     IStatement::PREPARE_PREFETCH_METADATA));
                  output.Reset(statement->getOutputMetadata(&status));
                  fields = DescribeFields(output.get());
                  reader = std::make_unique<RowReader>(output.get());
                  row = QByteArray(int(output->getMessageLength(&status)), '\0');
              });
    }

    // The parameters as text values; the server converts them to what the statement expects.
    std::vector<TFieldValue> ParameterValues() const {
        std::vector<TFieldValue> values;
        for (const QString& name : text.parameters) {
            const TParam& param = owner->ParamByName(name);
            const QByteArray bytes = ServerText(param.AsString());
            values.push_back(TFieldValue{SQL_VARYING, 0, 0, unsigned(std::max<qsizetype>(1, bytes.size())), 0,
                                         param.IsNull(), bytes});
        }
        return values;
    }

    // Leaves the writer empty (no message) when the statement has no parameters.
    void WriteParameters(ParameterWriter& writer, ITransaction* transaction) const {
        if (text.parameters.isEmpty()) return;
        const std::vector<TFieldValue> values = ParameterValues();
        std::vector<ParameterValue> parameters;
        for (const TFieldValue& value : values) parameters.push_back({&value, {}, {}});
        writer.Write(parameters, owner->connection_->Attachment(), transaction);
    }

    int CountRows(ITransaction* transaction) {
        FB_MESSAGE(Count, FbStatus, (FB_BIGINT, rows));
        return Doing([&] { return QStringLiteral("ao contar as linhas de %1").arg(Sql()); },
                     [&] {
                         FbStatus status;
                         Count count(&status, FbMaster());
                         const QByteArray sql = ServerText(QStringLiteral("SELECT COUNT(*) FROM (") + text.sql + QLatin1Char(')'));
                         ParameterWriter writer;
                         WriteParameters(writer, transaction);
                         Connection().Attachment()->execute(&status, transaction, 0, sql.constData(), Connection().Dialect(),
                                                            writer.Metadata(), writer.Buffer(), count.getMetadata(),
                                                            count.getData());
                         return int(count->rows);
                     });
    }

    void OpenCursor(ITransaction* transaction) {
        Doing([&] { return QStringLiteral("ao abrir a consulta %1").arg(Sql()); },
              [&] {
                  ParameterWriter writer;
                  WriteParameters(writer, transaction);
                  FbStatus status;
                  cursor.Reset(statement->openCursor(&status, transaction, writer.Metadata(), writer.Buffer(), output.get(), 0));
              });
        reading = transaction;
        eof = false;
        Fetch();
    }

    void Fetch() {
        Doing([&] { return QStringLiteral("ao ler as linhas de %1").arg(Sql()); },
              [&] {
                  FbStatus status;
                  if (cursor->fetchNext(&status, row.data()) == IStatus::RESULT_OK) {
                      reader->Read(reinterpret_cast<const unsigned char*>(row.constData()), fields,
                                   owner->connection_->Attachment(), reading);
                  } else {
                      // The cursor is spent: asking it again is an error, so it is closed here.
                      eof = true;
                      cursor.End([&](IResultSet* c) { c->close(&status); });
                  }
              });
    }
};

TSQLDataSet::TSQLDataSet(TSQLConnection* connection) : d(std::make_unique<Impl>(this)), connection_(nullptr) {
    SetSQLConnection(connection);
}

TSQLDataSet::~TSQLDataSet() {
    d->Drop();
    if (connection_) connection_->RemoveClient(d.get());
}

void TSQLDataSet::SetSQLConnection(TSQLConnection* connection) {
    if (connection == connection_) return;
    d->Drop();
    if (connection_) connection_->RemoveClient(d.get());
    connection_ = connection;
    if (connection_) connection_->AddClient(d.get());
}

void TSQLDataSet::SetCommandText(const QString& text) {
    Close();
    d->Unprepare();
    commandText_ = text;
    d->text = ParseParameters(text);
    std::vector<std::unique_ptr<TParam>> params;
    for (const QString& name : d->text.parameters) {
        bool known = false;
        for (const auto& p : params) known = known || p->Name().compare(name, Qt::CaseInsensitive) == 0;
        if (!known) params.push_back(std::make_unique<TParam>(name));
    }
    params_ = std::move(params);
}

TParam& TSQLDataSet::ParamByName(const QString& name) {
    for (const auto& param : params_)
        if (param->Name().compare(name, Qt::CaseInsensitive) == 0) return *param;
    throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado").arg(name));
}

void TSQLDataSet::Open() {
    if (Active()) return;
    d->Connection();
    const OnFailure drop([this] { d->Drop(); });
    ITransaction* transaction = d->Transaction(Snapshot ? TransactionUse::Snapshot : TransactionUse::Read);
    d->PrepareIn(transaction);
    d->snapshotCount = Snapshot ? d->CountRows(transaction) : -1;
    d->OpenCursor(transaction);
    d->active = true;
}

void TSQLDataSet::Restart() {
    if (!Active()) return Open();
    const OnFailure drop([this] { d->Drop(); });
    d->cursor.Reset();
    d->OpenCursor(d->Transaction(Snapshot ? TransactionUse::Snapshot : TransactionUse::Read));
}

void TSQLDataSet::Close() {
    d->CloseCursor();
    d->EndOwnTransaction();
}

bool TSQLDataSet::Active() const { return d->active; }

bool TSQLDataSet::Eof() const { return d->eof; }

void TSQLDataSet::Next() {
    if (!d->eof) d->Fetch();
}

const std::vector<std::unique_ptr<TField>>& TSQLDataSet::HeldFields() const { return d->fields; }

int TSQLDataSet::ExecSQL() {
    d->Connection();
    Close();
    // A failed statement rolls back the transaction of its own, the holder releasing it.
    const OnFailure release([this] { d->own.Reset(); });
    ITransaction* transaction = d->Transaction(TransactionUse::Write);
    d->PrepareIn(transaction);
    const int changed = Doing([&] { return QStringLiteral("ao executar o comando %1").arg(d->Sql()); },
                              [&] {
                                  ParameterWriter writer;
                                  d->WriteParameters(writer, transaction);
                                  FbStatus status;
                                  const bool returnsRow = d->output->getCount(&status) > 0;
                                  d->statement->execute(&status, transaction, writer.Metadata(), writer.Buffer(),
                                                        returnsRow ? d->output.get() : nullptr,
                                                        returnsRow ? d->row.data() : nullptr);
                                  return int(d->statement->getAffectedRecords(&status));
                              });
    d->EndOwnTransaction();
    return changed;
}

int TSQLDataSet::SnapshotRecordCount() const { return d->snapshotCount; }

void TSQLDataSet::Prepare() {
    if (d->statement) return;
    d->Connection();
    // Described in a passing transaction of its own, unless the dataset is already reading.
    const bool passing = !d->own && !Transaction;
    {
        const OnFailure release([this, passing] {
            if (passing) d->own.Reset();
        });
        d->PrepareIn(d->Transaction(TransactionUse::Read));
    }
    if (passing) d->EndOwnTransaction();
}

const std::vector<std::unique_ptr<TField>>& TSQLDataSet::FieldList() const { return d->fields; }
