#include "CatalogueWindowTest.h"

#include "structure/TFEstruturaTabela.h"

#include <QLabel>
#include <QTableView>
#include <QToolButton>

namespace {

class StructureDialogOpening : public CatalogueWindow {
protected:
    // Answers the dialog with what it shows: its table and its columns.
    void Watch() {
        dialogs.OnModal = [this](QDialog& shown) {
            auto& dialog = dynamic_cast<TFEstruturaTabela&>(shown);
            dialog.show();
            QApplication::processEvents();
            title = dialog.lblTabela->text();
            for (int row = 0; row < dialog.DSRELATION_FIELDS.rowCount(); ++row)
                columns << dialog.DSRELATION_FIELDS.index(row, RelationFieldsModel::NameColumn).data().toString();
            dialog.reject();
            return int(QDialog::Rejected);
        };
    }

    QString title;
    QStringList columns;
};

TEST_F(StructureDialogOpening, OpensOnTheSelectionTreesNodeFromTheCleanupTab) {
    Connect(Vendas, Vendas);
    window.TreeView->setCurrentItem(Child(window.TreeView, "ITEM", "PEDIDO"));
    ShowTab(window.TabLimpeza);
    window.TreeViewDelecao->setCurrentItem(Root(window.TreeViewDelecao, "CLIENTE"));
    Watch();

    window.btnEstruturaTabela->click();

    EXPECT_EQ(title, "PEDIDO");
    EXPECT_EQ(columns, (QStringList{"CLIENTE_ID", "ID"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StructureDialogOpening, WithoutASelectedTableNothingHappens) {
    Connect(Vendas, Vendas);
    window.btnEstruturaTabela->click();

    QTreeWidgetItem* fantasma = AddTableNode(*Root(window.TreeView, "AVULSA"), "FANTASMA", nullptr);
    window.TreeView->setCurrentItem(fantasma);
    window.btnEstruturaTabela->click();

    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
