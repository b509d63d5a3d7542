#include "TableNodes.h"

#include "TTabela.h"

#include <QTreeWidget>

namespace {

QTreeWidgetItem* WithTable(QTreeWidgetItem* node, const QString& text, TTabela* tabela) {
    node->setText(0, text);
    node->setData(0, Qt::UserRole, QVariant::fromValue(tabela));
    return node;
}

}  // namespace

TTabela* NodeTable(const QTreeWidgetItem* node) {
    return node ? node->data(0, Qt::UserRole).value<TTabela*>() : nullptr;
}

TTabela* NodeTable(const QModelIndex& index) { return index.data(Qt::UserRole).value<TTabela*>(); }

QTreeWidgetItem* AddTableNode(QTreeWidget& tree, const QString& text, TTabela* tabela) {
    return WithTable(new QTreeWidgetItem(&tree), text, tabela);
}

QTreeWidgetItem* AddTableNode(QTreeWidgetItem& parent, const QString& text, TTabela* tabela) {
    return WithTable(new QTreeWidgetItem(&parent), text, tabela);
}

QList<TTabela*> NodeTablesInOrder(const QTreeWidget& tree) {
    QList<TTabela*> tables;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* root = tree.topLevelItem(i);
        tables << NodeTable(root);
        for (int j = 0; j < root->childCount(); ++j) tables << NodeTable(root->child(j));
    }
    return tables;
}
