#include "support/DatabaseFactory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString Estrutura = QStringLiteral(
    "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));"
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY, CLIENTE INTEGER REFERENCES CLIENTE, VALOR NUMERIC(12,2));"
    "CREATE TABLE AVULSA (ID INTEGER NOT NULL PRIMARY KEY);");
const QString Linhas = QStringLiteral(
    "INSERT INTO CLIENTE VALUES (1, 'Ana'); INSERT INTO CLIENTE VALUES (2, 'Beto'); INSERT INTO CLIENTE VALUES (3, 'Beto');"
    "INSERT INTO PEDIDO VALUES (10, 1, 12.50); INSERT INTO PEDIDO VALUES (11, 3, 7.25); INSERT INTO AVULSA VALUES (1);");
// A trigger the copy must not fire when asked to switch the triggers off.
const QString Gatilho = QStringLiteral(
    "SET TERM ^ ; CREATE TRIGGER PEDIDO_BI FOR PEDIDO BEFORE INSERT AS BEGIN NEW.VALOR = NEW.VALOR + 1000; END^ SET TERM ; ^");

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

// Runs the built program as a script would: no display, its settings and journal in the test's folder.
class CommandLineImport : public ::testing::Test {
protected:
    QString Log() const {
        QFile file(LogPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString Count(const QString& path, const QString& tabela) const {
        return DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ") + tabela);
    }

    QProcessEnvironment Environment(const QStringList& unset = {}) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
        for (const QString& name : unset) environment.remove(name);
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            environment.insert(QString::fromLatin1(name), databases.Folder());
        return environment;
    }

    void Start(QProcess& program, const QStringList& options, const QStringList& unset = {}) {
        program.setProcessEnvironment(Environment(unset));
        if (!keepLog_) QFile::remove(LogPath);
        program.start(QStringLiteral(VENDRASOL_EXECUTABLE), QStringList{QStringLiteral("--importar"), origem, destino} + options);
    }

    Outcome Finish(QProcess& program) {
        if (!program.waitForFinished(240000)) program.kill();
        program.waitForFinished();
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                QString::fromLocal8Bit(program.readAllStandardOutput()), QString::fromLocal8Bit(program.readAllStandardError())};
    }

    Outcome Run(const QStringList& options, const QStringList& unset = {}) {
        QProcess program;
        Start(program, options, unset);
        return Finish(program);
    }

    // As Run, into the log file as it stands.
    Outcome RunKeepingTheLogFile(const QStringList& options) {
        keepLog_ = true;
        const Outcome outcome = Run(options);
        keepLog_ = false;
        return outcome;
    }

    // Starts copying PEDIDO's 20,002 rows (CLIENTE's 3 first) into a destination where each row
    // costs a moment, and returns once PEDIDO's copy has begun: a signal then comes in its middle.
    void StartSlowCopy(QProcess& program) {
        origem = databases.Create(QStringLiteral("origem"),
                                  Estrutura + Linhas + QStringLiteral(
                                      "SET TERM ^ ; EXECUTE BLOCK AS DECLARE I INTEGER = 100; BEGIN"
                                      " WHILE (I < 20100) DO BEGIN INSERT INTO PEDIDO VALUES (:I, 1, 1); I = I + 1; END END^"
                                      " SET TERM ; ^"));
        destino = databases.Create(QStringLiteral("destino"), Estrutura + QStringLiteral(
            "SET TERM ^ ; CREATE TRIGGER LENTO FOR PEDIDO BEFORE INSERT AS DECLARE I INTEGER = 0; BEGIN"
            " WHILE (I < 20000) DO I = I + 1; END^ SET TERM ; ^"));
        Start(program, {QStringLiteral("--tabelas"), QStringLiteral("PEDIDO")});
        for (QElapsedTimer waited; !Log().contains(QStringLiteral("Create(PEDIDO)")) && waited.elapsed() < 120000;)
            QThread::msleep(50);
    }

    const QString LogPath = QFileInfo(QStringLiteral(VENDRASOL_EXECUTABLE)).dir().filePath(QStringLiteral("LogVendrasol.txt"));
    DatabaseFactory databases;
    QString origem, destino;
    bool keepLog_ = false;
};

