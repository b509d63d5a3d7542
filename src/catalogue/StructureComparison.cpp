#include "StructureComparison.h"

#include "TTabela.h"

#include <cmath>
#include <optional>

namespace {

enum class Family { Exact, Float, Date, Time, Timestamp, Text, Blob, Other };

Family FamilyOf(const ColumnType& column) {
    switch (column.fieldType) {
    case 7: case 8: case 16: return Family::Exact;   // SMALLINT, INTEGER, BIGINT, with their scale
    case 10: case 27: return Family::Float;
    case 12: return Family::Date;
    case 13: return Family::Time;
    case 35: return Family::Timestamp;
    case 14: case 37: case 40: return Family::Text;
    case 261: return Family::Blob;
    default: return Family::Other;
    }
}

// The binary digits an integer storage holds, or a float's mantissa.
int Bits(const ColumnType& column) {
    switch (column.fieldType) {
    case 7: return 15;
    case 8: return 31;
    case 16: return 63;
    case 10: return 24;
    default: return 53;
    }
}

// The largest value the column holds: its storage's largest integer, shifted by its scale.
long double Largest(const ColumnType& column) {
    return (std::pow(2.0L, Bits(column)) - 1) * std::pow(10.0L, column.scale);
}

// NONE and OCTETS hold bytes, and the bytes travel as they are.
bool TravelsAsBytes(const QString& characterSet) {
    return characterSet == QLatin1String("NONE") || characterSet == QLatin1String("OCTETS");
}

bool Transliterated(const ColumnType& origem, const ColumnType& destino) {
    return origem.characterSet != destino.characterSet && !TravelsAsBytes(origem.characterSet);
}

// A character of the source's set that the destination's set lacks is refused ("Cannot
// transliterate"): only UTF8, or a set that takes bytes as they are, holds every one. UNICODE_FSS
// holds no character of more than three bytes, which only UTF8 has among the source's sets.
bool MayLackCharacters(const ColumnType& origem, const ColumnType& destino) {
    const QString& from = origem.characterSet;
    const QString& to = destino.characterSet;
    if (!Transliterated(origem, destino) || from == QLatin1String("ASCII")) return false;
    if (to == QLatin1String("UNICODE_FSS")) return from == QLatin1String("UTF8");
    return to != QLatin1String("UTF8") && !TravelsAsBytes(to);
}

// Bytes that travel as they are into a column whose character set takes only well-formed ones:
// the server refuses a value that is not.
bool BytesChecked(const ColumnType& origem, const ColumnType& destino) {
    return TravelsAsBytes(origem.characterSet) &&
           (destino.characterSet == QLatin1String("UTF8") || destino.characterSet == QLatin1String("UNICODE_FSS"));
}

// Bytes a character of the set may take, where the bytes count (a column of NONE or OCTETS holds
// as many bytes as its length).
int WidestCharacter(const QString& characterSet) {
    return characterSet == QLatin1String("UTF8") ? 4 : characterSet == QLatin1String("UNICODE_FSS") ? 3 : 1;
}

// The longest text the server writes for a value of the column; none for a blob, whose text has
// no bound.
std::optional<int> LongestText(const ColumnType& column) {
    switch (FamilyOf(column)) {
    case Family::Exact: return int(std::ceil(Bits(column) * std::log10(2.0))) + 3;   // sign, point, leading zero
    case Family::Float: return Bits(column) == 24 ? 15 : 23;
    case Family::Date: return 10;
    case Family::Time: return 13;
    case Family::Timestamp: return 25;
    case Family::Text: return column.characterLength;
    case Family::Blob: return std::nullopt;
    default: return column.fieldType == 23 ? std::optional<int>(5) : std::nullopt;   // BOOLEAN
    }
}

// Every value of the source's type has a place in the destination's: a DATE or a TIME in a
// TIMESTAMP, anything in a text blob, anything whose text fits a text column.
bool AlwaysConverts(const ColumnType& origem, const ColumnType& destino) {
    const Family from = FamilyOf(origem);
    const Family to = FamilyOf(destino);
    if ((from == Family::Date || from == Family::Time) && to == Family::Timestamp) return true;
    if (to == Family::Blob) return destino.subType == 1;
    if (to != Family::Text) return false;
    const std::optional<int> longest = LongestText(origem);
    return longest && *longest <= destino.characterLength;
}

// What becomes of the source's values in the destination's column.
QList<Consequence> ValueChanges(const ColumnType& origem, const ColumnType& destino) {
    const Family from = FamilyOf(origem);
    const Family to = FamilyOf(destino);
    QList<Consequence> changes;
    if (from == Family::Exact && to == Family::Exact) {
        if (destino.scale > origem.scale) changes << Consequence::ValorArredondado;
        if (Largest(origem) > Largest(destino)) changes << Consequence::RegistrosRecusados;
    } else if (from == Family::Float && to == Family::Float) {
        // A DOUBLE beyond a FLOAT's range is refused.
        if (Bits(destino) < Bits(origem)) changes << Consequence::ValorArredondado << Consequence::RegistrosRecusados;
    } else if (from == Family::Exact && to == Family::Float) {
        // Whole numbers the mantissa holds arrive exactly.
        if (origem.scale != 0 || Bits(origem) > Bits(destino)) changes << Consequence::ValorArredondado;
    } else if (from == Family::Float && to == Family::Exact) {
        // A float may be beyond any exact number's range.
        changes << Consequence::ValorArredondado << Consequence::RegistrosRecusados;
    } else if (from == Family::Timestamp && to == Family::Date) {
        changes << Consequence::HoraDescartada;
    } else if (from == Family::Timestamp && to == Family::Time) {
        changes << Consequence::DataDescartada;
    } else if (from == Family::Text && to == Family::Text) {
        if (Transliterated(origem, destino)) changes << Consequence::ValorConvertido;
        const bool fewerBytes = TravelsAsBytes(destino.characterSet) &&
                                destino.characterLength < origem.characterLength * WidestCharacter(origem.characterSet);
        if (destino.characterLength < origem.characterLength || fewerBytes || BytesChecked(origem, destino) ||
            MayLackCharacters(origem, destino))
            changes << Consequence::RegistrosRecusados;
    } else if (from == Family::Blob && to == Family::Blob) {
        if (origem.subType != destino.subType) {
            changes << Consequence::BytesSemConversao;
        } else if (origem.subType == 1) {
            if (Transliterated(origem, destino)) changes << Consequence::ValorConvertido;
            if (MayLackCharacters(origem, destino) || BytesChecked(origem, destino))
                changes << Consequence::RegistrosRecusados;
        }
    } else if (from != to || origem.fieldType != destino.fieldType) {
        // A DATE widens into a TIMESTAMP; any other change of type converts the value, and refuses
        // those it has no place for (a text too long, 'abc' into a number, a BOOLEAN into a number).
        if (!(from == Family::Date && to == Family::Timestamp)) changes << Consequence::ValorConvertido;
        if (!AlwaysConverts(origem, destino)) changes << Consequence::RegistrosRecusados;
    }
    return changes;
}

class Comparison {
public:
    Comparison(QHash<QString, TableColumns> origem, QHash<QString, TableColumns> destino, bool cutCycles)
        : origem_(std::move(origem)), destino_(std::move(destino)), cutCycles_(cutCycles) {}

