#pragma once

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
// the elements travel as one slice that covers every dimension's bounds, described by the
// column's own catalogue entry on each side.
class ArraySlices {
public:
    QByteArray Read(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, ISC_QUAD id,
                    const QString& table, const QString& column);
    ISC_QUAD Write(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, const QByteArray& slice,
                   const QString& table, const QString& column);

private:
    struct Layout {
        QByteArray sdl;
        int sliceLength = 0;
    };
    const Layout& LayoutOf(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction,
                           const QString& table, const QString& column);
    std::map<std::pair<QString, QString>, Layout> layouts_;
};