TEST_F(CommandLineImport, ACopyWithNoDisplayMarksDependencesEmptiesWhenConfirmedAndEndsEqual) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura + QStringLiteral("INSERT INTO AVULSA VALUES (7);"));

    const Outcome pedido = Run({QStringLiteral("--tabelas"), QStringLiteral("pedido")});
    EXPECT_EQ(pedido.exitCode, 0) << pedido.err.toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("PEDIDO")), QStringLiteral("2"));
    EXPECT_EQ(Count(destino, QStringLiteral("CLIENTE")), QStringLiteral("3"));
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT ID FROM AVULSA")), QStringLiteral("7"));

    const Outcome todas = Run({QStringLiteral("--limpar"), QStringLiteral("--sim"), QStringLiteral("--verificar")});
    EXPECT_EQ(todas.exitCode, 0) << todas.err.toStdString();
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT LIST(ID) FROM AVULSA")), QStringLiteral("1"));
    EXPECT_TRUE(todas.out.contains(QRegularExpression(QStringLiteral("^Importação concluída: .*0 rejeitado\\(s\\)"),
                                                      QRegularExpression::MultilineOption))) << todas.out.toStdString();
    EXPECT_TRUE(todas.out.contains(QStringLiteral("Verificação concluída: 3 tabela(s) iguais, 0 com diferenças")));
    EXPECT_TRUE(todas.out.endsWith(QStringLiteral("Log: ") + LogPath + QLatin1Char('\n'))) << todas.out.toStdString();
    EXPECT_TRUE(todas.err.contains(QStringLiteral("Limpeza da(s) tabela(s) efetuada!")));
}

TEST_F(CommandLineImport, ARefusedRowOrATableLeftUncopiedEndsWithOneAndIsInTheLogFile) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura + QStringLiteral("ALTER TABLE CLIENTE ADD UNIQUE (NOME);"));

    const Outcome outcome = Run({QStringLiteral("--tabelas"), QStringLiteral("CLIENTE")});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains(QStringLiteral(" 1 rejeitado(s)"))) << outcome.out.toStdString();
    // One line of the file, the server's message and the key on it.
    const QStringList refused = Log().split(QStringLiteral("\r\n")).filter(QStringLiteral("CLIENTE ERRO INSERIR"));
    ASSERT_EQ(refused.size(), 1) << Log().toStdString();
    EXPECT_TRUE(refused[0].startsWith(QStringLiteral("CLIENTE ERRO INSERIR violation of PRIMARY or UNIQUE KEY")));
    EXPECT_TRUE(refused[0].contains(QStringLiteral(" -Problematic key value is (\"NOME\" = 'Beto')"))) << refused[0].toStdString();

    const QString solta = QStringLiteral("CREATE TABLE SOLTA (X INTEGER); INSERT INTO SOLTA VALUES (1);");
    origem = databases.Create(QStringLiteral("origem-solta"), Estrutura + solta + QStringLiteral("INSERT INTO SOLTA VALUES (2);"));
    destino = databases.Create(QStringLiteral("destino-solta"), Estrutura + solta);
    const Outcome left = Run({QStringLiteral("--tabelas"), QStringLiteral("SOLTA")});
    EXPECT_EQ(left.exitCode, 1) << left.err.toStdString();
    EXPECT_TRUE(Log().contains(QStringLiteral("SOLTA sem chave primária ou única e já contém registros no destino: não copiada")));
}

// A copy of some seconds commits once a second: every row arrives once, a row referencing one
// committed before too, and the refused one alone.
// Marked with its dependences, a table referencing itself waits for no other table.
TEST_F(CommandLineImport, ACopyOfSeveralCommitsKeepsEveryRowOnceAcrossTheTurns) {
    origem = databases.Create(QStringLiteral("origem"), Arvore + ArvoreRows(2000));
    destino = databases.Create(QStringLiteral("destino"),
                               Arvore + QStringLiteral("INSERT INTO ARVORE VALUES (1250, NULL);") + SlowInserts(QStringLiteral("ARVORE")));
    QElapsedTimer took;
    took.start();
    const Outcome outcome = Run({QStringLiteral("--tabelas"), QStringLiteral("ARVORE")});
    EXPECT_GT(took.elapsed(), 1500) << "too quick to commit in turns";
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err.toStdString();
    EXPECT_TRUE(Log().contains(QStringLiteral("ARVORE: 2000 lidos, 1999 inseridos, 1 rejeitados"))) << Log().toStdString();
    EXPECT_EQ(Log().count(QStringLiteral("ARVORE ERRO INSERIR")), 1);
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT COUNT(DISTINCT ID) || ' ' || SUM(PAI) FROM ARVORE")),
              QStringLiteral("2000 %1").arg(1998 * 1999 / 2 - 1249));
}

