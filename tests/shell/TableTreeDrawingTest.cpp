#include "CatalogueWindowTest.h"

#include "support/QtPrinting.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <cstdlib>
#include <optional>

namespace {

class TableTreeDrawing : public CatalogueWindow {
protected:
    // The tree as the screen shows it, after the repaint of the refresh timer.
    QImage Picture(QTreeWidget* tree) {
        tree->expandAll();
        window.TimerAtualizaTimer();
        return tree->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }

    // Where an image of the list stands within a node's row: its opaque pixels, exactly.
    static std::optional<QPoint> Find(const QImage& picture, const TImageList& images, int index, const QRect& row) {
        const QImage icon = images.Pixmap(index, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = row.top(); y + icon.height() <= row.bottom() + 1; ++y)
            for (int x = row.left(); x + icon.width() <= row.right() + 1; ++x)
                if (Matches(picture, icon, x, y)) return QPoint(x, y);
        return std::nullopt;
    }

    static bool Matches(const QImage& picture, const QImage& icon, int x, int y) {
        for (int iy = 0; iy < icon.height(); ++iy)
            for (int ix = 0; ix < icon.width(); ++ix) {
                const QRgb pixel = icon.pixel(ix, iy);
                if (qAlpha(pixel) == 255 && picture.pixel(x + ix, y + iy) != pixel) return false;
            }
        return true;
    }

    // Which image of the list a row shows (the ticked box before the empty one, which it
    // contains); -1 when none.
    static int Shown(const QImage& picture, const TImageList& images, const QRect& row) {
        for (int index = images.Count() - 1; index >= 0; --index)
            if (Find(picture, images, index, row)) return index;
        return -1;
    }

    // How wide the dark pixels of an area spread: the ink of the text drawn there.
    static int InkWidth(const QImage& picture, const QRect& area) {
        int left = area.right() + 1;
        int right = area.left() - 1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(picture.pixel(x, y)) < 128) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
        return right - left + 1;
    }

    static QRect Row(QTreeWidget* tree, QTreeWidgetItem* node) { return tree->visualItemRect(node); }

    // The middle of an image of the list on a table's root node.
    QPoint Icon(QTreeWidget* tree, const char* name, const TImageList& images, int index) {
        const QImage picture = Picture(tree);   // before the row is read: the picture lays the rows out
        const auto found = Find(picture, images, index, Row(tree, Root(tree, name)));
        return found ? *found + QPoint(TImageList::Size / 2, TImageList::Size / 2) : QPoint(-1, -1);
    }

    // What the mouse resting on an image of a table's node is told.
    QString Hint(QTreeWidget* tree, const char* name, const TImageList& images, int index) {
        const QPoint pos = Icon(tree, name, images, index);
        QHelpEvent help(QEvent::ToolTip, pos, tree->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(tree->viewport(), &help);
        return QToolTip::text();
    }

    static void Click(QTreeWidget* tree, const QPoint& pos) {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, pos, tree->viewport()->mapToGlobal(pos), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(tree->viewport(), &event);
        }
    }

    static void PressSpace(QTreeWidget* tree) {
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(tree, &space);
    }
};

TEST_F(TableTreeDrawing, EachTableShowsItsMarkAndCopyStatusRightOfItsBoldName) {
    Connect(Vendas, Vendas, UmCliente);
    const QImage picture = Picture(window.TreeView);

    for (const char* name : {"AVULSA", "CLIENTE", "PEDIDO"}) {
        QTreeWidgetItem* node = Root(window.TreeView, name);
        const QRect row = Row(window.TreeView, node);
        const auto mark = Find(picture, window.ImageList, 0, row);
        const auto status = Find(picture, window.ImageList_Status, NodeTable(node)->Importada() ? 1 : 0, row);
        ASSERT_TRUE(mark && status) << name;
        EXPECT_EQ(status->x() - mark->x(), 15) << name;
        EXPECT_EQ(mark->y(), row.top()) << name;
        EXPECT_EQ(status->y(), row.top()) << name;
        const QFont regular = window.TreeView->font();
        QFont bold = regular;
        bold.setBold(true);
        const int textEnd = row.left() + QFontMetrics(bold).horizontalAdvance(node->text(0));
        EXPECT_GE(mark->x(), textEnd + 5) << name;
        EXPECT_LE(mark->x(), textEnd + 5 + 8) << name;
        // The name's ink is as wide as the bold name, not the regular one.
        const int ink = InkWidth(picture, QRect(row.left(), row.top(), mark->x() - row.left(), row.height()));
        const int boldInk = QFontMetrics(bold).tightBoundingRect(node->text(0)).width();
        const int regularInk = QFontMetrics(regular).tightBoundingRect(node->text(0)).width();
        EXPECT_LT(std::abs(ink - boldInk), std::abs(ink - regularInk)) << name << " ink " << ink;
    }
    EXPECT_EQ(Shown(picture, window.ImageList_Status, Row(window.TreeView, Root(window.TreeView, "CLIENTE"))), 0);
    EXPECT_EQ(Shown(picture, window.ImageList_Status, Row(window.TreeView, Root(window.TreeView, "PEDIDO"))), 1);
}

