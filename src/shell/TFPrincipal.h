#pragma once

#include "catalogue/DataComponents.h"
#include "catalogue/Workspace.h"
#include "platform/TImageList.h"

#include "ConnectedPair.h"
#include "TRadioGroup.h"

// The components are the window's public face: whoever reaches one may use it whole.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

class ActivityLogFile;
class ActivityLogView;
class CatalogueTrees;
class DataVerification;
class ImportRun;
class WindowSettings;
class QSplitter;
class DestinationMaintenance;

// The main window: it owns the two connections and the shared working datasets (inherited,
// under their own names), the log view and the controls of every command. Components are
// public so the commands built elsewhere and the tests reach them.
class TFPrincipal : public QMainWindow, public DataComponents {
public:
    explicit TFPrincipal(QWidget* parent = nullptr);
    ~TFPrincipal() override;

    TImageList ImageList = TImageList::CheckBoxes();
    TImageList ImageList_Status = TImageList::Thumbs();

    QFrame* Panel1;
    QPushButton* btnDesabilitarTrigger;
    QPushButton* btnHabilitarTrigger;
    QPushButton* btnGenerators;
    QToolButton* btnHelp;
    QPushButton* btnParar;
    QPushButton* btnPausar;
    // Shown in red while triggers this program switched off are still off in the destination.
    QLabel* lblTriggersDesativadas;

    QFrame* Panel2;
    QLabel* Label6;
    QLineEdit* edtCaminhoOrigem;
    QToolButton* btnCaminhoOrigem;
    QLabel* Label7;
    QLineEdit* edtCaminhoDestino;
    QToolButton* btnCaminhoDestino;
    QPushButton* btnConecta;
    QPushButton* btnImportar;
    QPushButton* btnVerificar;
    TRadioGroup* rdgSync;

    QFrame* Panel3;
    QToolButton* btnUnCheckAll;
    QToolButton* btnCheckAll;
    QToolButton* btnAtualizar;
    QToolButton* btnEstruturaTabela;
    QLabel* lblStatus;

    QFrame* Panel4;
    QTabWidget* PageControlTabelas;
    QWidget* TabSelecao;
    QTreeWidget* TreeView;
    QWidget* TabLimpeza;
    QTreeWidget* TreeViewDelecao;
    QPushButton* btnEfetuarLimpeza;
    QWidget* TabConfiguracao;
    QCheckBox* cbbWaitDependence;
    QCheckBox* cbbCopiarReferenciasCirculares;
    QCheckBox* cbbEnviarSomenteFaltantes;

    QTabWidget* PageControl;
    QWidget* TabProgresso;
    QTreeWidget* ListView;
    // The line for the whole import, under the bars.
    QLabel* lblTotal;
    QWidget* TabLog;
    QCheckBox* cbbSomenteErros;
    QPlainTextEdit* mmLog;

    QTimer* TimerAtualiza;

    QMenu* PopupMenuTabelas;
    QAction* SomenteestaTabela1;
    QAction* EstaTabelaetodasassuasdependncias1;
    QAction* N1;
    QAction* SomenteestaTabela2;
    QAction* EstaTabelaetodasassuasdependncias2;

    // The commands of the copy: import, refresh, stop and pause.
    ImportRun* Import() const { return import_.get(); }
    // "Verificar Dados".
    DataVerification* Verification() const { return verification_.get(); }

    // What the lower folders borrow from this window.
    Workspace workspace;
    // The executable's folder, which locates the help file and the log file.
    QString ProgramFolder;
    // Where the paths that connect and the window's place are remembered; none when not set.
    WindowSettings* Settings = nullptr;

    void FormShow();
    void FormClose();
    void btnConectaClick();
    void btnCaminhoOrigemClick();
    void btnCaminhoDestinoClick();
    void btnHelpClick();
    void btnEstruturaTabelaClick();
    void TimerAtualizaTimer();
    void btnEfetuarLimpezaClick();
    void btnDesabilitarTriggerClick();
    void btnHabilitarTriggerClick();
    void btnGeneratorsClick();
    void cbbEnviarSomenteFaltantesClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildCommandPanel();
    QWidget* BuildPathPanel();
    QWidget* BuildTablePages();
    QWidget* BuildClientPages();
    QWidget* BuildStatusPanel();
    void BuildPopupMenu();
    void FillWorkspace();
    void BuildCatalogue();
    void BuildImport();
    void WireMaintenance();
    // Runs a handler of this window through the error guard when the signal fires.
    template <typename Signal, typename Sender>
    void Wire(Sender* sender, Signal signal, void (TFPrincipal::*handler)());

    // Before the window lets the destination go ("sair", "conectar"): asks to switch on the
    // triggers this program left off there, and does when told to; false when that failed, so that
    // the window stays as it is for the user to read why.
    bool TriggersOnBeforeLeaving(const QString& leaving);
    // Widens the table pages when the trees' names and counts do not fit them.
    void FitTablePages();
    void SetStatus(const QString& text);
    // Reopens a connection on a path; a connection that stays closed is the given failure. The
    // window handles its messages meanwhile, and "Parar" or closing it gives the opening up.
    void OpenDatabase(TSQLConnection& connection, const QString& path, const QString& failure);
    // The steps of "Conectar"; when one fails, Disconnect leaves no catalogue, no progress row
    // and no connection, so nothing of the pair connected before is taken for the new one.
    void Conectar();
    // Reads the tables of the two databases just connected into the trees.
    void LoadCatalogue();
    void Disconnect() noexcept;
    void PickDatabase(QLineEdit* field);
    void OpenLogFile();
    // Hands the log's lines to the system, starting the file when there is none yet.
    void WriteLog();

    ConnectedPair connected_;
    bool closing_ = false;   // the window accepted to close
    bool connecting_ = false;   // "Conectar" is under way
    QSplitter* splitter_;   // the table pages beside the progress and the log
    std::unique_ptr<CatalogueTrees> catalogue_;
    std::unique_ptr<ActivityLogFile> logFile_;
    std::unique_ptr<ActivityLogView> logView_;
    // Before the connections go: its transaction is on the destination.
    std::unique_ptr<ImportRun> import_;
    // Destroyed before the import, whose progress list and run control it borrows.
    std::unique_ptr<DataVerification> verification_;
    std::unique_ptr<DestinationMaintenance> maintenance_;
};
