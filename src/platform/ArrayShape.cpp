#include "ArrayShape.h"

#include <QStringList>
#include <ibase.h>

int ArrayShape::ElementCount() const {
    int count = 1;
    for (const auto& [lower, upper] : bounds) count *= upper - lower + 1;
    return count;
}

int ArrayShape::ElementSize() const { return length + (elementType == blr_varying ? 2 : 0); }

QString ArrayShape::BoundsText() const {
    QStringList dimensions;
    for (const auto& [lower, upper] : bounds) dimensions << QStringLiteral("%1:%2").arg(lower).arg(upper);
    return QLatin1Char('[') + dimensions.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString ArrayShape::TypeText() const {
    QString text;
    switch (elementType) {
    case blr_short: text = QStringLiteral("SMALLINT"); break;
    case blr_long: text = QStringLiteral("INTEGER"); break;
    case blr_int64: text = QStringLiteral("BIGINT"); break;
    case blr_float: text = QStringLiteral("FLOAT"); break;
    case blr_double: text = QStringLiteral("DOUBLE PRECISION"); break;
    case blr_sql_date: text = QStringLiteral("DATE"); break;
    case blr_sql_time: text = QStringLiteral("TIME"); break;
    case blr_timestamp: text = QStringLiteral("TIMESTAMP"); break;
    case blr_text: text = QStringLiteral("CHAR(%1 bytes)").arg(length); break;
    case blr_varying: text = QStringLiteral("VARCHAR(%1 bytes)").arg(length); break;
    default: text = QStringLiteral("tipo %1").arg(elementType);
    }
    if (scale) text += QStringLiteral(" escala %1").arg(scale);
    if (elementType == blr_text || elementType == blr_varying)
        text += QStringLiteral(" conjunto de caracteres %1").arg(charSet);
    return text + BoundsText();
}
