#pragma once

#include "catalogue/StructureComparison.h"

#include <QDialog>
#include <QList>

class QTreeWidget;

// Asks before an import whether to copy despite the differences between the two structures:
// lists them grouped by table, source and destination types side by side with what the copy
// does about each, and asks "Continuar assim mesmo?". "Sim" accepts; "Não", the default, and
// closing the dialog reject.
class StructureDifferencesDialog : public QDialog {
public:
    StructureDifferencesDialog(const QList<StructureDifference>& differences, QWidget* parent);

    QTreeWidget* Differences;   // one node per table, one child per column
};
