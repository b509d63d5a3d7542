#include "ArraySlices.h"

#include "ArrayValue.h"
#include "BlobTransfer.h"
#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"
#include "PutBytes.h"

#include <firebird/Message.h>

#include <cstring>

using namespace Firebird;

namespace {

bool IsVarying(const ArrayShape& shape) { return shape.elementType == blr_varying; }

bool IsScaled(unsigned char type) { return type == blr_short || type == blr_long || type == blr_int64; }

void PutNumber(QByteArray& sdl, int value) {
    if (value >= -128 && value <= 127) {
        sdl += char(isc_sdl_tiny_integer);
        sdl += char(value);
    } else if (value >= -32768 && value <= 32767) {
        sdl += char(isc_sdl_short_integer);
        PutBytes(sdl, qint16(value));
    } else {
        sdl += char(isc_sdl_long_integer);
        PutBytes(sdl, qint32(value));
    }
}

void PutName(QByteArray& sdl, char tag, const QString& name) {
    const QByteArray bytes = ServerText(name);
    sdl += tag;
    sdl += char(bytes.size());
    sdl += bytes;
}

// The slice description of the whole array. Text elements name the column's own character set,
// so that no connection character set transliterates them.
QByteArray Sdl(const ArrayShape& shape, const QString& table, const QString& column) {
    QByteArray sdl;
    sdl += char(isc_sdl_version1);
    sdl += char(isc_sdl_struct);
    sdl += char(1);
    if (shape.elementType == blr_text || shape.elementType == blr_varying) {
        sdl += char(shape.elementType == blr_text ? blr_text2 : blr_varying2);
        PutBytes(sdl, quint16(shape.charSet));
        PutBytes(sdl, quint16(shape.length));
    } else {
        sdl += char(shape.elementType);
        if (IsScaled(shape.elementType)) sdl += char(shape.scale);
    }
    PutName(sdl, isc_sdl_relation, table);
    PutName(sdl, isc_sdl_field, column);
    for (size_t i = 0; i < shape.bounds.size(); ++i) {
        sdl += char(isc_sdl_do2);
        sdl += char(i);
        PutNumber(sdl, shape.bounds[i].first);
        PutNumber(sdl, shape.bounds[i].second);
    }
    sdl += char(isc_sdl_element);
    sdl += char(1);
    sdl += char(isc_sdl_scalar);
    sdl += char(0);
    sdl += char(shape.bounds.size());
    for (size_t i = 0; i < shape.bounds.size(); ++i) {
        sdl += char(isc_sdl_variable);
        sdl += char(i);
    }
    sdl += char(isc_sdl_eoc);
    return sdl;
}

ArrayShape DescribeArray(IAttachment* attachment, ITransaction* transaction, const QString& table, const QString& column) {
    FB_MESSAGE(Names, FbStatus, (FB_VARCHAR(252), table)(FB_VARCHAR(252), column));
    FB_MESSAGE(Dimension, FbStatus,
               (FB_SMALLINT, type)(FB_SMALLINT, scale)(FB_SMALLINT, length)(FB_SMALLINT, charSet)
               (FB_INTEGER, lower)(FB_INTEGER, upper));
    FbStatus status;
    Names names(&status, FbMaster());
    names.clear();
    auto set = [](auto& slot, const QString& name) {
        const QByteArray bytes = ServerText(name).left(sizeof slot.str);
        slot.length = ISC_USHORT(bytes.size());
        std::memcpy(slot.str, bytes.constData(), size_t(bytes.size()));
    };
    set(names->table, table);
    set(names->column, column);
    Dimension dimension(&status, FbMaster());
    FbRef<IResultSet> cursor(attachment->openCursor(
        &status, transaction, 0,
        "SELECT F.RDB$FIELD_TYPE, F.RDB$FIELD_SCALE, F.RDB$FIELD_LENGTH, F.RDB$CHARACTER_SET_ID,"
        " D.RDB$LOWER_BOUND, D.RDB$UPPER_BOUND"
        " FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
        " JOIN RDB$FIELD_DIMENSIONS D ON D.RDB$FIELD_NAME = F.RDB$FIELD_NAME"
        " WHERE RF.RDB$RELATION_NAME = ? AND RF.RDB$FIELD_NAME = ? ORDER BY D.RDB$DIMENSION",
        SqlDialect, names.getMetadata(), names.getData(), dimension.getMetadata(), nullptr, 0));
    ArrayShape shape;
    while (cursor->fetchNext(&status, dimension.getData()) == IStatus::RESULT_OK) {
        shape.elementType = static_cast<unsigned char>(dimension->type);
        shape.scale = static_cast<signed char>(dimension->scale);
        shape.length = static_cast<unsigned short>(dimension->length);
        shape.charSet = dimension->charSetNull ? 0 : static_cast<unsigned short>(dimension->charSet);
        shape.bounds.emplace_back(dimension->lower, dimension->upper);
    }
    cursor.End([&](IResultSet* c) { c->close(&status); });
    if (shape.bounds.empty())
        throw EDatabaseError(QStringLiteral("A coluna %1 da tabela %2 não é um array").arg(column, table));
    return shape;
}

// Firebird passes a VARCHAR element of a slice as a zero-ended string in a slot of its length
// plus two bytes, and leaves the rest of the slot as it found it. Read into slots filled with
// 0xFF, the last zero byte of a slot ends its text, whatever bytes the text holds; a slot with no
// zero byte was never written.
QByteArray VaryingFromSlice(const QByteArray& slice, int slot) {
    QByteArray elements(slice.size(), '\0');
    for (qsizetype at = 0; at < slice.size(); at += slot) {
        const char* from = slice.constData() + at;
        const void* end = memrchr(from, 0, size_t(slot));
        const quint16 length = end ? quint16(static_cast<const char*>(end) - from) : 0;
        std::memcpy(elements.data() + at, &length, sizeof length);
        std::memcpy(elements.data() + at + sizeof length, from, length);
    }
    return elements;
}

QByteArray VaryingToSlice(const QByteArray& elements, int slot, const QString& column) {
    QByteArray slice(elements.size(), '\0');
    for (qsizetype at = 0; at < elements.size(); at += slot) {
        quint16 length;
        std::memcpy(&length, elements.constData() + at, sizeof length);
        if (length > slot - 2) throw EDatabaseError(QStringLiteral("Elemento de array VARCHAR maior que a coluna"));
        const char* text = elements.constData() + at + sizeof length;
        if (std::memchr(text, 0, length))
            throw EDatabaseError(QStringLiteral("O elemento %1 do array %2 contém um byte zero, que o Firebird não grava"
                                                " em um array VARCHAR")
                                     .arg(at / slot + 1)
                                     .arg(column));
        std::memcpy(slice.data() + at, text, length);
    }
    return slice;
}

}  // namespace

