#include "CopyWindow.h"

#include "catalogue/TableStateWording.h"
#include "platform/TerminationRequest.h"

#include <QFile>
#include <QProcess>
#include <csignal>

namespace {

const QString Grande = QStringLiteral(
    "CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));"
    "CREATE TABLE OUTRA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");

}  // namespace

using ImportRunTest = CopyWindow;

TEST_F(ImportRunTest, WithNothingMarkedNothingIsCopiedOrLoggedButTheTablesAreCountedAgain) {
    Connect(Vendas, Vendas);
    ASSERT_TRUE(Tabela("CLIENTE")->Importada());
    DatabaseFactory::Execute(origem, UmCliente);
    Import();
    EXPECT_TRUE(Log().isEmpty());
    EXPECT_EQ(DestinoCount("CLIENTE"), 0);
    EXPECT_FALSE(Tabela("CLIENTE")->Importada());
    EXPECT_TRUE(window.TimerAtualiza->isActive());
}

TEST_F(ImportRunTest, AMarkedTableWithEqualCountsIsSkippedWithItsDependences) {
    Connect(Vendas, Vendas, UmCliente);
    ASSERT_TRUE(Tabela("PEDIDO")->Importada());
    Mark("PEDIDO");
    Import();
    ASSERT_EQ(Log().size(), 2);
    // Said once, though the import reaches it twice: under ITEM and on its own node.
    EXPECT_EQ(Log()[0], QStringLiteral("PEDIDO: mesma quantidade de registros na origem e no destino (0): não copiada"));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 0, 0, 0).match(Log()[1]).hasMatch()) << Log();
    EXPECT_EQ(DestinoCount("CLIENTE"), 0);
}

TEST_F(ImportRunTest, AWaitingTableIsCopiedOnlyByATableThatNeedsIt) {
    Connect(Vendas, Vendas, UmCliente + QStringLiteral("INSERT INTO PEDIDO VALUES (10, 1);"));
    Mark("PEDIDO");
    Tabela("PEDIDO")->MarcarDependencias(true);
    ASSERT_TRUE(Tabela("CLIENTE")->Checked());
    ASSERT_TRUE(Tabela("CLIENTE")->WaitDependence());

    Tabela("PEDIDO")->SetChecked(false);
    Import();
    EXPECT_EQ(DestinoCount("CLIENTE"), 0);
    EXPECT_FALSE(Tabela("CLIENTE")->WaitDependence());   // the refresh cleared it

    Mark("PEDIDO");
    Tabela("PEDIDO")->MarcarDependencias(true);
    Import();
    EXPECT_EQ(DestinoCount("CLIENTE"), 1);
    EXPECT_EQ(DestinoCount("PEDIDO"), 1);
    EXPECT_EQ(Log().filter(QStringLiteral("Create(CLIENTE)")).size(), 1);
}

// The table it waits for has nothing to copy (equal counts): the waiting table is copied all the same.
TEST_F(ImportRunTest, ATableWaitingForOneWithEqualCountsIsStillCopied) {
    ConnectPair(Vendas, Vendas, QStringLiteral("INSERT INTO CLIENTE VALUES (1); INSERT INTO CLIENTE VALUES (2);"
                                               "INSERT INTO PEDIDO VALUES (10, 1);"),
                QStringLiteral("INSERT INTO CLIENTE VALUES (1); INSERT INTO PEDIDO VALUES (10, 1);"));
    Mark("PEDIDO");
    Tabela("PEDIDO")->MarcarDependencias(true);
    ASSERT_TRUE(Tabela("PEDIDO")->Importada());
    Import();
    EXPECT_EQ(DestinoCount("CLIENTE"), 2);
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 1, 1).match(Log().last()).hasMatch()) << Log();
}

