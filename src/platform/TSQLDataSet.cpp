#include "TSQLDataSet.h"

#include "Exceptions.h"
#include "FbApi.h"
#include "FieldCodec.h"
#include "StatementText.h"
#include "TSQLConnection.h"

#include <cstring>

using namespace Firebird;

struct TSQLDataSet::Impl : ConnectionClient {
    TSQLDataSet* owner;
    IStatement* statement = nullptr;
    IMessageMetadata* output = nullptr;
    StatementText text;
    ::FieldList fields;
    std::unique_ptr<RowReader> reader;
    QByteArray row;
    IResultSet* cursor = nullptr;
    ITransaction* own = nullptr;   // the cursor's own transaction when the caller holds none
    bool eof = true;
    bool active = false;
    int snapshotCount = -1;

    explicit Impl(TSQLDataSet* o) : owner(o) {}

    void ConnectionClosing() override { Drop(); }

    // Lets go of every server handle, quietly: used when the connection goes away.
    void Drop() {
        FbStatus status;
        if (cursor) {
            try { cursor->close(&status); } catch (...) { cursor->release(); }
            cursor = nullptr;
        }
        AbandonOwnTransaction();
        Unprepare();
        eof = true;
        active = false;
    }

    // A failed commit is raised: for a statement that wrote, that is its real outcome.
    void EndOwnTransaction(bool commit) {
        if (own) FbEndTransaction(std::exchange(own, nullptr), commit);
    }

    // Rolls back quietly, when an error is already on its way or the connection is going away.
    void AbandonOwnTransaction() {
        try {
            EndOwnTransaction(false);
        } catch (...) {
            // The transaction is let go of all the same.
        }
    }

    void Unprepare() {
        reader.reset();
        if (output) output->release();
        output = nullptr;
        if (statement) {
            FbStatus status;
            try { statement->free(&status); } catch (...) { statement->release(); }
            statement = nullptr;
        }
    }

    ITransaction* Transaction(FbTransactionKind kind) {
        if (ITransaction* held = owner->connection_->HeldTransaction()) return held;
        if (!own) own = FbStartTransaction(owner->connection_->Attachment(), kind);
        return own;
    }

    void PrepareIn(ITransaction* transaction) {
        if (statement) return;
        FbStatus status;
        const QByteArray sql = ServerText(text.sql);
        statement = owner->connection_->Attachment()->prepare(&status, transaction, 0, sql.constData(), SqlDialect,
                                                              IStatement::PREPARE_PREFETCH_METADATA);
        output = statement->getOutputMetadata(&status);
        fields = DescribeFields(output);
        reader = std::make_unique<RowReader>(output);
        row = QByteArray(int(output->getMessageLength(&status)), '\0');
    }