TEST_F(CommandLineImport, BadArgumentsEndWithTwoAndSayWhyBeforeAnythingIsTouched) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura + QStringLiteral("INSERT INTO AVULSA VALUES (7);"));
    const std::pair<QStringList, QString> refused[] = {
        {{QStringLiteral("--limpar")}, QStringLiteral("confirme com --sim")},
        {{QStringLiteral("--tabelas"), QStringLiteral("PEDIDOS,AVULSA")}, QStringLiteral("tabela desconhecida: PEDIDOS (as mais próximas: PEDIDO")},
        {{QStringLiteral("--tudo")}, QStringLiteral("opção desconhecida: tudo")},
        {{QStringLiteral("terceiro.fdb")}, QStringLiteral("ORIGEM e DESTINO")}};
    for (const auto& [options, reason] : refused) {
        const Outcome outcome = Run(options);
        EXPECT_EQ(outcome.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(outcome.err.contains(reason)) << outcome.err.toStdString();
    }
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT LIST(ID) FROM AVULSA")), QStringLiteral("7"));

    destino = databases.Folder() + QStringLiteral("/ausente.fdb");
    const Outcome missing = Run({});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("ausente.fdb"))) << missing.err.toStdString();
}

// A cleanup that would leave a table empty, one the copy does not fill or a copy the structure
// check stops, is refused before any row is deleted.
TEST_F(CommandLineImport, ACleanupThatWouldLoseRowsIsRefusedBeforeAnyDelete) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura + Linhas);
    const Outcome pedidos = Run({QStringLiteral("--tabelas"), QStringLiteral("CLIENTE"), QStringLiteral("--limpar"),
                                 QStringLiteral("--sim")});
    EXPECT_EQ(pedidos.exitCode, 2);
    EXPECT_TRUE(pedidos.err.contains(QStringLiteral("--limpar esvaziaria também PEDIDO,"))) << pedidos.err.toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("PEDIDO")), QStringLiteral("2"));

    // As many rows as the source's: the copy would pass over the table, but not once emptied.
    QString curto = Estrutura;
    destino = databases.Create(QStringLiteral("curto"),
                               curto.replace(QStringLiteral("VARCHAR(30)"), QStringLiteral("VARCHAR(3)")) +
                                   QStringLiteral("INSERT INTO CLIENTE VALUES (1, 'Ana'); INSERT INTO CLIENTE VALUES (2, 'Bia');"
                                                  "INSERT INTO CLIENTE VALUES (3, 'Bel');"));
    const Outcome curtos = Run({QStringLiteral("--tabelas"), QStringLiteral("CLIENTE,PEDIDO"), QStringLiteral("--limpar"),
                                QStringLiteral("--sim")});
    EXPECT_EQ(curtos.exitCode, 2);
    EXPECT_TRUE(curtos.err.contains(QStringLiteral("A estrutura do destino difere da origem"))) << curtos.err.toStdString();
    EXPECT_FALSE(curtos.err.contains(QStringLiteral("Limpeza da(s) tabela(s) efetuada!")));
    EXPECT_EQ(Count(destino, QStringLiteral("CLIENTE")), QStringLiteral("3"));

    // One refused halfway: the tables emptied before it are named.
    destino = databases.Create(QStringLiteral("bloqueado"), Estrutura + Linhas + QStringLiteral(
        "CREATE EXCEPTION BLOQUEADA 'bloqueada'; SET TERM ^ ;"
        " CREATE TRIGGER CLIENTE_BD FOR CLIENTE BEFORE DELETE AS BEGIN EXCEPTION BLOQUEADA; END^ SET TERM ; ^"));
    const Outcome bloqueada = Run({QStringLiteral("--limpar"), QStringLiteral("--sim")});
    EXPECT_EQ(bloqueada.exitCode, 2);
    EXPECT_TRUE(bloqueada.err.contains(QStringLiteral("a limpeza parou depois de esvaziar AVULSA, PEDIDO,"))) << bloqueada.err.toStdString();
}

