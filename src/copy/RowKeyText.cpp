#include "RowKeyText.h"

#include "platform/TField.h"

#include <QStringList>

QString RowKeyText(const QList<const TField*>& key, ValueLength length) {
    if (key.isEmpty()) return QString();
    QStringList columns;
    for (const TField* field : key) columns << field->FieldName() + QLatin1Char('=') + ValueText(field->Value(), length);
    return QStringLiteral(" [chave: ") + columns.join(QStringLiteral(", ")) + QLatin1Char(']');
}
