#include "TableSummary.h"

#include "RunDuration.h"

QString TableSummary(const QString& nomeTabela, long long read, long long inserted, long long rejected,
                     double seconds) {
    return QStringLiteral("%1: %2 lidos, %3 inseridos, %4 rejeitados, em %5")
        .arg(nomeTabela, QString::number(read), QString::number(inserted), QString::number(rejected),
             RunDuration(seconds));
}
