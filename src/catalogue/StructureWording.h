#pragma once

#include "StructureComparison.h"

#include <QString>

// The texts people read about a difference between the two structures: in the import's
// question and in the log.

// What the copy does about it: "valor arredondado", "registros recusados", ...
QString ConsequenceText(const StructureDifference& difference);
// The column's type on each side, as its DDL reads ("NUMERIC(15,2)", "VARCHAR(40) NOT NULL");
// the character set shows where the two sides differ in it. "ausente" where the side lacks it.
QString OrigemText(const StructureDifference& difference);
QString DestinoText(const StructureDifference& difference);
// The column's name, or "(tabela)" when the destination lacks the whole table.
QString ColumnText(const StructureDifference& difference);
// One line of the log: table, column, both types and what the copy does about it.
QString DifferenceLine(const StructureDifference& difference);
// Why the copy leaves the table out: the first difference that keeps it out.
QString SkipReason(const StructureDifference& difference);
