#include "SecondPassSql.h"

#include "catalogue/ForeignKeyCycles.h"
#include "platform/SqlNames.h"

namespace {

QStringList Quoted(const QStringList& names, const QString& pattern) {
    QStringList quoted;
    for (const QString& name : names) quoted << pattern.arg(quoteIdentifier(name));
    return quoted;
}

}  // namespace

QString SecondPassSourceSql(const QString& table, const QStringList& columns, const QStringList& cut) {
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3")
        .arg(Quoted(columns, QStringLiteral("%1")).join(QStringLiteral(", ")), quoteIdentifier(table),
             Quoted(cut, QStringLiteral("%1 IS NOT NULL")).join(QStringLiteral(" OR ")));
}

QString SecondPassUpdateSql(const QString& table, const CycleCut& cycles, const QStringList& compared) {
    const QStringList where = Quoted(cycles.keyColumns, QStringLiteral("%1 = ?")) +
                              Quoted(cycles.cutColumns, QStringLiteral("%1 IS NULL")) +
                              Quoted(compared, QStringLiteral("%1 IS NOT DISTINCT FROM ?"));
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(quoteIdentifier(table), Quoted(cycles.cutColumns, QStringLiteral("%1 = ?")).join(QStringLiteral(", ")),
             where.join(QStringLiteral(" AND ")));
}
