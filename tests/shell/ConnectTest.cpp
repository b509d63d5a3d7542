#include "MainWindowTest.h"

#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "support/DatabaseFactory.h"
#include "support/SilentServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

class ConnectTest : public MainWindowTest {
protected:
    void Connect(const QString& origem, const QString& destino) {
        window.edtCaminhoOrigem->setText(origem);
        window.edtCaminhoDestino->setText(destino);
        dialogs.messages.clear();
        window.btnConecta->click();
    }

    // The file the source connection is attached to, as the server names it.
    QString SourceDatabase() {
        window.SQLDSOrigem.SetCommandText(QStringLiteral("SELECT MON$DATABASE_NAME FROM MON$DATABASE"));
        window.SQLDSOrigem.Open();
        const QString name = window.SQLDSOrigem.Fields(0)->AsString().trimmed();
        window.SQLDSOrigem.Close();
        return name;
    }

    void ExpectOneStopMessage(const QString& text) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].flags, MB_ICONSTOP);
        EXPECT_TRUE(dialogs.messages[0].text.contains(text)) << dialogs.messages[0].text.toStdString();
    }

    // Connecting the pair stops at "Caminhos devem ser diferentes!" with both connections closed.
    void ExpectRefusedAsEqual(const QString& first, const QString& second) {
        Connect(first, second);
        ExpectOneStopMessage(QStringLiteral("Caminhos devem ser diferentes!"));
        EXPECT_FALSE(window.SQLConnection.Connected()) << second.toStdString();
        EXPECT_FALSE(window.SQLConnectionDestino.Connected());
        EXPECT_EQ(window.lblStatus->text(), QStringLiteral("lblStatus"));
    }

    DatabaseFactory factory;
    const QString script = QStringLiteral("CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40));");
    const QString origem = factory.Create(QStringLiteral("origem"), script);
    const QString destino = factory.Create(QStringLiteral("destino"), script);
};

}  // namespace

TEST_F(ConnectTest, EqualPathsCompareWithoutCaseAndAreRefusedBeforeAnythingOpens) {
    for (const auto& [first, second] : std::vector<std::pair<QString, QString>>{
             {QString(), QString()},
             {QStringLiteral("C:\\DADOS\\A.FDB"), QStringLiteral("c:\\dados\\a.fdb")},
             {QStringLiteral("/dados/AÇÃO.fdb"), QStringLiteral("/dados/ação.fdb")},
             {origem, origem}}) {
        ExpectRefusedAsEqual(first, second);
    }
}

TEST_F(ConnectTest, MissingSourceShowsTheServerMessageAndLeavesBothClosed) {
    const QString missing = FileInFolder(QStringLiteral("nao-existe.fdb"));
    Connect(missing, destino);
    ExpectOneStopMessage(missing);
    EXPECT_FALSE(window.SQLConnection.Connected());
    EXPECT_FALSE(window.SQLConnectionDestino.Connected());
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("lblStatus"));
}

// Neither database stays open: the other tools may open the files, and no command works on half a pair.
TEST_F(ConnectTest, DestinationThatIsNoDatabaseShowsTheServerMessageAndLeavesBothClosed) {
    const QString notADatabase = FileInFolder(QStringLiteral("texto.fdb"));
    QFile file(notADatabase);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();

    Connect(origem, notADatabase);
    ExpectOneStopMessage(QString());
    EXPECT_FALSE(dialogs.messages[0].text.trimmed().isEmpty()) << "the server says why";
    EXPECT_FALSE(window.SQLConnection.Connected());
    EXPECT_FALSE(window.SQLConnectionDestino.Connected());
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("lblStatus"));
}

TEST_F(ConnectTest, GoodPairConnectsAndConnectingAgainReopensOnTheNewPaths) {
    Connect(origem, destino);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window.SQLConnection.Connected());
    EXPECT_TRUE(window.SQLConnectionDestino.Connected());
    // "Conectado" shows first; the catalogue load that follows reports its own steps after it.
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("ListarTabelasDependenciasDelecao"));
    EXPECT_EQ(SourceDatabase(), origem);

    // The progress of the pair before goes with it.
    window.lblTotal->setText(QStringLiteral("Total: 1 de 1 registros · concluída"));
    new QTreeWidgetItem(window.ListView, {QStringLiteral("CLIENTE")});
    const QString outra = factory.Create(QStringLiteral("outra"), script);
    Connect(outra, origem);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(SourceDatabase(), outra);
    EXPECT_TRUE(window.SQLConnectionDestino.Connected());
    EXPECT_EQ(window.lblTotal->text(), QString());
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);
}

