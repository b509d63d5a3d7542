#pragma once

#include <QList>

class QWidget;
class TTabela;
struct CopyContext;

// Before an import writes anything: compares the columns the copy will copy, for every table given
// (those the import will reach: the marked ones and their dependences), between the two databases.
// With differences, lists them in the log and asks whether to go on, in a box over parent; false
// when the user says "Não". The tables the destination cannot take are kept in the context for
// their copy jobs to skip.
bool CheckStructures(QList<TTabela*> reached, QWidget* parent, CopyContext& context);

// A table the destination cannot take is left out with one line saying why: true when it is.
bool SkipsUncopyableTable(const TTabela& tabela, CopyContext& context);
