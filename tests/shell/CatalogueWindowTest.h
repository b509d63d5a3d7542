#pragma once

#include "MainWindowTest.h"

#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "support/DatabaseFactory.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

// CLIENTE <- PEDIDO <- ITEM (ITEM references the middle table only), CATEGORIA references
// itself, and AVULSA stands alone. The source lists them in name order.
inline const QString Vendas = QStringLiteral(
    "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY);"
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY, CLIENTE_ID INTEGER REFERENCES CLIENTE (ID));"
    "CREATE TABLE ITEM (ID INTEGER NOT NULL, PEDIDO_ID INTEGER REFERENCES PEDIDO (ID));"
    "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES CATEGORIA (ID));"
    "CREATE TABLE AVULSA (ID INTEGER);");

// The source holds one client more than the destination: CLIENTE is not copied yet.
inline const QString UmCliente = QStringLiteral("INSERT INTO CLIENTE VALUES (1);");

class CatalogueWindow : public MainWindowTest {
protected:
    ~CatalogueWindow() override {
        window.TreeView->clear();
        window.TreeViewDelecao->clear();
        ListaTabelas.Clear();
        EsperarDependencias = true;
        CopiarReferenciasCirculares = false;
    }

    void Connect(const QString& origemDdl, const QString& destinoDdl, const QString& origemRows = {}) {
        origem = databases.Create(QStringLiteral("origem"), origemDdl);
        destino = databases.Create(QStringLiteral("destino"), destinoDdl);
        if (!origemRows.isEmpty()) DatabaseFactory::Execute(origem, origemRows);
        Reconnect();
    }

    void Reconnect() {
        window.edtCaminhoOrigem->setText(origem);
        window.edtCaminhoDestino->setText(destino);
        window.btnConecta->click();
    }

    // Every node of a tree, children indented by two blanks.
    static QStringList Shape(const QTreeWidget* tree) {
        QStringList shape;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* root = tree->topLevelItem(i);
            shape << root->text(0);
            for (int j = 0; j < root->childCount(); ++j) shape << QStringLiteral("  ") + root->child(j)->text(0);
        }
        return shape;
    }

    static QTreeWidgetItem* Root(const QTreeWidget* tree, const QString& name) {
        const auto found = tree->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    static QTreeWidgetItem* Child(const QTreeWidget* tree, const QString& root, const QString& child) {
        QTreeWidgetItem* parent = Root(tree, root);
        for (int i = 0; parent && i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == child) return parent->child(i);
        return nullptr;
    }

    // A right click, as the mouse delivers it to the tree's viewport.
    void RightClick(QTreeWidget* tree, const QPoint& pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(tree->viewport(), &event);
    }

    void RightClick(QTreeWidget* tree, QTreeWidgetItem* node) {
        ASSERT_NE(node, nullptr);
        if (node->parent()) node->parent()->setExpanded(true);
        tree->scrollToItem(node);
        RightClick(tree, tree->visualItemRect(node).center());
    }

    // Right-clicks the node and picks an item of the menu that shows.
    void Choose(QTreeWidget* tree, QTreeWidgetItem* node, QAction* item) {
        RightClick(tree, node);
        ASSERT_TRUE(window.PopupMenuTabelas->isVisible());
        item->trigger();
        window.PopupMenuTabelas->close();
    }

    void ShowTab(QWidget* tab) { window.PageControlTabelas->setCurrentWidget(tab); }

    static TTabela* Tabela(const char* name) { return ListaTabelas.TableByName(QString::fromLatin1(name)); }

    QStringList Errors() const {
        QStringList texts;
        for (const auto& message : dialogs.messages) texts << message.text;
        return texts;
    }

    DatabaseFactory databases;
    QString origem;
    QString destino;
};
