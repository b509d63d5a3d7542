#include "InsertBlock.h"

#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"
#include "InlineBlobs.h"
#include "MetadataEpoch.h"
#include "SqlNames.h"
#include "TSQLConnection.h"
#include "UpdateStatements.h"

#include <QStringList>
#include <algorithm>
#include <bit>
#include <cstring>

using namespace Firebird;

namespace {

constexpr int MaxRows = 256;               // more INSERTs in one statement: "Too many Contexts"
constexpr int MaxParameters = 2048;        // the preparing time grows with them
constexpr int MaxMessageBytes = 1 << 20;

TFieldValue Integer(int number) {
    QByteArray bytes(sizeof(ISC_LONG), '\0');
    const ISC_LONG value = number;
    std::memcpy(bytes.data(), &value, sizeof value);
    return {SQL_LONG, 0, 0, sizeof(ISC_LONG), 0, false, bytes};
}

// Bytes one row takes in the message, a blob counted as sent inside it.
int RowBytes(const FieldList& fields, const std::vector<size_t>& inserted) {
    int bytes = 0;
    for (size_t i : inserted) {
        const TFieldValue& shape = fields[i]->Shape();
        bytes += int(shape.sqlType == SQL_BLOB ? InlineBlobBytes : shape.length) + 2 * int(sizeof(ISC_SHORT)) + 4;
    }
    return std::max(bytes, 1);
}

// Each row's marker in the list of refused rows: its position and a blank.
constexpr int RefusedTextPerRow = 4;

}  // namespace

int InsertBlock::Capacity(const FieldList& fields) {
    const std::vector<size_t> inserted = InsertedFields(fields);
    if (inserted.empty()) return 0;
    for (size_t i : inserted)
        if (fields[i]->Shape().sqlType == SQL_ARRAY) return 0;
    const int columns = int(inserted.size());
    return std::min({MaxRows, (MaxParameters - 1) / columns, MaxMessageBytes / RowBytes(fields, inserted)});
}

void InsertBlock::Reset() {
    unprepared_ = false;
    prepared_.clear();
}

