#include "TFEstruturaTabela.h"

#include "HexBytes.h"
#include "RelationFields.h"
#include "UpdateFlagDelegate.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/DisabledWhileRunning.h"
#include "platform/EDatabaseError.h"
#include "platform/ErrorGuard.h"
#include "platform/SqlNames.h"
#include "platform/TImageList.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Each reason the server gave, under the columns it refused for it.
QString RefusalText(const std::vector<std::pair<QString, QStringList>>& refused) {
    QStringList blocks;
    for (const auto& [reason, columns] : refused)
        blocks << QStringLiteral("Campos: ") + columns.join(QStringLiteral(", ")) + QStringLiteral("\nMotivo: ") + reason;
    return QStringLiteral("O servidor recusou a gravação destes campos, e as alterações deles não foram gravadas: "
                          "ficam pendentes só até esta janela ser fechada, e então são descartadas.\n\n") +
           blocks.join(QStringLiteral("\n\n"));
}

}  // namespace

TFEstruturaTabela::TFEstruturaTabela(TSQLConnection& source, const TImageList& images, QWidget* parent)
    : QDialog(parent), SQLDSRELATION_FIELDS(&source) {
    setWindowTitle(QStringLiteral("Alterar Estrutura Tabela"));
    // The main window's font, as every other part of it.
    setAttribute(Qt::WA_WindowPropagation);

    lblTabela = new QLabel(this);
    QFont title = font();
    title.setPixelSize(21);
    title.setBold(true);
    lblTabela->setFont(title);
    QPalette red = lblTabela->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblTabela->setPalette(red);
    lblTabela->setAlignment(Qt::AlignCenter);
    lblTabela->setFixedHeight(25);

    BuildGrid(images);
    BuildBottom();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblTabela);
    layout->addWidget(DBGridTabela, 1);
    layout->addWidget(dbmCampoCalculado);
    layout->addWidget(Panel1);
    Wire();

    resize(648, 514);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFEstruturaTabela::BuildGrid(const TImageList& images) {
    DBGridTabela = new QTableView(this);
    DBGridTabela->setAccessibleName(QStringLiteral("Campos da tabela"));
    DBGridTabela->setModel(&DSRELATION_FIELDS);
    DBGridTabela->setItemDelegateForColumn(RelationFieldsModel::FlagColumn, new UpdateFlagDelegate(images, DBGridTabela));
    DBGridTabela->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridTabela->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridTabela->verticalHeader()->hide();
    DBGridTabela->horizontalHeader()->setStretchLastSection(false);
    DBGridTabela->setColumnWidth(RelationFieldsModel::NameColumn, 350);
    DBGridTabela->setColumnWidth(RelationFieldsModel::FlagColumn, 120);
    DBGridTabela->verticalHeader()->setMinimumSectionSize(TImageList::Size + 2);
    DBGridTabela->installEventFilter(this);
    editing_ = DBGridTabela->editTriggers();
}

void TFEstruturaTabela::BuildBottom() {
    dbmCampoCalculado = new QPlainTextEdit(this);
    dbmCampoCalculado->setAccessibleName(QStringLiteral("Expressão compilada do campo calculado"));
    dbmCampoCalculado->setReadOnly(true);
    dbmCampoCalculado->setFixedHeight(60);
    dbmCampoCalculado->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dbmCampoCalculado->hide();

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFixedHeight(45);
    btnSalvar = new QPushButton(QStringLiteral("Salvar Alterações"), Panel1);
    btnSalvar->setAccessibleName(btnSalvar->text());
    btnSalvar->setFlat(true);
    btnSalvar->setFixedSize(150, 35);
    // Enter in the grid must not save behind the user's back.
    btnSalvar->setAutoDefault(false);
    auto* layout = new QHBoxLayout(Panel1);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(btnSalvar);
    layout->addStretch(1);
}

void TFEstruturaTabela::Wire() {
    const auto guarded = [this](void (TFEstruturaTabela::*handler)()) {
        return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    WireCommand(btnSalvar, this, [this] { btnSalvarClick(); });
    connect(DBGridTabela, &QTableView::clicked, this,
            [this](const QModelIndex& index) { RunGuarded([&] { DBGridTabelaCellClick(index); }); });
    connect(DBGridTabela->selectionModel(), &QItemSelectionModel::currentColumnChanged, this,
            guarded(&TFEstruturaTabela::DBGridTabelaColEnter));
    connect(DBGridTabela->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { RunGuarded([&] { FollowGrid(current); }); });
    CDSRELATION_FIELDS.AfterScroll = [this] {
        CDSRELATION_FIELDSAfterScroll();
        FollowDataSet();
    };
    CDSRELATION_FIELDS.OnReconcileError = [this](TClientDataSet& rows, const EDatabaseError& error, TUpdateKind,
                                                 TReconcileAction& action) {
        const QString column = StoredName(rows.FieldByName(RelationFields::FieldName)->AsString());
        auto same = std::find_if(refused_.begin(), refused_.end(), [&](const auto& r) { return r.first == error.Message(); });
        if (same == refused_.end()) same = refused_.insert(refused_.end(), {error.Message(), {}});
        same->second << column;
        action = TReconcileAction::raSkip;
    };
}

void TFEstruturaTabela::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown by an opener that loaded the list already, or shown again by the system.
    if (event->spontaneous() || CDSRELATION_FIELDS.Active()) return;
    // Closed once the show is over: a dialog closed while it is being shown stays open.
    if (!RunGuarded([this] { FormShow(); })) QTimer::singleShot(0, this, &QDialog::reject);
}

