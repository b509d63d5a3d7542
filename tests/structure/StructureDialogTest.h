#pragma once

#include "structure/TFEstruturaTabela.h"
#include "support/DatabaseFactory.h"
#include "support/ScriptedDialogs.h"

#include "platform/TImageList.h"
#include "platform/TSQLConnection.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableView>
#include <gtest/gtest.h>
#include <optional>

// ITEM has two stored columns and a computed one, listed out of name order; the name of
// D'AGUA holds a quote.
inline const QString Estrutura = QStringLiteral(
    "CREATE TABLE ITEM (QUANTIDADE INTEGER, PRECO NUMERIC(15,2), TOTAL COMPUTED BY (QUANTIDADE * PRECO),"
    " DESCRICAO VARCHAR(40));"
    "CREATE TABLE \"D'AGUA\" (NIVEL INTEGER);");

// The dialog on a source database of its own, shown as the opener shows it, every message
// answered by the test.
class StructureDialog : public testing::Test {
protected:
    StructureDialog() : origem(databases.Create(QStringLiteral("origem"), Estrutura)) {
        connection.Params.SetValue(QStringLiteral("Database"), origem);
        connection.Open();
    }

    void Show(const QString& tabela) {
        dialog.NomeTabela = tabela;
        dialog.show();
        QApplication::processEvents();
    }

    int Row(const QString& column) const {
        for (int row = 0; row < Model().rowCount(); ++row)
            if (Model().index(row, RelationFieldsModel::NameColumn).data() == column) return row;
        ADD_FAILURE() << "no row for " << column.toStdString();
        return -1;
    }

    QModelIndex Flag(const QString& column) const { return Model().index(Row(column), RelationFieldsModel::FlagColumn); }
    QModelIndex Name(const QString& column) const { return Model().index(Row(column), RelationFieldsModel::NameColumn); }

    // The flag the grid shows for a column; empty for NULL.
    QString Shown(const QString& column) const { return Flag(column).data().toString(); }

    // A click of the left button, as the mouse delivers it to the grid.
    void Click(const QModelIndex& index) {
        ASSERT_TRUE(index.isValid());
        QWidget* viewport = dialog.DBGridTabela->viewport();
        const QPoint at = dialog.DBGridTabela->visualRect(index).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
    }

    // Puts a flag into the dialog's rows, as a catalogue that an older server wrote may hold it.
    void Store(const char* column, const std::optional<int>& flag) {
        TClientDataSet& rows = dialog.CDSRELATION_FIELDS;
        rows.SetRecNo(Row(column));
        rows.Edit();
        if (flag)
            rows.FieldByName("RDB$UPDATE_FLAG")->SetAsInteger(*flag);
        else
            rows.FieldByName("RDB$UPDATE_FLAG")->Clear();
        rows.Post();
        dialog.DSRELATION_FIELDS.RefreshCurrent();
    }

    // The flag as the source's catalogue holds it.
    QString Catalogued(const QString& tabela, const QString& column) const {
        return DatabaseFactory::QueryValue(
            origem, QStringLiteral("SELECT RDB$UPDATE_FLAG FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '%1'"
                                   " AND RDB$FIELD_NAME = '%2'")
                        .arg(tabela, column));
    }

    const RelationFieldsModel& Model() const { return dialog.DSRELATION_FIELDS; }

    DatabaseFactory databases;
    QString origem;
    TSQLConnection connection;
    TImageList images = TImageList::Thumbs();
    ScriptedDialogs dialogs;
    TFEstruturaTabela dialog{connection, images};
};