TEST_F(TableTreeDrawing, MarkingAChildNodeShowsTheMarkOnEveryNodeOfThatTable) {
    Connect(Vendas, Vendas);

    Choose(window.TreeView, Child(window.TreeView, "ITEM", "PEDIDO"), window.SomenteestaTabela1);
    const QImage picture = Picture(window.TreeView);

    EXPECT_EQ(Shown(picture, window.ImageList, Row(window.TreeView, Root(window.TreeView, "PEDIDO"))), 1);
    EXPECT_EQ(Shown(picture, window.ImageList, Row(window.TreeView, Child(window.TreeView, "ITEM", "PEDIDO"))), 1);
    EXPECT_EQ(Shown(picture, window.ImageList, Row(window.TreeView, Root(window.TreeView, "ITEM"))), 0);
    EXPECT_EQ(Shown(picture, window.ImageList, Row(window.TreeView, Child(window.TreeView, "PEDIDO", "CLIENTE"))), 0);
}

TEST_F(TableTreeDrawing, TheCleanupTreeShowsTheCleanupMarkAndNoCopyStatus) {
    Connect(Vendas, Vendas, UmCliente);
    ShowTab(window.TabLimpeza);
    Choose(window.TreeViewDelecao, Root(window.TreeViewDelecao, "CLIENTE"), window.SomenteestaTabela1);
    const QImage picture = Picture(window.TreeViewDelecao);

    const QRect cliente = Row(window.TreeViewDelecao, Root(window.TreeViewDelecao, "CLIENTE"));
    EXPECT_EQ(Shown(picture, window.ImageList, cliente), 1);
    EXPECT_EQ(Shown(picture, window.ImageList, Row(window.TreeViewDelecao, Child(window.TreeViewDelecao, "CLIENTE", "PEDIDO"))), 0);
    EXPECT_EQ(Shown(picture, window.ImageList_Status, cliente), -1);
    EXPECT_EQ(Shown(picture, window.ImageList_Status, picture.rect()), -1);
}

TEST_F(TableTreeDrawing, ANodeWithoutARecordShowsItsNameAlone) {
    Connect(Vendas, Vendas);
    QTreeWidgetItem* fantasma = AddTableNode(*Root(window.TreeView, "AVULSA"), "FANTASMA", nullptr);
    const QImage picture = Picture(window.TreeView);

    const QRect row = Row(window.TreeView, fantasma);
    EXPECT_EQ(Shown(picture, window.ImageList, row), -1);
    EXPECT_EQ(Shown(picture, window.ImageList_Status, row), -1);
    EXPECT_EQ(Shown(picture, window.ImageList, Row(window.TreeView, Root(window.TreeView, "AVULSA"))), 0);
}