void TFEstruturaTabela::FormShow() {
    CDSRELATION_FIELDS.Close();
    SQLDSRELATION_FIELDS.SetCommandText(RelationFields::Query(NomeTabela));
    OpenColumns();
    // The name and the table find the row the flag is written to.
    for (const QString& key : {RelationFields::FieldName, RelationFields::RelationName})
        CDSRELATION_FIELDS.FieldByName(key)->ProviderFlags |= pfInKey;
    DSRELATION_FIELDS.Reload();
    lblTabela->setText(NomeTabela);
    lblTabela->setAccessibleName(QStringLiteral("Tabela ") + NomeTabela);
}

void TFEstruturaTabela::OpenColumns() {
    if (!ReadSource) return CDSRELATION_FIELDS.Open();
    // The move to the first row shows it in widgets: here, once the read is over.
    const std::function<void()> scrolled = std::exchange(CDSRELATION_FIELDS.AfterScroll, nullptr);
    const auto restored = qScopeGuard([&] { CDSRELATION_FIELDS.AfterScroll = scrolled; });
    ReadSource([this] { CDSRELATION_FIELDS.Open(); });
    if (scrolled && !CDSRELATION_FIELDS.Eof()) scrolled();
}

void TFEstruturaTabela::DBGridTabelaCellClick(const QModelIndex& index) {
    if (!index.isValid() || index.column() != RelationFieldsModel::FlagColumn) return;
    if (CDSRELATION_FIELDS.RecNo() != index.row()) CDSRELATION_FIELDS.SetRecNo(index.row());
    CDSRELATION_FIELDS.Edit();
    TField* flag = CDSRELATION_FIELDS.FieldByName(RelationFields::UpdateFlag);
    flag->SetAsInteger((flag->AsInteger() ^ 1) & 127);
    CDSRELATION_FIELDS.Post();
    DSRELATION_FIELDS.RefreshCurrent();
}

void TFEstruturaTabela::DBGridTabelaColEnter() {
    const bool flag = DBGridTabela->currentIndex().column() == RelationFieldsModel::FlagColumn;
    DBGridTabela->setEditTriggers(flag ? QAbstractItemView::NoEditTriggers : editing_);
}

void TFEstruturaTabela::CDSRELATION_FIELDSAfterScroll() {
    const TField* blr = CDSRELATION_FIELDS.FieldByName(RelationFields::ComputedBlr);
    dbmCampoCalculado->setPlainText(HexBytes(blr->Value().data));
    dbmCampoCalculado->setVisible(!blr->IsNull());
}

void TFEstruturaTabela::btnSalvarClick() {
    refused_.clear();
    {
        BusyCursor busy;
        CDSRELATION_FIELDS.ApplyUpdates(-1);
    }
    // Saying nothing here would pass a refused save off as done.
    if (!refused_.empty()) Dialogs().MessageBox(RefusalText(refused_), QStringLiteral("Atenção"), MB_ICONWARNING);
}

void TFEstruturaTabela::FollowGrid(const QModelIndex& current) {
    if (current.isValid() && CDSRELATION_FIELDS.Active() && CDSRELATION_FIELDS.RecNo() != current.row())
        CDSRELATION_FIELDS.SetRecNo(current.row());
}

void TFEstruturaTabela::FollowDataSet() {
    const int row = CDSRELATION_FIELDS.RecNo();
    if (row >= DSRELATION_FIELDS.rowCount() || DBGridTabela->currentIndex().row() == row) return;
    const int column = qMax(0, DBGridTabela->currentIndex().column());
    DBGridTabela->setCurrentIndex(DSRELATION_FIELDS.index(row, column));
}

// Space on the flag does what a click does, so the flag can be switched without a mouse.
bool TFEstruturaTabela::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGridTabela && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        DBGridTabela->currentIndex().column() == RelationFieldsModel::FlagColumn) {
        RunGuarded([this] { DBGridTabelaCellClick(DBGridTabela->currentIndex()); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