TEST_F(ImportRunTest, ImportingAgainCopiesOnlyTablesWhoseCountsStillDifferAndLogsTheRowsAlreadyThere) {
    ConnectPair(Vendas, Vendas,
                QStringLiteral("INSERT INTO CLIENTE VALUES (1); INSERT INTO CLIENTE VALUES (2); INSERT INTO PEDIDO VALUES (10, 1);"),
                QStringLiteral("INSERT INTO CLIENTE VALUES (99);"));
    Mark("PEDIDO");
    Mark("CLIENTE");
    Import();
    EXPECT_EQ(DestinoCount("CLIENTE"), 3);
    EXPECT_TRUE(Tabela("PEDIDO")->Importada());
    EXPECT_FALSE(Tabela("CLIENTE")->Importada());

    const int before = int(Log().size());
    Import();
    const QStringList second = Log().mid(before);
    ASSERT_EQ(second.size(), 8) << second;
    EXPECT_EQ(second[0], QStringLiteral("Create(CLIENTE)"));
    EXPECT_EQ(second.filter(QStringLiteral("CLIENTE ERRO INSERIR violation of PRIMARY or UNIQUE KEY")).size(), 2);
    EXPECT_EQ(second.mid(3, 4), QStringList({"CDSOrigemCLIENTE", "CLIENTE: 2 lidos, 0 inseridos, 2 rejeitados",
                                             "Destroy(CLIENTE)",
                                             "PEDIDO: mesma quantidade de registros na origem e no destino (1): não copiada"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 0, 2).match(second[7]).hasMatch()) << second;
    EXPECT_EQ(DestinoCount("CLIENTE"), 3);
}

TEST_F(ImportRunTest, AStopEndsTheRunKeepsTheAppliedRowsAndStillRefreshes) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 5000) + ManyRows(QStringLiteral("OUTRA"), 10));
    Mark("GRANDE");
    Mark("OUTRA");
    WhenTheWindowListens([this] { window.btnParar->click(); });
    Import();
    EXPECT_EQ(DestinoCount("GRANDE"), 1);
    EXPECT_EQ(DestinoCount("OUTRA"), 0);
    EXPECT_FALSE(Tabela("GRANDE")->Importada());   // counted again after the stop
    EXPECT_TRUE(Summary(QStringLiteral("Importação interrompida"), 0, 1, 0).match(Log().last()).hasMatch()) << Log();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Processo Parado!"));
    EXPECT_EQ(dialogs.messages[0].flags, MB_ICONINFORMATION) << "the user's own stop is no error";
    EXPECT_TRUE(window.TimerAtualiza->isActive());
    // The interrupted job's row stays, said interrupted, its bar still; the next import clears it.
    ASSERT_EQ(window.ListView->topLevelItemCount(), 1);
    QTreeWidgetItem* row = window.ListView->topLevelItem(0);
    EXPECT_EQ(row->text(0), QStringLiteral("GRANDE interrompida"));
    EXPECT_FALSE(window.ListView->itemWidget(row, 1)->isEnabled());
    Tabela("GRANDE")->SetChecked(false);
    Import();
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);
}

TEST_F(ImportRunTest, APauseHoldsTheCopyUntilContinuarAndAStopClickedMeanwhileActsAfterIt) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 40000));
    Mark("GRANDE");
    int atPause = -1, laterInPause = -1;
    QString captionInPause, totalInPause, statusInPause;
    WhenTheWindowListens([&] {
        window.btnPausar->click();
        captionInPause = window.btnPausar->text();
        WhenTheWindowListens([&] {
            atPause = DestinoCount("GRANDE");
            totalInPause = window.lblTotal->text();
            window.btnParar->click();
        }, 100);
        WhenTheWindowListens([&] {
            laterInPause = DestinoCount("GRANDE");
            statusInPause = window.lblStatus->text();
            window.btnPausar->click();
        }, 300);
    });
    Import();
    EXPECT_EQ(captionInPause, QStringLiteral("Continuar"));
    EXPECT_EQ(statusInPause, QStringLiteral("Pausado: a importação para quando se clicar em \"Continuar\"."));
    EXPECT_TRUE(totalInPause.endsWith(QStringLiteral(" de 40.000 registros · Pausado"))) << totalInPause;
    EXPECT_TRUE(window.lblTotal->text().endsWith(QStringLiteral(" · interrompida"))) << window.lblTotal->text();
    EXPECT_EQ(window.btnPausar->text(), QStringLiteral("Pausar"));
    EXPECT_EQ(atPause, 1);   // the rows sent before the pause were committed when it began
    EXPECT_EQ(laterInPause, 1);
    const int copied = DestinoCount("GRANDE");
    EXPECT_GT(copied, 1);   // the copy went on after "Continuar" ...
    EXPECT_LT(copied, 40000);   // ... and stopped at its next reporting row
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Processo Parado!"));
}