// The cleanup empties the destination: the source reached under another spelling must not be it.
// The attach to a server that never answers holds for minutes: the window answers meanwhile.
TEST_F(ConnectTest, PararGivesUpAServerThatNeverAnswersAndTheNextConnectWorks) {
    const SilentServer server;
    QTimer::singleShot(100, window.btnParar, &QAbstractButton::click);
    Connect(origem, QString::fromLatin1(server.Database()));
    ExpectOneStopMessage(QStringLiteral("A conexão foi interrompida antes que o servidor respondesse."));
    EXPECT_FALSE(window.SQLConnection.Connected());
    EXPECT_FALSE(window.SQLConnectionDestino.Connected());

    Connect(origem, destino);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window.SQLConnectionDestino.Connected());
}

TEST_F(ConnectTest, SameDatabaseUnderAnotherSpellingIsRefusedAndLeftClosed) {
    const QFileInfo file(origem);
    const QString link = FileInFolder(QStringLiteral("atalho.fdb"));
    ASSERT_TRUE(QFile::link(origem, link));
    ASSERT_TRUE(QDir(file.absolutePath()).mkdir(QStringLiteral("sub")));
    for (const QString& other : {file.absolutePath() + QStringLiteral("/./") + file.fileName(), link,
                                 file.absolutePath() + QStringLiteral("/sub/../") + file.fileName()}) {
        ExpectRefusedAsEqual(origem, other);
    }
}

// A destination made by copying the source's file keeps its creation time, not its name.
TEST_F(ConnectTest, CopyOfTheSourceFileIsAnotherDatabase) {
    const QString copia = FileInFolder(QStringLiteral("copia.fdb"));
    ASSERT_TRUE(QFile::copy(origem, copia));
    Connect(origem, copia);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window.SQLConnectionDestino.Connected());
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("ListarTabelasDependenciasDelecao"));
}

TEST_F(ConnectTest, FailedConnectLeavesNoTableNoProgressRowAndTheCopyCommandsSayOnceThereIsNoConnection) {
    DatabaseFactory::Execute(origem, QStringLiteral("INSERT INTO CLIENTE VALUES (1, 'Ana');"));
    Connect(origem, destino);
    ASSERT_EQ(window.TreeView->topLevelItemCount(), 1);
    ListaTabelas.TableByName(QStringLiteral("CLIENTE"))->SetChecked(true);
    new QTreeWidgetItem(window.ListView, {QStringLiteral("CLIENTE"), QStringLiteral("00:00:07 restante")});

    const QString missing = FileInFolder(QStringLiteral("nao-existe.fdb"));
    Connect(missing, destino);
    ExpectOneStopMessage(missing);
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 0);
    EXPECT_EQ(window.TreeViewDelecao->topLevelItemCount(), 0);
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);
    EXPECT_TRUE(ListaTabelas.Items().isEmpty());
    EXPECT_FALSE(window.SQLConnectionDestino.Connected());

    for (QAbstractButton* command : std::initializer_list<QAbstractButton*>{window.btnImportar, window.btnAtualizar}) {
        dialogs.messages.clear();
        command->click();
        ExpectOneStopMessage(QStringLiteral("Não há conexão com os bancos de dados: clique em \"Conectar\"."));
    }
}

// The commands would go on with the databases connected before, whatever the fields say.
TEST_F(ConnectTest, APathTypedAfterConnectingOrADestinationFilePutBackCallsForConnectingAgain) {
    Connect(origem, destino);
    ASSERT_TRUE(window.SQLConnectionDestino.Connected());
    const QString outro = factory.Create(QStringLiteral("outro"), script);
    const auto expectRefused = [&](const char* when) {
        for (QAbstractButton* command : std::initializer_list<QAbstractButton*>{
                 window.btnImportar, window.btnVerificar, window.btnEfetuarLimpeza, window.btnDesabilitarTrigger}) {
            dialogs.messages.clear();
            command->click();
            ASSERT_EQ(dialogs.messages.size(), 1u) << when << command->text().toStdString();
            EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Os bancos conectados não são mais os dos caminhos indicados:"
                                                               " clique em \"Conectar\"."));
        }
    };
    window.edtCaminhoDestino->setText(outro);
    expectRefused("typed");
    window.edtCaminhoDestino->setText(destino);
    dialogs.messages.clear();
    window.btnImportar->click();
    EXPECT_TRUE(dialogs.messages.empty() || !dialogs.messages[0].text.contains(QStringLiteral("Conectar")));

    ASSERT_TRUE(QFile::rename(destino, destino + QStringLiteral(".antigo")));
    ASSERT_TRUE(QFile::copy(destino + QStringLiteral(".antigo"), destino));
    expectRefused("put back");
}
