#include "TFPrincipal.h"

#include "ActivityLogFile.h"
#include "ProgramFiles.h"
#include "WindowSettings.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/ActivityLogView.h"
#include "catalogue/CatalogueTrees.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableMarking.h"
#include "catalogue/TableNodes.h"
#include "copy/DataVerification.h"
#include "copy/ImportRun.h"
#include "copy/ResumeByKey.h"
#include "copy/RunControl.h"
#include "copy/RunFailure.h"
#include "copy/WaitRun.h"
#include "maintenance/DestinationMaintenance.h"
#include "platform/Application.h"
#include "platform/DatabaseIdentity.h"
#include "platform/Dialogs.h"
#include "platform/DisabledWhileRunning.h"
#include "platform/ECriticalError.h"
#include "platform/ErrorGuard.h"
#include "platform/Exception.h"
#include "platform/TerminationRequest.h"
#include "structure/TFEstruturaTabela.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScopeGuard>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace {

const QString OpenDialogFilter = QStringLiteral(
    "Arquivo Firebird (.fdb)|*.fdb|Arquivo Interbase (.gdb)|*.gdb|Todos os Arquivos (*.*)|*.*");

// A connection not made by then is said in the status line, with what "Parar" does.
constexpr qint64 ConnectingShownAfterMs = 2000;

QFrame* NewPanel(const QString& name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

// A panel's row of buttons, left to right, with room after them for what the panel adds.
QHBoxLayout* ButtonRow(QWidget* panel, int verticalMargin, std::initializer_list<QWidget*> buttons) {
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, verticalMargin, 6, verticalMargin);
    for (QWidget* button : buttons) layout->addWidget(button);
    layout->addSpacing(12);
    return layout;
}

// A button that shows only a picture: its hint is what a person hovering or a screen reader gets.
QToolButton* NewGlyphButton(const QIcon& glyph, const QString& hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(glyph);
    button->setIconSize(QSize(TImageList::Size, TImageList::Size));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAutoRaise(true);
    return button;
}

QLineEdit* NewPathField(const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(name);
    return field;
}

QTreeWidget* NewTree(const QString& name, QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setAccessibleName(name);
    return tree;
}

QIcon StandardIcon(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

}  // namespace

