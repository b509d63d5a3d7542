#include "ErrorLines.h"

#include <QString>
#include <QStringList>

bool IsErrorLine(const QString& line) {
    // "<TABELA> ERRO INSERIR …", "<TABELA> ERRO ALTERAR …", "<TABELA> ERRO ao …".
    if (line.contains(QStringLiteral(" ERRO "))) return true;
    // A row the copy could not post, a cleanup the server refused, a job that failed, a table
    // the verification could not read.
    static const QStringList prefixes = {QStringLiteral("ExportRegister -> "), QStringLiteral("ExecutarDelecao "),
                                         QStringLiteral("Erro inesperado")};
    for (const QString& prefix : prefixes)
        if (line.startsWith(prefix)) return true;
    return line.startsWith(QStringLiteral("Verificação ")) && line.contains(QStringLiteral(": não verificada: "));
}