TEST_F(TableTreeDrawing, EveryNodeShowsItsTablesRowCountsAfterConnectingAndAfterACopy) {
    Connect(Vendas, Vendas,
            UmCliente + QStringLiteral("SET TERM ^ ; EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN"
                                       " WHILE (I < 1234) DO BEGIN INSERT INTO AVULSA VALUES (:I); I = I + 1; END END^"));
    for (QTreeWidget* tree : {window.TreeView, window.TreeViewDelecao}) {
        EXPECT_EQ(Root(tree, "CLIENTE")->text(1), QStringLiteral("1 → 0"));
        EXPECT_EQ(Root(tree, "AVULSA")->text(1), QStringLiteral("1.234 → 0"));
    }

    Tabela("CLIENTE")->SetChecked(true);
    Tabela("AVULSA")->SetChecked(true);
    window.btnImportar->click();
    window.TimerAtualizaTimer();
    EXPECT_EQ(Child(window.TreeView, "PEDIDO", "CLIENTE")->text(1), QStringLiteral("1 → 1"));
    EXPECT_EQ(Root(window.TreeViewDelecao, "CLIENTE")->text(1), QStringLiteral("1 → 1"));
    // Wider counts widen their column: none is cut.
    EXPECT_EQ(Root(window.TreeView, "AVULSA")->text(1), QStringLiteral("1.234 → 1.234"));
    EXPECT_GE(window.TreeView->columnWidth(1), window.TreeView->fontMetrics().horizontalAdvance(QStringLiteral("1.234 → 1.234")));
}

TEST_F(TableTreeDrawing, EachIconSaysWhatItShowsWhenTheMouseRestsOnIt) {
    Connect(Vendas, Vendas, UmCliente);
    Choose(window.TreeView, Root(window.TreeView, "PEDIDO"), window.EstaTabelaetodasassuasdependncias1);

    EXPECT_EQ(Hint(window.TreeView, "PEDIDO", window.ImageList, 1), QStringLiteral("Marcada para importar"));
    EXPECT_EQ(Hint(window.TreeView, "CLIENTE", window.ImageList, 1),
              QStringLiteral("Marcada para importar, à espera: é copiada junto com a tabela que a referencia"));
    EXPECT_EQ(Hint(window.TreeView, "CLIENTE", window.ImageList_Status, 0),
              QStringLiteral("Não importada: origem e destino têm números de registros diferentes"));
    EXPECT_EQ(Hint(window.TreeView, "PEDIDO", window.ImageList_Status, 1),
              QStringLiteral("Importada: origem e destino têm o mesmo número de registros"));

    ShowTab(window.TabLimpeza);
    Choose(window.TreeViewDelecao, Root(window.TreeViewDelecao, "ITEM"), window.SomenteestaTabela1);
    dialogs.AnswerQuestion(IDYES);
    window.btnEfetuarLimpeza->click();
    EXPECT_EQ(Hint(window.TreeViewDelecao, "ITEM", window.ImageList, 1),
              QStringLiteral("Marcada para a limpeza; já esvaziada: a limpeza não a esvazia de novo até Atualizar Tabelas"));
}

TEST_F(TableTreeDrawing, AClickOnAMarkOrSpaceTogglesThatTableAloneAsTheMenuDoes) {
    Connect(Vendas, Vendas);

    Click(window.TreeView, Icon(window.TreeView, "PEDIDO", window.ImageList, 0));
    EXPECT_TRUE(Tabela("PEDIDO")->Checked());
    EXPECT_FALSE(Tabela("CLIENTE")->Checked());
    EXPECT_EQ(window.TreeView->currentItem(), Root(window.TreeView, "PEDIDO"));
    PressSpace(window.TreeView);
    EXPECT_FALSE(Tabela("PEDIDO")->Checked());
    // Beside the mark, a click only selects.
    Click(window.TreeView, Row(window.TreeView, Root(window.TreeView, "AVULSA")).topLeft() + QPoint(4, 4));
    EXPECT_EQ(window.TreeView->currentItem(), Root(window.TreeView, "AVULSA"));
    EXPECT_FALSE(Tabela("AVULSA")->Checked());

    ShowTab(window.TabLimpeza);
    window.TreeViewDelecao->setCurrentItem(Child(window.TreeViewDelecao, "CLIENTE", "PEDIDO"));
    PressSpace(window.TreeViewDelecao);
    EXPECT_TRUE(Tabela("PEDIDO")->CheckedDelete()) << "the cleanup tree toggles its own mark";
    EXPECT_FALSE(Tabela("PEDIDO")->Checked());
}

}  // namespace