TEST_F(ImportRunTest, AStopClickedWhileIdleStopsTheNextImportAtItsFirstReportingRow) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 100));
    Mark("GRANDE");
    window.btnParar->click();
    Import();
    EXPECT_EQ(DestinoCount("GRANDE"), 1);
    EXPECT_FALSE(PararProcesso);
}

// "Importar Dados" is disabled while its import runs, so a second press cannot start another
// inside it; the refresh and "Parar" stay at hand. The line for the whole run ends on its figures.
TEST_F(ImportRunTest, DuringAnImportItsButtonIsDisabledAndTheTotalLineEndsOnTheRunsFigures) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 3000) + ManyRows(QStringLiteral("OUTRA"), 10));
    Mark("GRANDE");
    Mark("OUTRA");
    bool importarEnabled = true, atualizarEnabled = false, pararEnabled = false;
    WhenTheWindowListens([&] {
        importarEnabled = window.btnImportar->isEnabled();
        atualizarEnabled = window.btnAtualizar->isEnabled();
        pararEnabled = window.btnParar->isEnabled();
        window.btnImportar->click();
    });
    Import();
    EXPECT_FALSE(importarEnabled);
    EXPECT_TRUE(atualizarEnabled);
    EXPECT_TRUE(pararEnabled);
    EXPECT_TRUE(window.btnImportar->isEnabled());
    EXPECT_TRUE(window.btnAtualizar->isEnabled());
    EXPECT_EQ(Log().filter(QStringLiteral("Importação")).size(), 1) << Log();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 3010, 0).match(Log().last()).hasMatch()) << Log();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Total: 3.010 de 3.010 registros · [\\d.]+ registros/s · concluída$"))
                    .match(window.lblTotal->text())
                    .hasMatch())
        << window.lblTotal->text();
}

// The total counts the dependences an import copies though they are not marked.
TEST_F(ImportRunTest, TheTotalLineCountsTheDependencesCopiedThoughNotMarked) {
    Connect(Vendas, Vendas,
            QStringLiteral("INSERT INTO CLIENTE VALUES (1); INSERT INTO CLIENTE VALUES (2); INSERT INTO PEDIDO VALUES (10, 1);"));
    Mark("PEDIDO");
    Import();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Total: 3 de 3 registros · [\\d.]+ registros/s · concluída$"))
                    .match(window.lblTotal->text())
                    .hasMatch())
        << window.lblTotal->text();
}

// A pause shows the rows in as it began.
TEST_F(ImportRunTest, ThePausedTotalLineCountsTheRowsInAsThePauseBegan) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 3000));
    Mark("GRANDE");
    QString paused;
    WhenTheCopyReports([&] {
        window.btnPausar->click();
        QTimer::singleShot(100, [&] {
            paused = window.lblTotal->text();
            window.btnPausar->click();
        });
    });
    Import();
    const QRegularExpressionMatch figures =
        QRegularExpression(QStringLiteral("^Total: ([\\d.]+) de 3.000 registros · Pausado$")).match(paused);
    ASSERT_TRUE(figures.hasMatch()) << paused;
    EXPECT_GT(figures.captured(1).remove(QLatin1Char('.')).toInt(), 0);
}

// The periodic refresh waits for the import; "Atualizar" pressed meanwhile shows its counts at once.
TEST_F(ImportRunTest, AtualizarDuringAnImportShowsTheCountsItTook) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 3000));
    Mark("GRANDE");
    QString shown, counted;
    WhenTheCopyReports([&] {
        window.btnAtualizar->click();
        shown = window.TreeView->topLevelItem(0)->text(RowCountsColumn);
        counted = RowCountsText(*Tabela("GRANDE"));
    });
    Import();
    EXPECT_FALSE(counted.endsWith(QStringLiteral("→ 0"))) << counted;
    EXPECT_EQ(shown, counted);
}