// --tabelas takes a name as typed, a leading blank included, and one after a comma as well; a name
// two tables hold in other cases is refused.
TEST_F(CommandLineImport, TabelasFindsANameBeginningWithABlankAndOnesAfterACommaAndABlank) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE \" LEAD\" (ID INTEGER NOT NULL PRIMARY KEY); CREATE TABLE LEAD (ID INTEGER NOT NULL PRIMARY KEY);"
        "CREATE TABLE \"cliente\" (ID INTEGER);");
    origem = databases.Create(QStringLiteral("origem"), ddl + Estrutura + Linhas +
                                                         QStringLiteral("INSERT INTO \" LEAD\" VALUES (1); INSERT INTO LEAD VALUES (2);"));
    destino = databases.Create(QStringLiteral("destino"), ddl + Estrutura);
    const Outcome outcome = Run({QStringLiteral("--tabelas"), QStringLiteral(" LEAD, AVULSA")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("\" LEAD\"")), QStringLiteral("1"));
    EXPECT_EQ(Count(destino, QStringLiteral("LEAD")), QStringLiteral("0"));
    EXPECT_EQ(Count(destino, QStringLiteral("AVULSA")), QStringLiteral("1"));

    const Outcome ambigua = Run({QStringLiteral("--tabelas"), QStringLiteral("Cliente")});
    EXPECT_EQ(ambigua.exitCode, 2);
    EXPECT_TRUE(ambigua.err.contains(QStringLiteral("tabela ambígua: Cliente (CLIENTE, cliente)"))) << ambigua.err.toStdString();
}

// --limpar empties what the copy fills: the marked tables and the tables they reference, down the
// chain (ITEM -> PEDIDO -> CLIENTE), whose old rows would otherwise stay beside the source's.
TEST_F(CommandLineImport, ACleanupEmptiesTheTablesTheMarkedOnesReferenceAndTheCopyFillsThemAgain) {
    const QString item = QStringLiteral("CREATE TABLE ITEM (ID INTEGER NOT NULL PRIMARY KEY, PEDIDO INTEGER REFERENCES PEDIDO);");
    origem = databases.Create(QStringLiteral("origem"), Estrutura + item + Linhas + QStringLiteral("INSERT INTO ITEM VALUES (1, 10);"));
    destino = databases.Create(QStringLiteral("destino"), Estrutura + item + QStringLiteral("INSERT INTO CLIENTE VALUES (9, 'velho');"));
    const Outcome outcome = Run({QStringLiteral("--tabelas"), QStringLiteral("ITEM"), QStringLiteral("--limpar"),
                                 QStringLiteral("--sim"), QStringLiteral("--verificar")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT LIST(ID) FROM (SELECT ID FROM CLIENTE ORDER BY ID)")),
              QStringLiteral("1,2,3"));
    EXPECT_EQ(Count(destino, QStringLiteral("PEDIDO")), QStringLiteral("2"));
    // The verification speaks for every table the copy filled, the dependence of a dependence too.
    EXPECT_TRUE(outcome.out.contains(QStringLiteral("Verificação CLIENTE: 3 iguais, 0 diferentes, 0 faltando, 0 sobrando")))
        << outcome.out.toStdString();
}

// A log file that cannot be written (a full disk) ends the run with 2 and the reason, and nothing
// waits for an answer nobody can give.
TEST_F(CommandLineImport, ALogFileThatCannotBeWrittenEndsWithTwoAndTheReason) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura);
    QFile::remove(LogPath);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), LogPath));
    const auto restore = qScopeGuard([this] { QFile::remove(LogPath); });
    const Outcome outcome = RunKeepingTheLogFile({QStringLiteral("--tabelas"), QStringLiteral("CLIENTE")});
    EXPECT_EQ(outcome.exitCode, 2) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Não foi possível gravar o log"))) << outcome.err.toStdString();
    EXPECT_FALSE(outcome.out.contains(QStringLiteral("Log: "))) << outcome.out.toStdString();
}

