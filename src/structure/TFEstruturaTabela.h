#pragma once

#include "RelationFieldsModel.h"
#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLDataSet.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class QFrame;
class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class TImageList;
class TSQLConnection;

// Lists the columns of one source table with their update flag ("Atualizar Campo"), switched
// by a click on its image, and writes the switched flags into the source's column catalogue
// on "Salvar Alterações". A computed column also shows its compiled expression. Changes not
// saved are dropped with the dialog.
class TFEstruturaTabela : public QDialog {
public:
    // source is the connection whose catalogue is read and written; images give the flag's
    // pictures (0 thumbs-down, 1 thumbs-up).
    TFEstruturaTabela(TSQLConnection& source, const TImageList& images, QWidget* parent = nullptr);

    QFrame* Panel1;
    TSQLDataSet SQLDSRELATION_FIELDS;
    TDataSetProvider DSPRELATION_FIELDS{&SQLDSRELATION_FIELDS};
    TClientDataSet CDSRELATION_FIELDS{&DSPRELATION_FIELDS};
    RelationFieldsModel DSRELATION_FIELDS{CDSRELATION_FIELDS, this};
    QLabel* lblTabela;
    QTableView* DBGridTabela;
    QPushButton* btnSalvar;
    QPlainTextEdit* dbmCampoCalculado;

    // The table whose columns are listed; set before the dialog is shown.
    QString NomeTabela;
    // Runs the read of the column list, on a thread of its own that touches no widget: the opener
    // makes it a step that "Parar" can give up, and loads the list before the dialog shows, since
    // a modal dialog keeps "Parar" out of reach. Unset, the read runs at once, when the dialog shows.
    std::function<void(const std::function<void()>&)> ReadSource;

    void FormShow();
    void DBGridTabelaCellClick(const QModelIndex& index);
    void DBGridTabelaColEnter();
    void btnSalvarClick();
    void CDSRELATION_FIELDSAfterScroll();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenColumns();
    void BuildGrid(const TImageList& images);
    void BuildBottom();
    void Wire();
    // Moves the dataset to the grid's current row, and the grid to the dataset's.
    void FollowGrid(const QModelIndex& current);
    void FollowDataSet();

    QAbstractItemView::EditTriggers editing_;
    // What the last save could not write: each reason the server gave, with its columns.
    std::vector<std::pair<QString, QStringList>> refused_;
};
