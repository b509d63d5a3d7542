#pragma once

#include <QByteArray>
#include <QString>
#include <ibase.h>
#include <map>
#include <utility>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
}

// The layout of an array column: its element type, size and character set, and every
// dimension's bounds. Two columns of the same structure have the same shape.
struct ArrayShape {
    unsigned char elementType = 0;   // blr_* code, as the catalogue stores it
    signed char scale = 0;
    unsigned short length = 0;       // bytes of one element as declared (a VARCHAR's text alone)
    unsigned short charSet = 0;
    std::vector<std::pair<int, int>> bounds;   // lower and upper bound of each dimension

    bool operator==(const ArrayShape&) const = default;
    int ElementCount() const;
    // Bytes of one element in a value: a VARCHAR element keeps its 2-byte length in front.
    int ElementSize() const;
    // The bounds as SQL declares them: "[1:3, 0:1]".
    QString BoundsText() const;
};

// An array value as the layer carries it (TFieldValue::data of an ARRAY column): the shape,
// then every element in order, the last dimension varying fastest; a VARCHAR element is its
// length and bytes, as in a message.
QByteArray ArrayValue(const ArrayShape& shape, const QByteArray& elements);
// Splits such a value; raises when it is not one.
std::pair<ArrayShape, QByteArray> SplitArrayValue(const QByteArray& value);

// Reads and writes whole ARRAY columns by content. An array id belongs to its attachment, so
// the elements travel, described by the column's own catalogue entry on each side; a value
// whose shape differs from the column it is written to is refused, never cut or padded.
class ArraySlices {
public:
    QByteArray Read(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, ISC_QUAD id,
                    const QString& table, const QString& column);
    ISC_QUAD Write(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, const QByteArray& value,
                   const QString& table, const QString& column);

private:
    struct Layout {
        ArrayShape shape;
        QByteArray sdl;
    };
    const Layout& LayoutOf(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction,
                           const QString& table, const QString& column);
    std::map<std::pair<QString, QString>, Layout> layouts_;
};