// A log that cannot be started anywhere: nothing is copied, since refused rows would be kept nowhere.
TEST_F(CommandLineImport, ALogThatCannotBeStartedCopiesNothing) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura);
    QFile::remove(LogPath);
    ASSERT_TRUE(QDir().mkdir(LogPath));
    const auto restore = qScopeGuard([this] { QDir().rmdir(LogPath); });
    QFile blocksTheDataFolder(databases.Folder() + QStringLiteral("/Vendrasol"));
    ASSERT_TRUE(blocksTheDataFolder.open(QIODevice::WriteOnly));
    const Outcome outcome = RunKeepingTheLogFile({QStringLiteral("--tabelas"), QStringLiteral("CLIENTE")});
    EXPECT_EQ(outcome.exitCode, 2) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Não foi possível gravar o log"))) << outcome.err.toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("CLIENTE")), QStringLiteral("0"));
}

// A reader of the output that goes away (| head) leaves the copy whole and the triggers back on;
// the run says its output was lost, and ends with 2.
TEST_F(CommandLineImport, AReaderOfTheOutputThatGoesAwayLeavesTheCopyWholeAndTheTriggersOn) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    destino = databases.Create(QStringLiteral("destino"), Estrutura + Gatilho);
    QProcess shell;
    shell.setProcessEnvironment(Environment());
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"),
                                         QStringLiteral("\"$0\" --importar \"$1\" \"$2\" --desabilitar-triggers | true; "
                                                        "exit ${PIPESTATUS[0]}"),
                                         QStringLiteral(VENDRASOL_EXECUTABLE), origem, destino});
    const Outcome outcome = Finish(shell);
    EXPECT_EQ(outcome.exitCode, 2) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("a saída padrão não pôde ser escrita"))) << outcome.err.toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("PEDIDO")), QStringLiteral("2"));
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS "
                                                                  "WHERE RDB$TRIGGER_NAME = 'PEDIDO_BI'")),
              QStringLiteral("0"));
}

// As from cron: no locale in the environment, and accented paths.
TEST_F(CommandLineImport, AccentedPathsAreFoundWithNoLocaleSet) {
    const QString folder = databases.Folder() + QStringLiteral("/ação");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (auto [from, to] : {std::pair{&origem, QStringLiteral("orígem ç.fdb")}, {&destino, QStringLiteral("destíno.fdb")}}) {
        const QString made = databases.Create(QStringLiteral("simples-") + QString::number(to.size()),
                                              Estrutura + (from == &origem ? Linhas : QString()));
        *from = folder + QLatin1Char('/') + to;
        ASSERT_TRUE(QFile::copy(made, *from));
    }
    const Outcome outcome = Run({QStringLiteral("--tabelas"), QStringLiteral("PEDIDO")},
                                {QStringLiteral("LANG"), QStringLiteral("LC_ALL"), QStringLiteral("LC_CTYPE")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains(QStringLiteral("PEDIDO: 2 lidos, 2 inseridos"))) << outcome.out.toStdString();
}

TEST_F(CommandLineImport, TriggersSwitchedOffComeBackOnWhenTheCopyFailsInTheMiddle) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas);
    // A destination column shorter than the source's: the copy stops at the question nobody answers.
    QString curto = Estrutura;
    destino = databases.Create(QStringLiteral("destino"), curto.replace(QStringLiteral("VARCHAR(30)"), QStringLiteral("VARCHAR(3)")) + Gatilho);

    const Outcome outcome = Run({QStringLiteral("--desabilitar-triggers")});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("A estrutura do destino difere da origem"))) << outcome.err.toStdString();
    EXPECT_TRUE(Log().contains(QStringLiteral("Desabilitar Triggers: 1 trigger(s) desativada(s): PEDIDO_BI")));
    EXPECT_TRUE(Log().contains(QStringLiteral("Habilitar Triggers: 1 trigger(s) ativada(s): PEDIDO_BI")));
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS "
                                                                  "WHERE RDB$TRIGGER_NAME = 'PEDIDO_BI'")),
              QStringLiteral("0"));
}

