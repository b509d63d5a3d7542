#include "StructureWording.h"

#include <QStringList>

namespace {

const QString Ausente = QStringLiteral("ausente");

QString Words(Consequence consequence) {
    switch (consequence) {
    case Consequence::ValorArredondado: return QStringLiteral("valor arredondado");
    case Consequence::HoraDescartada: return QStringLiteral("hora descartada");
    case Consequence::DataDescartada: return QStringLiteral("data descartada");
    case Consequence::ValorConvertido: return QStringLiteral("valor convertido");
    case Consequence::BytesSemConversao: return QStringLiteral("bytes copiados sem conversão");
    case Consequence::RegistrosRecusados: return QStringLiteral("registros recusados");
    case Consequence::ValorCalculadoNaoCopiado: return QStringLiteral("valor calculado não copiado");
    case Consequence::TabelaNaoCopiada: return QStringLiteral("tabela não será copiada");
    }
    return {};
}

QString Exact(const ColumnType& column) {
    const QString kind = column.subType == 2 ? QStringLiteral("DECIMAL") : QStringLiteral("NUMERIC");
    if (column.subType == 0 && column.scale == 0)
        return column.fieldType == 7 ? QStringLiteral("SMALLINT")
               : column.fieldType == 8 ? QStringLiteral("INTEGER")
                                       : QStringLiteral("BIGINT");
    // A scaled integer of a database of the first dialect declares no precision: its storage's.
    const int storageDigits = column.fieldType == 7 ? 4 : column.fieldType == 8 ? 9 : 18;
    return QStringLiteral("%1(%2,%3)").arg(kind).arg(column.precision ? column.precision : storageDigits).arg(-column.scale);
}

QString BareType(const ColumnType& column, bool withCharacterSet) {
    const QString characterSet =
        withCharacterSet && !column.characterSet.isEmpty() ? QStringLiteral(" CHARACTER SET ") + column.characterSet : QString();
    switch (column.fieldType) {
    case 7: case 8: case 16: return Exact(column);
    case 10: return QStringLiteral("FLOAT");
    case 27: return QStringLiteral("DOUBLE PRECISION");
    case 12: return QStringLiteral("DATE");
    case 13: return QStringLiteral("TIME");
    case 35: return QStringLiteral("TIMESTAMP");
    case 23: return QStringLiteral("BOOLEAN");
    case 14: return QStringLiteral("CHAR(%1)").arg(column.characterLength) + characterSet;
    case 37: return QStringLiteral("VARCHAR(%1)").arg(column.characterLength) + characterSet;
    case 40: return QStringLiteral("CSTRING(%1)").arg(column.characterLength) + characterSet;
    case 261: {
        const QString subType = column.subType == 0   ? QStringLiteral("BINARY")
                                : column.subType == 1 ? QStringLiteral("TEXT")
                                                      : QString::number(column.subType);
        return QStringLiteral("BLOB SUB_TYPE ") + subType + characterSet;
    }
    default: return QStringLiteral("tipo %1").arg(column.fieldType);
    }
}

QString TypeText(const std::optional<ColumnType>& column, bool withCharacterSet) {
    if (!column) return Ausente;
    if (column->computed) return QStringLiteral("calculada");
    return BareType(*column, withCharacterSet) + (column->notNull ? QStringLiteral(" NOT NULL") : QString());
}

bool CharacterSetsDiffer(const StructureDifference& difference) {
    return difference.origem && difference.destino && difference.origem->characterSet != difference.destino->characterSet;
}

}  // namespace

QString ConsequenceText(const StructureDifference& difference) {
    QStringList words;
    for (Consequence consequence : difference.consequences) words << Words(consequence);
    return words.join(QStringLiteral(", "));
}

QString OrigemText(const StructureDifference& difference) {
    if (difference.column.isEmpty()) return QStringLiteral("tabela");
    const QString type = TypeText(difference.origem, CharacterSetsDiffer(difference));
    return difference.cutColumn ? type + QStringLiteral(", NULL na primeira etapa") : type;
}

QString DestinoText(const StructureDifference& difference) {
    return difference.column.isEmpty() ? Ausente : TypeText(difference.destino, CharacterSetsDiffer(difference));
}

QString ColumnText(const StructureDifference& difference) {
    return difference.column.isEmpty() ? QStringLiteral("(tabela)") : difference.column;
}

QString DifferenceLine(const StructureDifference& difference) {
    if (difference.column.isEmpty())
        return QStringLiteral("Estrutura diferente: %1: tabela ausente no destino: %2")
            .arg(difference.table, ConsequenceText(difference));
    return QStringLiteral("Estrutura diferente: %1.%2: origem %3, destino %4: %5")
        .arg(difference.table, difference.column, OrigemText(difference), DestinoText(difference),
             ConsequenceText(difference));
}

QString SkipReason(const StructureDifference& difference) {
    if (difference.column.isEmpty()) return QStringLiteral("tabela ausente no destino");
    if (!difference.destino) return QStringLiteral("coluna %1 ausente no destino").arg(difference.column);
    return QStringLiteral("coluna %1 calculada no destino").arg(difference.column);
}
