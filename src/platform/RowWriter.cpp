#include "RowWriter.h"

#include "EDatabaseError.h"
#include "FbApi.h"
#include "InlineBlobs.h"
#include "MetadataEpoch.h"
#include "Savepoint.h"
#include "TDataSetProvider.h"
#include "TSQLConnection.h"
#include "UpdateStatements.h"

#include <algorithm>

using namespace Firebird;

void RowWriter::Insert(const QString& table, const FieldList& fields, const std::vector<TFieldValue>& values,
                       TSQLConnection& connection, ITransaction* transaction) {
    FbStatus status;
    IAttachment* attachment = connection.Attachment();
    const unsigned long epoch = MetadataEpoch();
    std::erase_if(inserts_, [&](const auto& p) { return p.epoch != epoch; });
    auto insert = std::find_if(inserts_.begin(), inserts_.end(), [&](const auto& p) { return p.on == attachment; });
    if (insert == inserts_.end()) {
        const UpdateStatement statement = InsertStatement(table, fields, values);
        FbRef<IStatement> prepared(attachment->prepare(&status, transaction, 0, ServerText(statement.sql).constData(),
                                                       connection.Dialect(), 0));
        insert = inserts_.insert(inserts_.end(), {attachment, std::move(prepared), epoch});
        inserted_ = InsertedFields(fields);
        insertParameters_ = statement.parameters;
    }
    // Through a server a small blob goes inside the message, as in a block.
    const bool remote = connection.Remote();
    const std::vector<TFieldValue> inlined = remote ? Inlined(fields, values) : std::vector<TFieldValue>{};
    const std::vector<TFieldValue>& sent = remote ? inlined : values;
    for (size_t k = 0; k < inserted_.size(); ++k) insertParameters_[k].value = &sent[inserted_[k]];
    insertWriter_.Write(insertParameters_, attachment, transaction);
    insert->statement->execute(&status, transaction, insertWriter_.Metadata(), insertWriter_.Buffer(), nullptr, nullptr);
}

void RowWriter::Modify(const QString& table, const FieldList& fields, const PendingChange& change,
                       const TDataSetProvider& provider, TSQLConnection& connection, ITransaction* transaction) {
    const UpdateStatement statement = ModifyStatement(table, provider.UpdateMode, fields, change.oldValues, change.newValues);
    if (statement.sql.isEmpty()) return;
    FbStatus status;
    IAttachment* attachment = connection.Attachment();
    ParameterWriter writer;
    writer.Write(statement.parameters, attachment, transaction);
    FbRef<IStatement> prepared(
        attachment->prepare(&status, transaction, 0, ServerText(statement.sql).constData(), connection.Dialect(), 0));
    Savepoint savepoint(connection, transaction);
    prepared->execute(&status, transaction, writer.Metadata(), writer.Buffer(), nullptr, nullptr);
    const ISC_UINT64 changed = prepared->getAffectedRecords(&status);
    if (changed == 1) return;
    savepoint.Undo();
    if (changed == 0) throw EDatabaseError(QStringLiteral("Registro não encontrado ou alterado por outro usuário"));
    throw EDatabaseError(QStringLiteral("A alteração mudaria %1 linhas da tabela %2 em vez de uma; foi desfeita")
                             .arg(changed)
                             .arg(table));
}

void RowWriter::Write(const PendingChange& change, const QString& table, const FieldList& fields,
                      const TDataSetProvider& provider, TSQLConnection& connection, ITransaction* transaction) {
    if (change.kind == TUpdateKind::ukInsert)
        Insert(table, fields, change.newValues, connection, transaction);
    else
        Modify(table, fields, change, provider, connection, transaction);
}