TEST_F(CommandLineImport, AnInterruptStopsTheCopyKeepsWhatWentInWritesTheLogAndEndsWith130) {
    QProcess program;
    StartSlowCopy(program);
    ::kill(pid_t(program.processId()), SIGINT);
    const Outcome outcome = Finish(program);

    EXPECT_EQ(outcome.exitCode, 130) << outcome.err.toStdString();
    const QRegularExpressionMatch summary =
        QRegularExpression(QStringLiteral("Importação interrompida: \\d+ tabela\\(s\\), (\\d+) registro\\(s\\) inseridos")).match(outcome.out);
    ASSERT_TRUE(summary.hasMatch()) << outcome.out.toStdString();
    EXPECT_TRUE(Log().contains(summary.captured(0)));
    EXPECT_EQ(Count(destino, QStringLiteral("CLIENTE")), QStringLiteral("3"));
    const int pedidos = Count(destino, QStringLiteral("PEDIDO")).toInt();
    EXPECT_EQ(pedidos + 3, summary.captured(1).toInt());
    EXPECT_LT(pedidos, 20002);

    // The next night's run finishes it, sending only what is missing (the slow trigger gone).
    DatabaseFactory::Execute(destino, QStringLiteral("DROP TRIGGER LENTO;"));
    const Outcome resumed = Run({QStringLiteral("--tabelas"), QStringLiteral("PEDIDO"), QStringLiteral("--retomar")});
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err.toStdString();
    EXPECT_TRUE(Log().contains(QStringLiteral("PEDIDO: %1 registro(s) já estavam no destino e não foram enviados").arg(pedidos)))
        << Log().toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("PEDIDO")), QStringLiteral("20002"));
}

// A run killed with the triggers off leaves them off: the next run says so, and one that would
// switch them off again refuses.
TEST_F(CommandLineImport, TriggersAKilledRunLeftOffAreNamedByTheNextRuns) {
    origem = databases.Create(QStringLiteral("origem"), Estrutura + Linhas + QStringLiteral(
        "SET TERM ^ ; EXECUTE BLOCK AS DECLARE I INTEGER = 100; BEGIN"
        " WHILE (I < 20100) DO BEGIN INSERT INTO PEDIDO VALUES (:I, 1, 1); I = I + 1; END END^ SET TERM ; ^"));
    // Slow rows whatever the triggers: a check that counts a table for each.
    destino = databases.Create(QStringLiteral("destino"), Estrutura + Gatilho + QStringLiteral(
        "CREATE TABLE LASTRO (N INTEGER); ALTER TABLE PEDIDO ADD CHECK ((SELECT COUNT(*) FROM LASTRO) >= 0);"
        "SET TERM ^ ; EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN"
        " WHILE (I < 20000) DO BEGIN INSERT INTO LASTRO VALUES (:I); I = I + 1; END END^ SET TERM ; ^"));
    QProcess program;
    Start(program, {QStringLiteral("--tabelas"), QStringLiteral("PEDIDO"), QStringLiteral("--desabilitar-triggers")});
    for (QElapsedTimer waited; !Log().contains(QStringLiteral("Create(PEDIDO)")) && waited.elapsed() < 120000;)
        QThread::msleep(50);
    ::kill(pid_t(program.processId()), SIGKILL);
    program.waitForFinished();

    const QString named = QStringLiteral("continuam desativadas por um \"Desabilitar Triggers\" anterior: PEDIDO_BI");
    const Outcome warned = Run({QStringLiteral("--tabelas"), QStringLiteral("AVULSA")});
    EXPECT_EQ(warned.exitCode, 0) << warned.err.toStdString();
    EXPECT_TRUE(warned.err.contains(named)) << warned.err.toStdString();
    const Outcome refused = Run({QStringLiteral("--tabelas"), QStringLiteral("AVULSA"), QStringLiteral("--desabilitar-triggers")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(named)) << refused.err.toStdString();
}

TEST_F(CommandLineImport, AKilledCopyKeepsEveryTableItReportedAndTheRowsOfItsLastCommits) {
    QProcess program;
    StartSlowCopy(program);
    // Rows are committed at least once a second: two and a half seconds in, some of PEDIDO's are.
    QThread::msleep(2500);
    ::kill(pid_t(program.processId()), SIGKILL);
    program.waitForFinished();

    ASSERT_TRUE(Log().contains(QStringLiteral("CLIENTE: 3 lidos, 3 inseridos, 0 rejeitados"))) << Log().toStdString();
    EXPECT_EQ(Count(destino, QStringLiteral("CLIENTE")), QStringLiteral("3"));
    const int pedidos = Count(destino, QStringLiteral("PEDIDO")).toInt();
    EXPECT_GT(pedidos, 0);
    EXPECT_LT(pedidos, 20002);
    // What went in is the source's first rows, each whole: the resume sends the rest and no more.
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT COUNT(*) FROM PEDIDO WHERE ID >= 100 AND ID < %1")
                                                       .arg(100 + pedidos - 2)),
              QString::number(pedidos - 2));
}

}  // namespace