TFPrincipal::TFPrincipal(QWidget* parent) : QMainWindow(parent), ProgramFolder(ExecutableFolder()) {
    setWindowTitle(QStringLiteral("Vendrasol de Dados"));
    if (QFontDatabase::families().contains(QStringLiteral("Verdana"))) {
        QFont verdana(QStringLiteral("Verdana"));
        verdana.setPointSizeF(font().pointSizeF());
        setFont(verdana);
    }

    setCentralWidget(new QWidget(this));
    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Made from top to bottom, so that Tab goes through the controls in that order.
    layout->addWidget(BuildCommandPanel());
    layout->addWidget(BuildPathPanel());
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(BuildTablePages());
    splitter_->addWidget(BuildClientPages());
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({330, 478});
    layout->addWidget(splitter_, 1);
    layout->addWidget(BuildStatusPanel());
    BuildPopupMenu();

    TimerAtualiza = new QTimer(this);
    TimerAtualiza->setInterval(1000);
    Wire(TimerAtualiza, &QTimer::timeout, &TFPrincipal::TimerAtualizaTimer);
    TimerAtualiza->start();

    FillWorkspace();
    BuildCatalogue();
    BuildImport();
    WireMaintenance();

    resize(808, 634);
    // Below this the fields and trees would be too narrow to read; a larger font asks for more.
    setMinimumSize(minimumSizeHint().expandedTo(QSize(800, 600)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFPrincipal::~TFPrincipal() {
    // The window may have been closed in the middle of a long command; what that command
    // logged after the close still belongs in the file. No box now: nobody is left to answer it
    // (without a display it would wait for ever), and the close said it already.
    try {
        if (logFile_) logFile_->Flush();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vendrasol: %s\n", ErrorMessage(error).toLocal8Bit().constData());
    }
    CloseActivityLog();
}

template <typename Signal, typename Sender>
void TFPrincipal::Wire(Sender* sender, Signal signal, void (TFPrincipal::*handler)()) {
    connect(sender, signal, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
}

QWidget* TFPrincipal::BuildCommandPanel() {
    Panel1 = NewPanel(QStringLiteral("Panel1"), this);
    btnDesabilitarTrigger = new QPushButton(QStringLiteral("Desabilitar Triggers"), Panel1);
    btnHabilitarTrigger = new QPushButton(QStringLiteral("Habilitar Triggers"), Panel1);
    btnGenerators = new QPushButton(QStringLiteral("Generators"), Panel1);
    btnHelp = NewGlyphButton(StandardIcon(QStyle::SP_MessageBoxQuestion), QStringLiteral("Ajuda"), Panel1);
    btnParar = new QPushButton(QStringLiteral("Parar"), Panel1);
    btnPausar = new QPushButton(QStringLiteral("Pausar"), Panel1);
    lblTriggersDesativadas = new QLabel(QStringLiteral("Triggers do destino desativadas"), Panel1);
    QPalette red = lblTriggersDesativadas->palette();
    red.setColor(QPalette::WindowText, QColor(0xC6, 0x28, 0x28));
    lblTriggersDesativadas->setPalette(red);
    QFont bold = lblTriggersDesativadas->font();
    bold.setBold(true);
    lblTriggersDesativadas->setFont(bold);
    lblTriggersDesativadas->hide();
    Wire(btnHelp, &QToolButton::clicked, &TFPrincipal::btnHelpClick);

    QHBoxLayout* layout = ButtonRow(Panel1, 4, {btnDesabilitarTrigger, btnHabilitarTrigger, btnGenerators, btnHelp});
    layout->addWidget(lblTriggersDesativadas);
    layout->addStretch(1);
    layout->addWidget(btnParar);
    layout->addWidget(btnPausar);
    return Panel1;
}

QWidget* TFPrincipal::BuildPathPanel() {
    Panel2 = NewPanel(QStringLiteral("Panel2"), this);
    Label6 = new QLabel(QStringLiteral("Origem"), Panel2);
    edtCaminhoOrigem = NewPathField(QStringLiteral("Origem"), Panel2);
    btnCaminhoOrigem = NewGlyphButton(StandardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("Escolher o banco de origem"), Panel2);
    Label7 = new QLabel(QStringLiteral("Destino"), Panel2);
    edtCaminhoDestino = NewPathField(QStringLiteral("Destino"), Panel2);
    btnCaminhoDestino = NewGlyphButton(StandardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("Escolher o banco de destino"), Panel2);
    btnConecta = new QPushButton(QStringLiteral("Conectar"), Panel2);
    btnImportar = new QPushButton(QStringLiteral("Importar Dados"), Panel2);
    btnVerificar = new QPushButton(QStringLiteral("Verificar Dados"), Panel2);
    rdgSync = new TRadioGroup(QStringLiteral(" Método de Sincronização "),
                              {QStringLiteral("No Synchronization"), QStringLiteral("Mutex"), QStringLiteral("Semaphore")}, Panel2);
    rdgSync->SetItemIndex(2);
    Label6->setBuddy(edtCaminhoOrigem);
    Label7->setBuddy(edtCaminhoDestino);

    Wire(btnCaminhoOrigem, &QToolButton::clicked, &TFPrincipal::btnCaminhoOrigemClick);
    Wire(btnCaminhoDestino, &QToolButton::clicked, &TFPrincipal::btnCaminhoDestinoClick);
    WireCommand(btnConecta, this, [this] { btnConectaClick(); });
    for (QLineEdit* field : {edtCaminhoOrigem, edtCaminhoDestino})
        connect(field, &QLineEdit::returnPressed, btnConecta, &QPushButton::click);

    auto* layout = new QGridLayout(Panel2);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(Label6, 0, 0);
    layout->addWidget(edtCaminhoOrigem, 0, 1);
    layout->addWidget(btnCaminhoOrigem, 0, 2);
    layout->addWidget(btnConecta, 0, 3);
    layout->addWidget(Label7, 1, 0);
    layout->addWidget(edtCaminhoDestino, 1, 1);
    layout->addWidget(btnCaminhoDestino, 1, 2);
    layout->addWidget(btnImportar, 1, 3);
    layout->addWidget(btnVerificar, 1, 4);
    layout->addWidget(rdgSync, 0, 5, 2, 1);
    layout->setColumnStretch(1, 1);
    return Panel2;
}

QWidget* TFPrincipal::BuildTablePages() {
    Panel4 = NewPanel(QStringLiteral("Panel4"), this);
    PageControlTabelas = new QTabWidget(Panel4);
    PageControlTabelas->setTabPosition(QTabWidget::West);

    TabSelecao = new QWidget;
    TreeView = NewTree(QStringLiteral("Seleção"), TabSelecao);
    (new QVBoxLayout(TabSelecao))->addWidget(TreeView);
    PageControlTabelas->addTab(TabSelecao, QStringLiteral("Seleção"));

    TabLimpeza = new QWidget;
    TreeViewDelecao = NewTree(QStringLiteral("Limpeza"), TabLimpeza);
    btnEfetuarLimpeza = new QPushButton(QStringLiteral("Efetuar Limpeza"), TabLimpeza);
    auto* cleanup = new QVBoxLayout(TabLimpeza);
    cleanup->addWidget(TreeViewDelecao, 1);
    cleanup->addWidget(btnEfetuarLimpeza);
    PageControlTabelas->addTab(TabLimpeza, QStringLiteral("Limpeza"));

    TabConfiguracao = new QWidget;
    cbbWaitDependence = new QCheckBox(QStringLiteral("Esperar Dependências?"), TabConfiguracao);
    cbbWaitDependence->setChecked(true);
    cbbCopiarReferenciasCirculares =
        new QCheckBox(QStringLiteral("Copiar referências circulares em duas etapas"), TabConfiguracao);
    cbbEnviarSomenteFaltantes = new QCheckBox(QStringLiteral("Enviar somente os registros que faltam"), TabConfiguracao);
    // Off with every new window, whatever an earlier one left.
    cbbEnviarSomenteFaltantesClick();
    Wire(cbbEnviarSomenteFaltantes, &QCheckBox::toggled, &TFPrincipal::cbbEnviarSomenteFaltantesClick);
    auto* settings = new QVBoxLayout(TabConfiguracao);
    settings->addWidget(cbbWaitDependence);
    settings->addWidget(cbbCopiarReferenciasCirculares);
    settings->addWidget(cbbEnviarSomenteFaltantes);
    settings->addStretch(1);
    PageControlTabelas->addTab(TabConfiguracao, QStringLiteral("Configurações"));

    auto* layout = new QVBoxLayout(Panel4);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(PageControlTabelas);
    return Panel4;
}

QWidget* TFPrincipal::BuildClientPages() {
    PageControl = new QTabWidget(this);
    PageControl->setTabPosition(QTabWidget::East);

    TabProgresso = new QWidget;
    ListView = new QTreeWidget(TabProgresso);
    ListView->setAccessibleName(QStringLiteral("Progresso"));
    ListView->setRootIsDecorated(false);
    ListView->setHeaderLabels({QStringLiteral("Tabela"), QStringLiteral("Progresso")});
    ListView->header()->setSectionsClickable(false);
    // The names take what they need, the bars the rest. A long chain of referenced tables opens
    // a row for each: rows of one height, and names measured in view, keep a new row cheap.
    ListView->setUniformRowHeights(true);
    ListView->header()->setResizeContentsPrecision(0);
    ListView->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ListView->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lblTotal = new QLabel(TabProgresso);
    lblTotal->setAccessibleName(QStringLiteral("Total"));
    // A narrow page wraps the line rather than cut the time left off.
    lblTotal->setWordWrap(true);
    auto* progress = new QVBoxLayout(TabProgresso);
    progress->addWidget(ListView, 1);
    progress->addWidget(lblTotal);
    PageControl->addTab(TabProgresso, QStringLiteral("Progresso"));

    TabLog = new QWidget;
    mmLog = new QPlainTextEdit(TabLog);
    mmLog->setAccessibleName(QStringLiteral("Log"));
    mmLog->setReadOnly(true);
    mmLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cbbSomenteErros = new QCheckBox(QStringLiteral("Somente erros"), TabLog);
    auto* log = new QVBoxLayout(TabLog);
    log->addWidget(cbbSomenteErros);
    log->addWidget(mmLog, 1);
    PageControl->addTab(TabLog, QStringLiteral("Log"));
    return PageControl;
}

QWidget* TFPrincipal::BuildStatusPanel() {
    Panel3 = NewPanel(QStringLiteral("Panel3"), this);
    btnUnCheckAll = NewGlyphButton(ImageList.Icon(0), QStringLiteral("Desmarcar Todos"), Panel3);
    btnCheckAll = NewGlyphButton(ImageList.Icon(1), QStringLiteral("Marcar Todos"), Panel3);
    btnAtualizar = NewGlyphButton(StandardIcon(QStyle::SP_BrowserReload), QStringLiteral("Atualizar Tabelas"), Panel3);
    btnEstruturaTabela = NewGlyphButton(StandardIcon(QStyle::SP_FileDialogDetailedView),
                                        QStringLiteral("Alterar estrutura da tabela - Campos que serão atualizados"), Panel3);
    lblStatus = new QLabel(QStringLiteral("lblStatus"), Panel3);
    Wire(btnEstruturaTabela, &QToolButton::clicked, &TFPrincipal::btnEstruturaTabelaClick);

    QHBoxLayout* layout = ButtonRow(Panel3, 2, {btnUnCheckAll, btnCheckAll, btnAtualizar, btnEstruturaTabela});
    layout->addWidget(lblStatus, 1);
    return Panel3;
}

void TFPrincipal::BuildPopupMenu() {
    PopupMenuTabelas = new QMenu(this);
    const auto item = [this](const QString& caption, int image) {
        return PopupMenuTabelas->addAction(ImageList.Icon(image), caption);
    };
    SomenteestaTabela1 = item(QStringLiteral("Somente esta Tabela"), 1);
    EstaTabelaetodasassuasdependncias1 = item(QStringLiteral("Esta Tabela e todas as suas dependências"), 1);
    N1 = PopupMenuTabelas->addSeparator();
    SomenteestaTabela2 = item(QStringLiteral("Somente esta Tabela"), 0);
    EstaTabelaetodasassuasdependncias2 = item(QStringLiteral("Esta Tabela e todas as suas dependências"), 0);
}

void TFPrincipal::FillWorkspace() {
    Lend(workspace);
    workspace.SyncItemIndex = [this] { return rdgSync->ItemIndex(); };
    workspace.SetStatus = [this](const QString& text) { lblStatus->setText(text); };
    workspace.SaveLog = [this] { WriteLog(); };
    workspace.PathsAsConnected = [this] { return connected_.StillNamedBy(edtCaminhoOrigem->text(), edtCaminhoDestino->text()); };
}

void TFPrincipal::BuildCatalogue() {
    const CatalogueControls controls{TreeView, TreeViewDelecao, PageControlTabelas, TabSelecao, TabLimpeza,
                                     PopupMenuTabelas, SomenteestaTabela1, EstaTabelaetodasassuasdependncias1,
                                     SomenteestaTabela2, EstaTabelaetodasassuasdependncias2, btnCheckAll,
                                     btnUnCheckAll, cbbWaitDependence, cbbCopiarReferenciasCirculares,
                                     &ImageList, &ImageList_Status};
    catalogue_ = std::make_unique<CatalogueTrees>(workspace, controls);
    new TableMarking(controls, this);
}

void TFPrincipal::BuildImport() {
    logView_ = std::make_unique<ActivityLogView>(mmLog);
    connect(cbbSomenteErros, &QCheckBox::toggled, this, [this](bool only) { logView_->SetOnlyErrors(only); });
    import_ = std::make_unique<ImportRun>(
        workspace,
        ImportControls{btnImportar, btnAtualizar, btnParar, btnPausar, TreeView, ListView, TimerAtualiza, logView_.get()},
        nullptr);
    import_->Context().overall.ShowIn(lblTotal);
    // The periodic refresh is off while an import runs: the counts a refresh took meanwhile show at once.
    connect(btnAtualizar, &QPushButton::clicked, this, [this] { RunGuarded([this] { TimerAtualizaTimer(); }); });
    verification_ = std::make_unique<DataVerification>(import_->Context(), VerificationControls{btnVerificar, TreeView}, nullptr);
}

void TFPrincipal::WireMaintenance() {
    maintenance_ = std::make_unique<DestinationMaintenance>(workspace, *TreeViewDelecao);
    maintenance_->OnTriggersLeftOff = [this](bool leftOff) { lblTriggersDesativadas->setVisible(leftOff); };
    WireCommand(btnEfetuarLimpeza, this, [this] { btnEfetuarLimpezaClick(); });
    WireCommand(btnDesabilitarTrigger, this, [this] { btnDesabilitarTriggerClick(); });
    WireCommand(btnHabilitarTrigger, this, [this] { btnHabilitarTriggerClick(); });
    WireCommand(btnGenerators, this, [this] { btnGeneratorsClick(); });
}

void TFPrincipal::btnEfetuarLimpezaClick() {
    workspace.RequirePathsAsConnected();
    import_->Commands().Run([this] { maintenance_->btnEfetuarLimpezaClick(); });
}

void TFPrincipal::btnDesabilitarTriggerClick() {
    workspace.RequirePathsAsConnected();
    import_->Commands().Run([this] { maintenance_->btnDesabilitarTriggerClick(); });
}

void TFPrincipal::btnHabilitarTriggerClick() {
    workspace.RequirePathsAsConnected();
    import_->Commands().Run([this] { maintenance_->btnHabilitarTriggerClick(); });
}

void TFPrincipal::cbbEnviarSomenteFaltantesClick() { EnviarSomenteFaltantes = cbbEnviarSomenteFaltantes->isChecked(); }

void TFPrincipal::btnGeneratorsClick() {
    workspace.RequirePathsAsConnected();
    import_->Commands().Run([this] { maintenance_->btnGeneratorsClick(); });
}

void TFPrincipal::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A window restored from the task bar is shown again by the system; that is not a new start.
    if (!event->spontaneous()) RunGuarded([this] { FormShow(); });
}

void TFPrincipal::closeEvent(QCloseEvent* event) {
    // One question at a time, the import's first. A termination signal asks nothing.
    const bool asking = !ClosingOnTermination();
    bool stopping = false;
    // The window closes inside the message handling of an import, a verification or a command on
    // the destination: it then stops at once and the program ends with it, rather than go on
    // unseen in the user's databases.
    if (import_->Running() || verification_->Running() || import_->Commands().Running()) {
        const QString question =
            import_->Running()         ? QStringLiteral("Há uma importação em andamento. Parar e sair?")
            : verification_->Running() ? QStringLiteral("Há uma verificação em andamento. Parar e sair?")
                                       : QStringLiteral("Há um comando em andamento no banco de destino. Parar e sair?");
        if (asking && Dialogs().MessageBox(question, windowTitle(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
            event->ignore();
            return;
        }
        import_->StopForClose();
        stopping = true;
    }
    // An import told to stop ends the program whatever happens to the triggers.
    if (asking && !TriggersOnBeforeLeaving(QStringLiteral("sair")) && !stopping) {
        event->ignore();
        return;
    }
    if (Settings) Settings->RememberWindow(*this);
    // A catalogue being read stops at once, as an import does.
    if (connecting_) Encerrando = true;
    closing_ = true;
    if (RunGuarded([this] { FormClose(); })) return event->accept();
    // The log could not be written, and the box said why: the window stays, and closing it again
    // tries once more. Nothing is ending after all.
    closing_ = false;
    Encerrando = false;
    event->ignore();
}

bool TFPrincipal::TriggersOnBeforeLeaving(const QString& leaving) {
    if (lblTriggersDesativadas->isHidden() ||
        Dialogs().MessageBox(QStringLiteral("As triggers do destino continuam desativadas. Ativá-las antes de %1?").arg(leaving),
                             windowTitle(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    // Those of the destination connected, whatever path the field shows now.
    RunGuarded([this] { import_->Commands().Run([this] { maintenance_->btnHabilitarTriggerClick(); }); });
    if (lblTriggersDesativadas->isHidden()) return true;
    // A program ending anyway (an import told to stop) may leave no box on the screen to say so.
    RegistrarLog(QStringLiteral("As triggers do destino continuam desativadas: \"Habilitar Triggers\" não foi concluído."));
    return false;
}

void TFPrincipal::FormShow() {
    OpenActivityLog();
    PageControl->setCurrentWidget(TabProgresso);
    PageControlTabelas->setCurrentWidget(TabSelecao);
    if (!logFile_) OpenLogFile();
}

void TFPrincipal::FormClose() {
    WriteLog();
    QApplication::quit();
}

void TFPrincipal::OpenLogFile() {
    const QString folder = LogFolder(ProgramFolder);
    logFile_ = std::make_unique<ActivityLogFile>(folder);
    // Lines logged while no file could be started are only those still held.
    for (const QString& line : ListaLog.Items()) logFile_->Write(line);
    SetActivityLogFile(logFile_->Path(), [file = logFile_.get()](const QString& line) { file->Write(line); });
    if (!logFile_->Moved().isEmpty())
        Dialogs().MessageBox(logFile_->Moved() + QStringLiteral(" O log é gravado em:\n") + logFile_->Path(), windowTitle(),
                             MB_ICONWARNING);
}

void TFPrincipal::WriteLog() {
    if (!LogAtivo) return;
    if (!logFile_) OpenLogFile();
    logFile_->Flush();
}

void TFPrincipal::SetStatus(const QString& text) {
    workspace.SetStatus(text);
    ProcessMessages();
}

void TFPrincipal::btnConectaClick() {
    // The destination connected is let go, and with it the red line of the triggers left off there,
    // even by a connect that fails.
    if (!RecordsGuard::Running() && !TriggersOnBeforeLeaving(QStringLiteral("conectar"))) return;
    // Connecting closes the connections and replaces every table record.
    RecordsGuard loading(RecordsGuard::Load);
    BusyCursor busy;
    connecting_ = true;
    const auto connected = qScopeGuard([this] { connecting_ = false; });
    try {
        Conectar();
    } catch (...) {
        Disconnect();
        // The window is gone: nobody is left to read why.
        if (closing_) return;
        throw;
    }
}

void TFPrincipal::Conectar() {
    if (edtCaminhoOrigem->text().compare(edtCaminhoDestino->text(), Qt::CaseInsensitive) == 0)
        ErroCritico(QStringLiteral("Caminhos devem ser diferentes!"));
    // The progress shown was of the pair connected before.
    ListView->clear();
    lblTotal->clear();

    OpenDatabase(SQLConnection, edtCaminhoOrigem->text(), QStringLiteral("Caminho de origem não conectado"));
    OpenDatabase(SQLConnectionDestino, edtCaminhoDestino->text(), QStringLiteral("Caminho de destino não conectado"));
    // The catalogue is read as an import reads: "Parar", or closing the window, gives up a server
    // that stops answering.
    ServerWait& waits = import_->Context().transaction.Waits();
    const WaitRun run(waits);
    try {
        LoadCatalogue();
        connected_.Remember(edtCaminhoOrigem->text(), edtCaminhoDestino->text(), SQLConnectionDestino.Remote());
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        RaiseRunFailure(failure, RunEnd::Of(waits));
        // The program is ending: the log was told.
        std::rethrow_exception(failure);
    }
}

void TFPrincipal::LoadCatalogue() {
    // Two spellings of one database would make the cleanup empty the source.
    bool same = false;
    workspace.OnDestination([&] { same = DatabaseIdentity::Of(SQLConnection) == DatabaseIdentity::Of(SQLConnectionDestino); });
    if (same) ErroCritico(QStringLiteral("Caminhos devem ser diferentes!"));
    if (Settings) Settings->RememberPaths(edtCaminhoOrigem->text(), edtCaminhoDestino->text());

    SetStatus(QStringLiteral("Conectado"));
    SetStatus(QStringLiteral("ListarTabelasDependencias"));
    catalogue_->ListarTabelasDependencias();
    SetStatus(QStringLiteral("ListarTabelasDependenciasDelecao"));
    catalogue_->ListarTabelasDependenciasDelecao();
    FitTablePages();
    maintenance_->ReportTriggerState();
}

void TFPrincipal::FitTablePages() {
    // Wider counts after a copy made the trees scroll sideways, cutting the counts off; the
    // progress keeps half of the window at least.
    int missing = 0;
    for (QTreeWidget* tree : {TreeView, TreeViewDelecao}) {
        for (int column = 0; column < tree->columnCount(); ++column) tree->resizeColumnToContents(column);
        missing = std::max(missing, tree->header()->length() - TreeView->viewport()->width());
    }
    QList<int> sizes = splitter_->sizes();
    const int grow = std::min(missing, sizes[1] - splitter_->width() / 2);
    if (grow <= 0) return;
    sizes[0] += grow;
    sizes[1] -= grow;
    splitter_->setSizes(sizes);
}

void TFPrincipal::Disconnect() noexcept {
    connected_.Forget();
    catalogue_->Clear();
    ListView->clear();
    // No destination is connected whose triggers could be off.
    lblTriggersDesativadas->hide();
    for (TSQLConnection* connection : {&SQLConnection, &SQLConnectionDestino}) {
        try {
            connection->Close();
        } catch (...) {
            // The connect's own error is the one to show; the connection is gone either way.
        }
    }
}

void TFPrincipal::OpenDatabase(TSQLConnection& connection, const QString& path, const QString& failure) {
    connection.Close();
    connection.Params.SetValue(QStringLiteral("DATABASE"), path);
    // A server that took the connection and does not answer holds the attach for minutes.
    QElapsedTimer waited;
    waited.start();
    bool told = false;
    PararProcesso = false;
    const auto ended = qScopeGuard([&] {
        PararProcesso = false;
        if (told && !connection.Connected()) SetStatus(failure);
    });
    connection.Open([&] {
        ProcessMessages();
        if (!told && waited.elapsed() >= ConnectingShownAfterMs) {
            told = true;
            SetStatus(QStringLiteral("Conectando a %1... Pressione \"Parar\" para desistir.").arg(path));
        }
        return !PararProcesso && !closing_;
    });
    if (!connection.Connected()) ErroCritico(failure);
    // Asked now that the server has just answered: an import begins by asking it.
    connection.Remote();
}

void TFPrincipal::PickDatabase(QLineEdit* field) {
    if (const auto chosen = Dialogs().OpenFileName(this, OpenDialogFilter)) field->setText(*chosen);
}

void TFPrincipal::btnCaminhoOrigemClick() { PickDatabase(edtCaminhoOrigem); }

void TFPrincipal::btnCaminhoDestinoClick() { PickDatabase(edtCaminhoDestino); }

void TFPrincipal::btnHelpClick() {
    const QString path = HelpFile(ProgramFolder);
    if (path.isEmpty()) return;
    QFile help(path);
    if (!help.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Exception(QStringLiteral("Não foi possível ler %1: %2").arg(help.fileName(), help.errorString()));
    Dialogs().MessageBox(QString::fromUtf8(help.readAll()), windowTitle(), MB_OK);
}

// Opens on the table selected in the selection tree, whichever tab is showing.
void TFPrincipal::btnEstruturaTabelaClick() {
    const QList<QTreeWidgetItem*> selected = TreeView->selectedItems();
    const TTabela* tabela = selected.isEmpty() ? nullptr : NodeTable(selected.first());
    if (!tabela) return;
    TFEstruturaTabela FEstruturaTabela(SQLConnection, ImageList_Status, this);
    FEstruturaTabela.NomeTabela = tabela->NomeTabela();
    // Loaded before it shows: a source that stops answering is given up on "Parar", out of reach
    // behind the modal dialog.
    FEstruturaTabela.ReadSource = [this](const std::function<void()>& work) { workspace.OnDestination(work); };
    import_->Commands().Run([&] { FEstruturaTabela.FormShow(); });
    Dialogs().ExecModal(FEstruturaTabela);
}

void TFPrincipal::TimerAtualizaTimer() {
    TreeView->viewport()->update();
    TreeViewDelecao->viewport()->update();
    if (catalogue_->ShowRowCounts()) FitTablePages();
    logView_->Refresh();
}