    // The parameters as text values; the server converts them to what the statement expects.
    std::vector<TFieldValue> ParameterValues() const {
        std::vector<TFieldValue> values;
        for (const QString& name : text.parameters) {
            const TParam& param = const_cast<TSQLDataSet*>(owner)->ParamByName(name);
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
        FbStatus status;
        const QByteArray sql = ServerText(QStringLiteral("SELECT COUNT(*) FROM (") + text.sql + QLatin1Char(')'));
        IMetadataBuilder* builder = FbMaster()->getMetadataBuilder(&status, 1);
        builder->setType(&status, 0, SQL_INT64 + 1);
        builder->setLength(&status, 0, sizeof(ISC_INT64));
        IMessageMetadata* countMeta = builder->getMetadata(&status);
        builder->release();
        ParameterWriter writer;
        QByteArray buffer(int(countMeta->getMessageLength(&status)), '\0');
        try {
            WriteParameters(writer, transaction);
            owner->connection_->Attachment()->execute(&status, transaction, 0, sql.constData(), SqlDialect,
                                                      writer.Metadata(), writer.Buffer(), countMeta, buffer.data());
        } catch (...) {
            countMeta->release();
            throw;
        }
        ISC_INT64 count = 0;
        std::memcpy(&count, buffer.constData() + countMeta->getOffset(&status, 0), sizeof count);
        countMeta->release();
        return int(count);
    }

    void OpenCursor(ITransaction* transaction) {
        ParameterWriter writer;
        WriteParameters(writer, transaction);
        FbStatus status;
        cursor = statement->openCursor(&status, transaction, writer.Metadata(), writer.Buffer(), output, 0);
        eof = false;
        Fetch();
    }

    void Fetch() {
        FbStatus status;
        if (cursor->fetchNext(&status, row.data()) == IStatus::RESULT_OK) {
            reader->Read(reinterpret_cast<const unsigned char*>(row.constData()), fields,
                         owner->connection_->Attachment(), own ? own : owner->connection_->HeldTransaction());
        } else {
            // The cursor is spent: asking it again is an error, so it is closed here.
            eof = true;
            cursor->close(&status);
            cursor = nullptr;
        }
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
    if (!connection_) throw EDatabaseError(QStringLiteral("Conexão não definida"));
    try {
        ITransaction* transaction =
            d->Transaction(Snapshot ? FbTransactionKind::SnapshotRead : FbTransactionKind::ReadCommittedRead);
        d->PrepareIn(transaction);
        d->snapshotCount = Snapshot ? d->CountRows(transaction) : -1;
        d->OpenCursor(transaction);
        d->active = true;
    } catch (...) {
        d->Drop();
        throw;
    }
}

void TSQLDataSet::Restart() {
    if (!Active()) return Open();
    FbStatus status;
    if (d->cursor) {
        IResultSet* cursor = std::exchange(d->cursor, nullptr);
        cursor->close(&status);
    }
    d->OpenCursor(d->own ? d->own : connection_->HeldTransaction());
}

void TSQLDataSet::Close() {
    FbStatus status;
    if (d->cursor) {
        IResultSet* cursor = std::exchange(d->cursor, nullptr);
        try { cursor->close(&status); } catch (...) { cursor->release(); }
    }
    d->eof = true;
    d->active = false;
    d->EndOwnTransaction(true);
}

bool TSQLDataSet::Active() const { return d->active; }

bool TSQLDataSet::Eof() const { return d->eof; }

void TSQLDataSet::Next() {
    if (!d->eof) d->Fetch();
}

int TSQLDataSet::FieldCount() const { return int(d->fields.size()); }

TField* TSQLDataSet::Fields(int index) { return d->fields.at(size_t(index)).get(); }

TField* TSQLDataSet::FindField(const QString& name) { return FindFieldIn(d->fields, name); }

TField* TSQLDataSet::FieldByName(const QString& name) { return FieldByNameIn(d->fields, name); }

int TSQLDataSet::ExecSQL() {
    if (!connection_) throw EDatabaseError(QStringLiteral("Conexão não definida"));
    Close();
    ITransaction* transaction = d->Transaction(FbTransactionKind::ReadCommittedWrite);
    try {
        d->PrepareIn(transaction);
        ParameterWriter writer;
        d->WriteParameters(writer, transaction);
        FbStatus status;
        const bool returnsRow = d->output->getCount(&status) > 0;
        d->statement->execute(&status, transaction, writer.Metadata(), writer.Buffer(),
                              returnsRow ? d->output : nullptr, returnsRow ? d->row.data() : nullptr);
        const int changed = int(d->statement->getAffectedRecords(&status));
        d->EndOwnTransaction(true);
        return changed;
    } catch (...) {
        d->AbandonOwnTransaction();
        throw;
    }
}

int TSQLDataSet::SnapshotRecordCount() const { return d->snapshotCount; }

void TSQLDataSet::Prepare() {
    if (d->statement) return;
    if (!connection_) throw EDatabaseError(QStringLiteral("Conexão não definida"));
    const bool temporary = connection_->HeldTransaction() == nullptr && d->own == nullptr;
    ITransaction* transaction = d->Transaction(FbTransactionKind::ReadCommittedRead);
    try {
        d->PrepareIn(transaction);
    } catch (...) {
        if (temporary) d->AbandonOwnTransaction();
        throw;
    }
    if (temporary) d->EndOwnTransaction(true);
}

const std::vector<std::unique_ptr<TField>>& TSQLDataSet::FieldList() const { return d->fields; }