const ArraySlices::Layout& ArraySlices::LayoutOf(IAttachment* attachment, ITransaction* transaction,
                                                 const QString& table, const QString& column) {
    const auto key = std::make_pair(table, column);
    if (auto found = layouts_.find(key); found != layouts_.end()) return found->second;
    Layout layout;
    layout.shape = DescribeArray(attachment, transaction, table, column);
    layout.sdl = Sdl(layout.shape, table, column);
    return layouts_.emplace(key, std::move(layout)).first->second;
}

QByteArray ArraySlices::Read(IAttachment* attachment, ITransaction* transaction, ISC_QUAD id, const QString& table,
                             const QString& column) {
    return Doing([&] { return QStringLiteral("ao ler o array ") + ColumnForMessage(table, column); },
                 [&] {
                     const Layout& layout = LayoutOf(attachment, transaction, table, column);
                     const int slot = layout.shape.ElementSize();
                     QByteArray slice(qsizetype(layout.shape.ElementCount()) * slot, IsVarying(layout.shape) ? '\xFF' : '\0');
                     FbStatus status;
                     attachment->getSlice(&status, transaction, &id, unsigned(layout.sdl.size()),
                                          reinterpret_cast<const unsigned char*>(layout.sdl.constData()), 0, nullptr,
                                          int(slice.size()), reinterpret_cast<unsigned char*>(slice.data()));
                     return ArrayValue(layout.shape, IsVarying(layout.shape) ? VaryingFromSlice(slice, slot) : slice);
                 });
}

ISC_QUAD ArraySlices::Write(IAttachment* attachment, ITransaction* transaction, const QByteArray& value,
                            const QString& table, const QString& column) {
    return Doing([&] { return QStringLiteral("ao gravar o array ") + ColumnForMessage(table, column); },
                 [&] {
                     const Layout& layout = LayoutOf(attachment, transaction, table, column);
                     auto [shape, elements] = SplitArrayValue(value);
                     // Different bounds or elements mean different structures: nothing is cut or padded.
                     if (!(shape == layout.shape))
                         throw EDatabaseError(QStringLiteral("O valor é um array %1 e a coluna um array %2")
                                                  .arg(shape.TypeText(), layout.shape.TypeText()));
                     QByteArray slice = IsVarying(shape) ? VaryingToSlice(elements, shape.ElementSize(), column) : elements;
                     ISC_QUAD id{0, 0};
                     FbStatus status;
                     attachment->putSlice(&status, transaction, &id, unsigned(layout.sdl.size()),
                                          reinterpret_cast<const unsigned char*>(layout.sdl.constData()), 0, nullptr,
                                          int(slice.size()), reinterpret_cast<unsigned char*>(slice.data()));
                     return id;
                 });
}