    void Table(TTabela& tabela) {
        const QString& name = tabela.NomeTabela();
        const auto destino = destino_.constFind(name);
        if (destino == destino_.cend()) return Add({name, {}, {}, {}, false, {Consequence::TabelaNaoCopiada}});
        const TableColumns origem = origem_.value(name);
        const QStringList& copied = tabela.FieldNames()->Items();
        for (const QString& column : copied) Copied(tabela, origem, *destino, column);
        // A column the copy leaves out is filled by its default, or stays NULL; the values the
        // source computes for it are not copied.
        for (const ColumnType& column : *destino) {
            if (copied.contains(column.name) || column.computed) continue;
            const ColumnType* from = FindColumn(origem, column.name);
            QList<Consequence> consequences;
            if (from && from->computed) consequences << Consequence::ValorCalculadoNaoCopiado;
            if (column.notNull && !column.hasDefault) consequences << Consequence::RegistrosRecusados;
            if (!consequences.isEmpty()) Add({name, column.name, Optional(from), column, false, consequences});
        }
    }

    QList<StructureDifference> differences;

private:
    static std::optional<ColumnType> Optional(const ColumnType* column) {
        return column ? std::optional<ColumnType>(*column) : std::nullopt;
    }

    void Copied(TTabela& tabela, const TableColumns& origem, const TableColumns& destino, const QString& column) {
        const ColumnType* from = FindColumn(origem, column);
        const ColumnType* to = FindColumn(destino, column);
        // A column dropped from the source since connecting is the copy's own error to report.
        if (!from) return;
        StructureDifference difference{tabela.NomeTabela(), column, *from, Optional(to), false, {}};
        if (!to || to->computed) {
            difference.consequences << Consequence::TabelaNaoCopiada;
            return Add(difference);
        }
        difference.consequences = ValueChanges(*from, *to);
        // A cut column goes in NULL, whatever the source holds, and is set by the second pass.
        difference.cutColumn = tabela.CopiesInTwoPasses(cutCycles_) && tabela.Cycles().cutColumns.contains(column);
        if (to->notNull && (!from->notNull || difference.cutColumn) &&
            !difference.consequences.contains(Consequence::RegistrosRecusados))
            difference.consequences << Consequence::RegistrosRecusados;
        if (!difference.consequences.isEmpty()) Add(difference);
    }

    void Add(const StructureDifference& difference) { differences.append(difference); }

    const QHash<QString, TableColumns> origem_;
    const QHash<QString, TableColumns> destino_;
    const bool cutCycles_;   // the run cuts the foreign-key cycles
};

}  // namespace

QList<StructureDifference> CompareStructures(const QList<TTabela*>& tables, TSQLConnection& origem,
                                             TSQLConnection& destino, bool cutCycles) {
    if (tables.isEmpty()) return {};
    Comparison comparison(ReadColumnTypes(origem), ReadColumnTypes(destino), cutCycles);
    for (TTabela* tabela : tables) comparison.Table(*tabela);
    return comparison.differences;
}
