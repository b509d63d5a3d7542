#pragma once

#include <QList>
#include <QString>

class QModelIndex;
class QTreeWidget;
class QTreeWidgetItem;
class TTabela;

// The column of a node that shows its table's row counts; the name and the icons are in column 0.
inline constexpr int RowCountsColumn = 1;

// The table record a node of the selection or cleanup tree shows; nullptr for a dependence
// the catalogue does not hold.
TTabela* NodeTable(const QTreeWidgetItem* node);
TTabela* NodeTable(const QModelIndex& index);

// A root node at the end of the tree, or a child at the end of parent's children.
QTreeWidgetItem* AddTableNode(QTreeWidget& tree, const QString& text, TTabela* tabela);
QTreeWidgetItem* AddTableNode(QTreeWidgetItem& parent, const QString& text, TTabela* tabela);

// The table of every node, in the tree's flat order: each root node followed by its children.
QList<TTabela*> NodeTablesInOrder(const QTreeWidget& tree);
