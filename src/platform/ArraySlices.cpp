#include "ArraySlices.h"

#include "Exceptions.h"
#include "FbApi.h"

#include <cstring>

using namespace Firebird;

namespace {

// The element description of an array column and its bounds, read from the catalogue.
ISC_ARRAY_DESC DescribeArray(IAttachment* attachment, ITransaction* transaction, const QString& table,
                             const QString& column) {
    ISC_ARRAY_DESC desc;
    std::memset(&desc, 0, sizeof desc);
    const QByteArray tableName = ServerText(table);
    const QByteArray columnName = ServerText(column);
    std::strncpy(desc.array_desc_relation_name, tableName.constData(), sizeof desc.array_desc_relation_name - 1);
    std::strncpy(desc.array_desc_field_name, columnName.constData(), sizeof desc.array_desc_field_name - 1);

    FbStatus status;
    // Both names arrive as one literal each so the statement needs no input message.
    auto literal = [](const QByteArray& text) { return "'" + QByteArray(text).replace("'", "''") + "'"; };
    const QByteArray typeSql =
        "SELECT F.RDB$FIELD_TYPE, F.RDB$FIELD_SCALE, F.RDB$FIELD_LENGTH, F.RDB$DIMENSIONS, F.RDB$FIELD_NAME"
        " FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
        " WHERE RF.RDB$RELATION_NAME = " + literal(tableName) + " AND RF.RDB$FIELD_NAME = " + literal(columnName);
    IMetadataBuilder* builder = FbMaster()->getMetadataBuilder(&status, 5);
    builder->setType(&status, 0, SQL_SHORT + 1);
    builder->setLength(&status, 0, sizeof(ISC_SHORT));
    builder->setType(&status, 1, SQL_SHORT + 1);
    builder->setLength(&status, 1, sizeof(ISC_SHORT));
    builder->setType(&status, 2, SQL_SHORT + 1);
    builder->setLength(&status, 2, sizeof(ISC_SHORT));
    builder->setType(&status, 3, SQL_SHORT + 1);
    builder->setLength(&status, 3, sizeof(ISC_SHORT));
    builder->setType(&status, 4, SQL_TEXT + 1);
    builder->setLength(&status, 4, 252);
    builder->setCharSet(&status, 4, 0);
    IMessageMetadata* meta = builder->getMetadata(&status);
    builder->release();
    QByteArray domain;
    {
        QByteArray row(int(meta->getMessageLength(&status)), '\0');
        IResultSet* cursor =
            attachment->openCursor(&status, transaction, 0, typeSql.constData(), SqlDialect, nullptr, nullptr, meta, nullptr, 0);
        const bool found = cursor->fetchNext(&status, row.data()) == IStatus::RESULT_OK;
        cursor->close(&status);
        if (!found) {
            meta->release();
            throw EDatabaseError(QStringLiteral("Coluna de array %1.%2 não encontrada").arg(table, column));
        }
        auto shortAt = [&](unsigned i) {
            ISC_SHORT value;
            std::memcpy(&value, row.constData() + meta->getOffset(&status, i), sizeof value);
            return value;
        };
        desc.array_desc_dtype = static_cast<ISC_UCHAR>(shortAt(0));
        desc.array_desc_scale = static_cast<ISC_SCHAR>(shortAt(1));
        desc.array_desc_length = static_cast<unsigned short>(shortAt(2));
        desc.array_desc_dimensions = shortAt(3);
        domain = QByteArray(row.constData() + meta->getOffset(&status, 4), 252).trimmed();
    }
    // A VARCHAR element carries its two-byte length inside the slice.
    if (desc.array_desc_dtype == blr_varying) desc.array_desc_length += sizeof(ISC_USHORT);

    const QByteArray boundsSql = "SELECT RDB$LOWER_BOUND, RDB$UPPER_BOUND, RDB$DIMENSION, 0, '' FROM RDB$FIELD_DIMENSIONS"
                                 " WHERE RDB$FIELD_NAME = " + literal(domain) + " ORDER BY RDB$DIMENSION";
    IMetadataBuilder* boundsBuilder = FbMaster()->getMetadataBuilder(&status, 5);
    for (unsigned i = 0; i < 4; ++i) {
        boundsBuilder->setType(&status, i, SQL_LONG + 1);
        boundsBuilder->setLength(&status, i, sizeof(ISC_LONG));
    }
    boundsBuilder->setType(&status, 4, SQL_TEXT + 1);
    boundsBuilder->setLength(&status, 4, 1);
    IMessageMetadata* boundsMeta = boundsBuilder->getMetadata(&status);
    boundsBuilder->release();
    QByteArray row(int(boundsMeta->getMessageLength(&status)), '\0');
    IResultSet* cursor = attachment->openCursor(&status, transaction, 0, boundsSql.constData(), SqlDialect, nullptr,
                                                nullptr, boundsMeta, nullptr, 0);
    int dimension = 0;
    while (dimension < 16 && cursor->fetchNext(&status, row.data()) == IStatus::RESULT_OK) {
        ISC_LONG lower, upper;
        std::memcpy(&lower, row.constData() + boundsMeta->getOffset(&status, 0), sizeof lower);
        std::memcpy(&upper, row.constData() + boundsMeta->getOffset(&status, 1), sizeof upper);
        desc.array_desc_bounds[dimension].array_bound_lower = static_cast<short>(lower);
        desc.array_desc_bounds[dimension].array_bound_upper = static_cast<short>(upper);
        ++dimension;
    }
    cursor->close(&status);
    boundsMeta->release();
    meta->release();
    desc.array_desc_dimensions = static_cast<short>(dimension);
    return desc;
}

}  // namespace

