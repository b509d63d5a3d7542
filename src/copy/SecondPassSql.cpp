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

namespace {

QString FoundByKey(const CycleCut& cycles) {
    return (Quoted(cycles.keyColumns, QStringLiteral("%1 = ?")) + Quoted(cycles.cutColumns, QStringLiteral("%1 IS NULL")))
        .join(QStringLiteral(" AND "));
}

QString SetCut(const CycleCut& cycles) {
    return Quoted(cycles.cutColumns, QStringLiteral("%1 = ?")).join(QStringLiteral(", "));
}

}  // namespace

QString SecondPassUpdateSql(const QString& table, const CycleCut& cycles) {
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(quoteIdentifier(table), SetCut(cycles), FoundByKey(cycles));
}

QString SecondPassFindSql(const QString& table, const CycleCut& cycles, const QStringList& compared) {
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3")
        .arg((QStringList{QStringLiteral("RDB$DB_KEY")} + Quoted(compared, QStringLiteral("%1"))).join(QStringLiteral(", ")),
             quoteIdentifier(table), FoundByKey(cycles));
}

QString SecondPassUpdateFoundSql(const QString& table, const CycleCut& cycles) {
    return QStringLiteral("UPDATE %1 SET %2 WHERE RDB$DB_KEY = ?").arg(quoteIdentifier(table), SetCut(cycles));
}
