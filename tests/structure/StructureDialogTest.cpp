#include "StructureDialogTest.h"

#include "platform/TSQLDataSet.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

TEST_F(StructureDialog, ListsTheColumnsInNameOrderWithTheirFlags) {
    Show(QStringLiteral("ITEM"));

    QStringList names;
    for (int row = 0; row < Model().rowCount(); ++row) names << Model().index(row, RelationFieldsModel::NameColumn).data().toString();
    EXPECT_EQ(names, (QStringList{"DESCRICAO", "PRECO", "QUANTIDADE", "TOTAL"}));
    EXPECT_EQ(Shown("QUANTIDADE"), "1");
    EXPECT_EQ(Shown("TOTAL"), "0");
    EXPECT_EQ(dialog.lblTabela->text(), "ITEM");
    EXPECT_EQ(dialog.windowTitle(), "Alterar Estrutura Tabela");
    EXPECT_EQ(Model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Nome do Campo");
    EXPECT_EQ(Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Atualizar Campo");
    EXPECT_EQ(dialog.CDSRELATION_FIELDS.RecNo(), 0);
    EXPECT_EQ(dialog.DBGridTabela->currentIndex().row(), 0);
}

TEST_F(StructureDialog, ATableNameWithAQuoteListsItsColumns) {
    Show(QStringLiteral("D'AGUA"));

    ASSERT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(Name("NIVEL").data().toString(), "NIVEL");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StructureDialog, AClickOnTheFlagSwitchesItAndAClickOnTheNameDoesNot) {
    Show(QStringLiteral("ITEM"));

    Click(Flag("TOTAL"));
    EXPECT_EQ(Shown("TOTAL"), "1");
    Click(Flag("TOTAL"));
    EXPECT_EQ(Shown("TOTAL"), "0");
    Click(Flag("QUANTIDADE"));
    EXPECT_EQ(Shown("QUANTIDADE"), "0");
    Click(Name("PRECO"));
    EXPECT_EQ(Shown("PRECO"), "1");
    EXPECT_EQ(dialog.CDSRELATION_FIELDS.FieldByName("RDB$UPDATE_FLAG")->AsInteger(), 1);
}

// Flags no server of today writes, as an older catalogue may hold them.
TEST_F(StructureDialog, ANullFlagBecomesOneAndOtherValuesKeepTheirHighBits) {
    Show(QStringLiteral("ITEM"));
    Store("PRECO", std::nullopt);
    Store("DESCRICAO", 2);
    Store("QUANTIDADE", 200);
    EXPECT_EQ(Shown("PRECO"), "");

    Click(Flag("PRECO"));
    EXPECT_EQ(Shown("PRECO"), "1");
    Click(Flag("PRECO"));
    EXPECT_EQ(Shown("PRECO"), "0");
    Click(Flag("DESCRICAO"));
    EXPECT_EQ(Shown("DESCRICAO"), "3");
    Click(Flag("QUANTIDADE"));
    EXPECT_EQ(Shown("QUANTIDADE"), QString::number((200 ^ 1) & 127));
}

TEST_F(StructureDialog, SpaceOnTheFlagSwitchesItAsAClickDoes) {
    Show(QStringLiteral("ITEM"));
    dialog.DBGridTabela->setCurrentIndex(Flag("TOTAL"));

    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(dialog.DBGridTabela, &space);

    EXPECT_EQ(Shown("TOTAL"), "1");
}

TEST_F(StructureDialog, TheFlagCellNeverOpensAnEditor) {
    Show(QStringLiteral("ITEM"));

    dialog.DBGridTabela->setCurrentIndex(Flag("PRECO"));
    EXPECT_EQ(dialog.DBGridTabela->editTriggers(), QAbstractItemView::NoEditTriggers);
    dialog.DBGridTabela->setCurrentIndex(Name("PRECO"));
    EXPECT_NE(dialog.DBGridTabela->editTriggers(), QAbstractItemView::NoEditTriggers);
    dialog.DBGridTabela->setCurrentIndex(Flag("PRECO"));
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(dialog.DBGridTabela, &f2);
    EXPECT_TRUE(dialog.DBGridTabela->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty())
        << "an editor opened in the grid";
}

TEST_F(StructureDialog, AComputedColumnShowsItsCompiledExpressionInHexadecimal) {
    TSQLDataSet blr(&connection);
    blr.SetCommandText(QStringLiteral(
        "SELECT F.RDB$COMPUTED_BLR FROM RDB$RELATION_FIELDS R JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE"
        " WHERE R.RDB$RELATION_NAME = 'ITEM' AND R.RDB$FIELD_NAME = 'TOTAL'"));
    blr.Open();
    const QByteArray expression = blr.Fields(0)->Value().data;
    blr.Close();
    ASSERT_GT(expression.size(), 16) << "the expression should span more than one line";
    Show(QStringLiteral("ITEM"));

    EXPECT_FALSE(dialog.dbmCampoCalculado->isVisible()) << "the first row is a stored column";
    Click(Name("TOTAL"));
    EXPECT_TRUE(dialog.dbmCampoCalculado->isVisible());
    const QStringList lines = dialog.dbmCampoCalculado->toPlainText().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.size(), (expression.size() + 15) / 16);
    EXPECT_EQ(lines.first(), QString::fromLatin1(expression.left(16).toHex(' ').toUpper()));
    EXPECT_EQ(QByteArray::fromHex(lines.join(QLatin1Char(' ')).remove(QLatin1Char(' ')).toLatin1()), expression);

    dialog.DBGridTabela->setCurrentIndex(Name("QUANTIDADE"));
    EXPECT_FALSE(dialog.dbmCampoCalculado->isVisible());
}

TEST_F(StructureDialog, TheFlagIsDrawnAsItsImageHalfTheColumnIntoTheCell) {
    Show(QStringLiteral("ITEM"));
    Click(Flag("DESCRICAO"));
    Store("PRECO", 2);
    dialog.DBGridTabela->setCurrentIndex(Name("QUANTIDADE"));
    QApplication::processEvents();

    const QImage picture = dialog.DBGridTabela->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const auto shows = [&](const char* column, int image) {
        const QRect cell = dialog.DBGridTabela->visualRect(Flag(column));
        const QImage icon = images.Pixmap(image, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        const QPoint at(cell.left() + cell.width() / 2, cell.top() + 1);
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (qAlpha(icon.pixel(x, y)) == 255 && picture.pixel(at + QPoint(x, y)) != icon.pixel(x, y)) return false;
        return true;
    };
    EXPECT_TRUE(shows("DESCRICAO", 0));
    EXPECT_TRUE(shows("QUANTIDADE", 1));
    EXPECT_TRUE(shows("TOTAL", 0));
    EXPECT_FALSE(shows("PRECO", 0) || shows("PRECO", 1)) << "a flag of 2 has no image";
    // The number under the image is wiped: the cell of 2 holds its background alone.
    const QRect preco = dialog.DBGridTabela->visualRect(Flag("PRECO")).adjusted(2, 2, -2, -2);
    const QRgb background = picture.pixel(preco.topLeft());
    for (int y = preco.top(); y <= preco.bottom(); ++y)
        for (int x = preco.left(); x <= preco.right(); ++x) ASSERT_EQ(picture.pixel(x, y), background) << x << "," << y;
}

TEST_F(StructureDialog, AScreenReaderReadsTheColumnNameAndSimOrNao) {
    Show(QStringLiteral("ITEM"));
    Click(Flag("TOTAL"));
    Click(Flag("PRECO"));

    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(dialog.DBGridTabela);
    ASSERT_NE(grid, nullptr);
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    const auto read = [&](const char* column, int part) {
        return table->cellAt(Row(column), part)->text(QAccessible::Name);
    };
    EXPECT_EQ(read("PRECO", RelationFieldsModel::NameColumn), "PRECO");
    EXPECT_EQ(read("PRECO", RelationFieldsModel::FlagColumn), "Não");
    EXPECT_EQ(read("TOTAL", RelationFieldsModel::FlagColumn), "Sim");
    EXPECT_EQ(read("QUANTIDADE", RelationFieldsModel::FlagColumn), "Sim");
    for (QWidget* control : std::initializer_list<QWidget*>{dialog.lblTabela, dialog.DBGridTabela, dialog.dbmCampoCalculado, dialog.btnSalvar})
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
    EXPECT_EQ(dialog.btnSalvar->accessibleName(), "Salvar Alterações");
}

TEST_F(StructureDialog, ClosingWithoutSavingWritesNothing) {
    Show(QStringLiteral("ITEM"));
    Click(Flag("TOTAL"));
    Click(Flag("QUANTIDADE"));
    dialog.reject();
    dialog.CDSRELATION_FIELDS.Close();

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Catalogued("ITEM", "TOTAL"), "0");
    EXPECT_EQ(Catalogued("ITEM", "QUANTIDADE"), "1");
}

// Firebird 3 refuses every UPDATE of its column catalogue.
TEST_F(StructureDialog, ASaveTheServerRefusesNamesEachColumnAndSaysTheChangesAreLostOnClosing) {
    Show(QStringLiteral("ITEM"));
    Click(Flag("TOTAL"));
    Click(Flag("QUANTIDADE"));

    dialog.btnSalvar->click();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    const ScriptedDialogs::Message& refusal = dialogs.messages.front();
    EXPECT_EQ(refusal.caption, "Atenção");
    EXPECT_EQ(refusal.flags, MB_ICONWARNING);
    EXPECT_TRUE(refusal.text.contains("Campos: TOTAL, QUANTIDADE") || refusal.text.contains("Campos: QUANTIDADE, TOTAL"))
        << refusal.text.toStdString();
    EXPECT_TRUE(refusal.text.contains("UPDATE operation is not allowed for system table RDB$RELATION_FIELDS"))
        << refusal.text.toStdString();
    EXPECT_TRUE(refusal.text.contains("não foram gravadas") &&
                refusal.text.contains("pendentes só até esta janela ser fechada, e então são descartadas"))
        << refusal.text.toStdString();
    EXPECT_EQ(Shown("TOTAL"), "1");
    EXPECT_EQ(Shown("QUANTIDADE"), "0");
    EXPECT_EQ(dialog.CDSRELATION_FIELDS.ChangeCount(), 2);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Catalogued("ITEM", "TOTAL"), "0");
    EXPECT_EQ(Catalogued("ITEM", "QUANTIDADE"), "1");

    // Still pending: a second save tries them again.
    dialog.btnSalvar->click();
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(StructureDialog, AnErrorWhileLoadingIsShownAndClosesTheDialog) {
    connection.Close();
    dialog.NomeTabela = QStringLiteral("ITEM");
    // Should the dialog stay open, this ends the wait with a result of its own.
    QTimer::singleShot(5000, &dialog, [this] { dialog.done(99); });

    EXPECT_EQ(dialog.exec(), QDialog::Rejected);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().flags, MB_ICONSTOP);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