void InsertBlock::Prepare(Prepared& prepared, const QString& table, const FieldList& fields, int rows,
                          TSQLConnection& connection, ITransaction* transaction) {
    prepared.statement.Reset();
    prepared.output.Reset();
    prepared.rows = 0;
    const QString target = quoteIdentifier(table);
    const std::vector<size_t> inserted = InsertedFields(fields);
    QStringList columns;
    for (size_t i : inserted) columns << quoteIdentifier(fields[i]->OriginColumn());
    QStringList declarations{QStringLiteral("N INTEGER = ?")};
    QString body;
    for (int row = 0; row < rows; ++row) {
        QStringList markers;
        for (size_t column = 0; column < inserted.size(); ++column) {
            const QString name = QStringLiteral("P%1_%2").arg(row).arg(column);
            declarations << name + QStringLiteral(" TYPE OF COLUMN ") + target + QLatin1Char('.') + columns[qsizetype(column)] +
                                QStringLiteral(" = ?");
            markers << QLatin1Char(':') + name;
        }
        // The handler undoes this INSERT alone, notes the row and lets the block go on.
        body += QStringLiteral(" IF (N > %1) THEN BEGIN INSERT INTO %2 (%3) VALUES (%4);"
                               " WHEN ANY DO RECUSADAS = RECUSADAS || '%1 '; END")
                    .arg(row)
                    .arg(target, columns.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    }
    const QString sql = QStringLiteral("EXECUTE BLOCK (%1) RETURNS (RECUSADAS VARCHAR(%2) CHARACTER SET OCTETS) AS"
                                       " BEGIN RECUSADAS = '';%3 SUSPEND; END")
                            .arg(declarations.join(QStringLiteral(", ")), QString::number(rows * RefusedTextPerRow), body);
    FbStatus status;
    prepared.statement.Reset(
        connection.Attachment()->prepare(&status, transaction, 0, ServerText(sql).constData(), connection.Dialect(), 0));
    prepared.output.Reset(prepared.statement->getOutputMetadata(&status));
    prepared.outputBuffer = QByteArray(int(prepared.output->getMessageLength(&status)), '\0');
    prepared.rows = rows;
    prepared.epoch = MetadataEpoch();
}

void InsertBlock::Fill(const FieldList& fields, const std::vector<Row>& rows, int blockRows) {
    const std::vector<size_t> inserted = InsertedFields(fields);
    values_.clear();
    values_.reserve(1 + size_t(blockRows) * inserted.size());
    values_.push_back(Integer(int(rows.size())));
    for (size_t row = 0; row < size_t(blockRows); ++row) {
        for (size_t i : inserted) {
            if (row < rows.size()) {
                values_.push_back(Inlined((*rows[row])[i], *fields[i]));
            } else {
                // The rows the block holds beyond those sent stay NULL, in the shape of the first.
                TFieldValue empty = Inlined((*rows[0])[i], *fields[i]);
                empty.isNull = true;
                empty.data.clear();
                values_.push_back(std::move(empty));
            }
        }
    }
    parameters_.clear();
    parameters_.reserve(values_.size());
    parameters_.push_back({&values_[0], {}, {}});
    for (size_t k = 1; k < values_.size(); ++k) {
        const TField& field = *fields[inserted[(k - 1) % inserted.size()]];
        parameters_.push_back({&values_[k], field.OriginTable(), field.OriginColumn()});
    }
}

std::vector<size_t> InsertBlock::Refused(const Prepared& prepared, size_t rows) {
    FbStatus status;
    const char* slot = prepared.outputBuffer.constData() + prepared.output->getOffset(&status, 0);
    ISC_USHORT length;
    std::memcpy(&length, slot, sizeof length);
    std::vector<size_t> refused;
    for (const QByteArray& number : QByteArray(slot + sizeof length, length).split(' ')) {
        bool ok = false;
        const size_t row = number.toUInt(&ok);
        if (ok && row < rows) refused.push_back(row);
    }
    return refused;
}

std::vector<size_t> InsertBlock::Send(const QString& table, const FieldList& fields, const std::vector<Row>& rows,
                                      TSQLConnection& connection, ITransaction* transaction) {
    if (rows.empty()) return {};
    const int capacity = Capacity(fields);
    if (int(rows.size()) > capacity)
        throw EDatabaseError(QStringLiteral("%1 linhas não cabem em um bloco de %2").arg(rows.size()).arg(capacity));
    auto every = [&] {
        std::vector<size_t> positions(rows.size());
        for (size_t i = 0; i < positions.size(); ++i) positions[i] = i;
        return positions;
    };
    if (unprepared_) return every();
    IAttachment* attachment = connection.Attachment();
    auto on = std::find_if(prepared_.begin(), prepared_.end(), [&](const Prepared& p) { return p.on == attachment; });
    if (on == prepared_.end()) {
        on = prepared_.emplace(prepared_.end());
        on->on = attachment;
    }
    Prepared& prepared = *on;
    try {
        // Blocks grow by powers of two, so that a small table does not prepare a large one.
        const int wanted = std::min(int(std::bit_ceil(rows.size())), capacity);
        if (!prepared.statement || prepared.rows < wanted || prepared.epoch != MetadataEpoch()) Prepare(prepared, table, fields, wanted, connection, transaction);
        Fill(fields, rows, prepared.rows);
        writer_.Write(parameters_, attachment, transaction);
        FbStatus status;
        prepared.statement->execute(&status, transaction, writer_.Metadata(), writer_.Buffer(), prepared.output.get(),
                                    reinterpret_cast<unsigned char*>(prepared.outputBuffer.data()));
    } catch (const EDatabaseError& error) {
        if (IsInterruption(error)) throw;
        // A block the server cannot prepare for this table never will be (a column it refuses);
        // the rows go alone from then on.
        if (!prepared.statement) unprepared_ = true;
        // The failed statement wrote nothing; alone, each row gets its own answer.
        return every();
    }
    return Refused(prepared, rows.size());
}