TEST_F(ImportRunTest, ConnectingDuringAnImportIsRefusedAndTheImportGoesOn) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 2000));
    Mark("GRANDE");
    WhenTheWindowListens([this] { window.btnConecta->click(); });
    Import();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Aguarde: a importação dos dados está em andamento."));
    EXPECT_EQ(dialogs.messages[0].flags, MB_ICONWARNING);
    EXPECT_EQ(DestinoCount("GRANDE"), 2000);
    EXPECT_TRUE(Tabela("GRANDE")->Importada());
}

// Closing the window asks first: "Não" lets the copy go on; "Sim", here during a pause, stops it
// there without resuming it, commits what went in and writes the log with the run's last line.
TEST_F(ImportRunTest, ClosingTheWindowDuringAnImportAsksAndSimStopsItThereWithTheLogWritten) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 40000));
    Mark("GRANDE");
    dialogs.AnswerQuestion(IDNO);
    dialogs.AnswerQuestion(IDYES);
    int atNo = -1, atPause = -1;
    WhenTheWindowListens([&] {
        window.close();
        atNo = DestinoCount("GRANDE");
        WhenTheWindowListens([&] { window.btnPausar->click(); }, 100);
        WhenTheWindowListens([&] {
            atPause = DestinoCount("GRANDE");
            window.close();
        }, 300);
    });
    Import();
    EXPECT_FALSE(window.isVisible());
    EXPECT_GT(atPause, atNo);   // "Não": the copy went on
    const int inserted = InsertedWhenInterrupted(Log().last());
    EXPECT_EQ(inserted, atPause) << Log();   // not one row more after the close
    EXPECT_EQ(DestinoCount("GRANDE"), inserted);
    EXPECT_EQ(Errors(), QStringList(2, QStringLiteral("Há uma importação em andamento. Parar e sair?")));
    QFile file(FileInFolder(QStringLiteral("LogVendrasol.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), Log());
}

// Closing while the destination's triggers are off asks, after the import's question, whether to
// switch them on; "Sim" does what "Habilitar Triggers" does. The time the user takes over the
// boxes is not the destination's: the rows sent before the close are all committed.
TEST_F(ImportRunTest, ClosingAsksToStopTheImportThenToSwitchTheTriggersOnAgain) {
    const QString ddl = Grande + QStringLiteral("SET TERM ^ ;"
                                                "CREATE TRIGGER OUTRA_BI FOR OUTRA BEFORE INSERT AS BEGIN END^"
                                                "SET TERM ; ^");
    Connect(ddl, ddl + SlowChecks(QStringLiteral("GRANDE"), 10), ManyRows(QStringLiteral("GRANDE"), 40000));
    window.btnDesabilitarTrigger->click();
    Mark("GRANDE");
    dialogs.readingTime = std::chrono::milliseconds(1200);
    dialogs.AnswerQuestion(IDYES);
    dialogs.AnswerQuestion(IDYES);
    // Mostly while the window waits for rows the destination is writing.
    WhenTheWindowListens([this] { window.close(); }, 500);
    Import();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Errors(), QStringList({QStringLiteral("Trigger's desativadas. Não esqueça de ativá-las!!!"),
                                     QStringLiteral("Há uma importação em andamento. Parar e sair?"),
                                     QStringLiteral("As triggers do destino continuam desativadas. Ativá-las antes de sair?"),
                                     QStringLiteral("Trigger's ativadas")}));
    EXPECT_EQ(Destino(QStringLiteral("SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'OUTRA_BI'")),
              QStringLiteral("0"));
    EXPECT_TRUE(Log().filter(QStringLiteral("ERRO")).isEmpty()) << Log();
    EXPECT_EQ(DestinoCount("GRANDE"), InsertedWhenInterrupted(Log().last())) << Log();
}

// The destination's triggers switched off by "Desabilitar Triggers", then the window asked to let
// the destination go.
class TriggersLeftOff : public CopyWindow {
protected:
    void SetUp() override {
        const QString ddl = Grande + QStringLiteral("SET TERM ^ ; CREATE TRIGGER OUTRA_BI FOR OUTRA BEFORE INSERT AS BEGIN END^ SET TERM ; ^");
        Connect(ddl, ddl, {});
        window.btnDesabilitarTrigger->click();
        dialogs.AnswerQuestion(IDYES);
    }

    QString Inactive() {
        return Destino(QStringLiteral("SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'OUTRA_BI'"));
    }
};

// The triggers are the connected destination's, whatever path the field shows now.
TEST_F(TriggersLeftOff, ClosingSwitchesThemOnThoughAnotherPathWasTypedSince) {
    window.edtCaminhoDestino->setText(window.edtCaminhoDestino->text() + QStringLiteral(".outro"));
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Inactive(), QStringLiteral("0"));
}

