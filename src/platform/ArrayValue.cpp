#include "ArrayValue.h"

#include "EDatabaseError.h"
#include "PutBytes.h"

#include <QtGlobal>
#include <cstring>

namespace {

template <typename T>
T Take(const QByteArray& bytes, qsizetype& at) {
    T value{};
    if (at + qsizetype(sizeof value) > bytes.size()) throw EDatabaseError(QStringLiteral("Valor de array inválido"));
    std::memcpy(&value, bytes.constData() + at, sizeof value);
    at += sizeof value;
    return value;
}

}  // namespace

// The value's header: element type, scale, length, character set, dimension count, bounds.
QByteArray ArrayValue(const ArrayShape& shape, const QByteArray& elements) {
    QByteArray value;
    PutBytes(value, shape.elementType);
    PutBytes(value, shape.scale);
    PutBytes(value, shape.length);
    PutBytes(value, shape.charSet);
    PutBytes(value, quint16(shape.bounds.size()));
    for (const auto& [lower, upper] : shape.bounds) {
        PutBytes(value, qint32(lower));
        PutBytes(value, qint32(upper));
    }
    return value + elements;
}

std::pair<ArrayShape, QByteArray> SplitArrayValue(const QByteArray& value) {
    ArrayShape shape;
    qsizetype at = 0;
    shape.elementType = Take<unsigned char>(value, at);
    shape.scale = Take<signed char>(value, at);
    shape.length = Take<unsigned short>(value, at);
    shape.charSet = Take<unsigned short>(value, at);
    const quint16 dimensions = Take<quint16>(value, at);
    for (quint16 i = 0; i < dimensions; ++i) {
        const qint32 lower = Take<qint32>(value, at);
        shape.bounds.emplace_back(lower, Take<qint32>(value, at));
    }
    QByteArray elements = value.mid(at);
    if (elements.size() != qsizetype(shape.ElementCount()) * shape.ElementSize())
        throw EDatabaseError(QStringLiteral("Valor de array inválido: %1 bytes para %2").arg(elements.size()).arg(shape.TypeText()));
    return {shape, elements};
}