const ArraySlices::Layout& ArraySlices::LayoutOf(IAttachment* attachment, ITransaction* transaction,
                                                 const QString& table, const QString& column) {
    const auto key = std::make_pair(table, column);
    if (auto found = layouts_.find(key); found != layouts_.end()) return found->second;

    const ISC_ARRAY_DESC desc = DescribeArray(attachment, transaction, table, column);
    Layout layout;
    layout.sliceLength = desc.array_desc_length;
    for (int i = 0; i < desc.array_desc_dimensions; ++i)
        layout.sliceLength *= desc.array_desc_bounds[i].array_bound_upper - desc.array_desc_bounds[i].array_bound_lower + 1;
    unsigned char sdl[1024];
    ISC_SHORT sdlLength = sizeof sdl;
    ISC_STATUS_ARRAY vector = {};
    ISC_SHORT bufferLength = sizeof sdl;
    if (isc_array_gen_sdl(vector, &desc, &bufferLength, sdl, &sdlLength))
        throw EDatabaseError(QStringLiteral("Descrição do array %1.%2 inválida").arg(table, column));
    layout.sdl = QByteArray(reinterpret_cast<const char*>(sdl), sdlLength);
    return layouts_.emplace(key, std::move(layout)).first->second;
}

QByteArray ArraySlices::Read(IAttachment* attachment, ITransaction* transaction, ISC_QUAD id, const QString& table,
                             const QString& column) {
    const Layout& layout = LayoutOf(attachment, transaction, table, column);
    QByteArray slice(layout.sliceLength, '\0');
    FbStatus status;
    const int read = attachment->getSlice(&status, transaction, &id, unsigned(layout.sdl.size()),
                                          reinterpret_cast<const unsigned char*>(layout.sdl.constData()), 0, nullptr,
                                          layout.sliceLength, reinterpret_cast<unsigned char*>(slice.data()));
    slice.resize(read);
    return slice;
}

ISC_QUAD ArraySlices::Write(IAttachment* attachment, ITransaction* transaction, const QByteArray& slice,
                            const QString& table, const QString& column) {
    const Layout& layout = LayoutOf(attachment, transaction, table, column);
    QByteArray data = slice;
    data.resize(layout.sliceLength, '\0');
    ISC_QUAD id{0, 0};
    FbStatus status;
    attachment->putSlice(&status, transaction, &id, unsigned(layout.sdl.size()),
                         reinterpret_cast<const unsigned char*>(layout.sdl.constData()), 0, nullptr, int(data.size()),
                         reinterpret_cast<unsigned char*>(data.data()));
    return id;
}