// Conectar lets the destination go, and with it the red line, even when it fails.
TEST_F(TriggersLeftOff, ConnectingAsksFirstToSwitchThemOn) {
    window.edtCaminhoOrigem->setText(window.edtCaminhoOrigem->text() + QStringLiteral(".nao-existe"));
    window.btnConecta->click();
    EXPECT_TRUE(Errors().contains(QStringLiteral("As triggers do destino continuam desativadas. Ativá-las antes de conectar?")))
        << Errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Inactive(), QStringLiteral("0"));
}

// A termination signal during an import does what "Sim" does, without asking.
TEST_F(ImportRunTest, ATerminationSignalDuringAnImportStopsItWithoutAsking) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 40000));
    Mark("GRANDE");
    CloseOnTermination(window);
    WhenTheWindowListens([] { std::raise(SIGTERM); });
    Import();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_EQ(DestinoCount("GRANDE"), InsertedWhenInterrupted(Log().last())) << Log();
}

// A name may begin with a blank: " LEAD" is a table of its own beside LEAD, with a column " NOME".
TEST_F(ImportRunTest, ANameBeginningWithABlankIsATableOfItsOwn) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE \" LEAD\" (ID INTEGER NOT NULL PRIMARY KEY, \" NOME\" VARCHAR(10));"
        "CREATE TABLE LEAD (ID INTEGER NOT NULL PRIMARY KEY);");
    ConnectPair(ddl, ddl,
                QStringLiteral("INSERT INTO \" LEAD\" VALUES (1, 'um'); INSERT INTO \" LEAD\" VALUES (2, 'dois');"
                               "INSERT INTO LEAD VALUES (1);"), {});
    Mark(" LEAD");
    Mark("LEAD");
    Import();
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(ID || \" NOME\") FROM (SELECT * FROM \" LEAD\" ORDER BY ID)")),
              QStringLiteral("1um,2dois"));
    EXPECT_EQ(DestinoCount(QStringLiteral("LEAD")), 1);
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 3, 0).match(Log().last()).hasMatch()) << Log();
}

// A destination made read-only takes no row: the import says so before it sends any, rather than
// log every row as refused.
TEST_F(ImportRunTest, AReadOnlyDestinationIsSaidBeforeAnyRowIsSent) {
    origem = databases.Create(QStringLiteral("origem"), Grande);
    destino = databases.Create(QStringLiteral("destino"), Grande);
    DatabaseFactory::Execute(origem, ManyRows(QStringLiteral("GRANDE"), 50));
    ASSERT_EQ(QProcess::execute(QStringLiteral("gfix"), {QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                                                          QStringLiteral("-mode"), QStringLiteral("read_only"), destino}),
              0);
    Reconnect();
    Mark("GRANDE");
    Import();
    ASSERT_EQ(Errors().size(), 1);
    EXPECT_TRUE(Errors()[0].contains(QStringLiteral("somente leitura"))) << Errors()[0];
    EXPECT_TRUE(Log().filter(QStringLiteral(" ERRO ")).isEmpty()) << Log();
}
