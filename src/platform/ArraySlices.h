#pragma once

#include "ArrayShape.h"

#include <QByteArray>
#include <QString>
#include <ibase.h>
#include <map>
#include <utility>

namespace Firebird {
class IAttachment;
class ITransaction;
}

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
