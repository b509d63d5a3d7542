#pragma once

#include <QString>

// The activity log's line after each table a copy job copied:
// "<tabela>: N lidos, N inseridos, N rejeitados, em HH:MM:SS".
QString TableSummary(const QString& nomeTabela, long long read, long long inserted, long long rejected,
                     double seconds);
