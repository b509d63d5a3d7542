#pragma once

#include "TFieldValue.h"

#include <QByteArray>
#include <QString>
#include <ibase.h>

namespace Firebird {
class IAttachment;
class ITransaction;
}

// Whole blobs by content, exactly as stored: a blob id belongs to its attachment, so the bytes
// travel, and no filter turns one sub-type or character set into another. The table and column
// only name the blob in an error.
QByteArray ReadBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, ISC_QUAD id,
                    const QString& table, const QString& column);
ISC_QUAD WriteBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, const TFieldValue& value,
                   const QString& table, const QString& column);

// "da coluna X da tabela Y", for messages about one column's value.
QString ColumnForMessage(const QString& table, const QString& column);
