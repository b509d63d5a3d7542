#include "CopyWindow.h"

#include "copy/TableSummary.h"

#include <QProgressBar>

namespace {

const QString Pedidos = QStringLiteral(
    "INSERT INTO CLIENTE VALUES (1); INSERT INTO CLIENTE VALUES (2);"
    "INSERT INTO PEDIDO VALUES (10, 1); INSERT INTO PEDIDO VALUES (11, 2); INSERT INTO PEDIDO VALUES (12, NULL);"
    "INSERT INTO ITEM VALUES (100, 10); INSERT INTO ITEM VALUES (101, 10); INSERT INTO ITEM VALUES (102, 11);"
    "INSERT INTO ITEM VALUES (103, NULL);");

}  // namespace

class CopyJob : public CopyWindow {
protected:
    // Four accounts, of which the destination refuses two: one it holds already, one its check refuses.
    void ImportAccountsTheDestinationRefusesTwoOf() {
        const QString origemDdl = QStringLiteral("CREATE TABLE CONTA (ID INTEGER NOT NULL PRIMARY KEY, SALDO INTEGER);");
        const QString destinoDdl =
            QStringLiteral("CREATE TABLE CONTA (ID INTEGER NOT NULL PRIMARY KEY, SALDO INTEGER CHECK (SALDO >= 0));");
        ConnectPair(origemDdl, destinoDdl,
                    QStringLiteral("INSERT INTO CONTA VALUES (1, 10); INSERT INTO CONTA VALUES (2, 20);"
                                   "INSERT INTO CONTA VALUES (3, -5); INSERT INTO CONTA VALUES (4, 40);"),
                    QStringLiteral("INSERT INTO CONTA VALUES (2, 99);"));
        Mark("CONTA");
        Import();
    }
};

TEST_F(CopyJob, AnItemIsCopiedAfterTheOrderAndTheClientItReferences) {
    Connect(Vendas, Vendas, Pedidos);
    Mark("ITEM");
    Import();

    const QStringList log = Log();
    ASSERT_EQ(log.size(), 13) << log;
    EXPECT_EQ(log.mid(0, 12),
              QStringList({"Create(ITEM)", "Create(PEDIDO)", "Create(CLIENTE)", "CDSOrigemCLIENTE",
                           "CLIENTE: 2 lidos, 2 inseridos, 0 rejeitados", "Destroy(CLIENTE)", "CDSOrigemPEDIDO",
                           "PEDIDO: 3 lidos, 3 inseridos, 0 rejeitados", "Destroy(PEDIDO)", "CDSOrigemITEM",
                           "ITEM: 4 lidos, 4 inseridos, 0 rejeitados", "Destroy(ITEM)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 3, 9, 0).match(log[12]).hasMatch()) << log[12];
    EXPECT_EQ(window.lblStatus->text(), log[12]);
    EXPECT_EQ(DestinoCount("CLIENTE"), 2);
    EXPECT_EQ(DestinoCount("PEDIDO"), 3);
    EXPECT_EQ(DestinoCount("ITEM"), 4);
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);   // every progress row removed
    for (const char* name : {"CLIENTE", "PEDIDO", "ITEM", "CATEGORIA", "AVULSA"})
        EXPECT_TRUE(Tabela(name)->Importada()) << name;
    EXPECT_TRUE(dialogs.messages.empty());
    // Each job's end shows the log in the memo without waiting for the timer (the refresh at the
    // import's end shows the rest).
    EXPECT_TRUE(window.mmLog->toPlainText().startsWith(ListaLog.Items().mid(0, 11).join(QLatin1Char('\n'))))
        << window.mmLog->toPlainText().toStdString();
}

class CopyJobMethod : public CopyWindow, public testing::WithParamInterface<int> {};

TEST_P(CopyJobMethod, DependencesAreCopiedLastFirst) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY);"
        "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY);"
        "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER REFERENCES A, B_ID INTEGER REFERENCES B);");
    window.rdgSync->SetItemIndex(GetParam());
    Connect(ddl, ddl, QStringLiteral("INSERT INTO A VALUES (1); INSERT INTO B VALUES (2); INSERT INTO T VALUES (3, 1, 2);"));
    ASSERT_EQ(Tabela("T")->Dependences()->Items(), QStringList({"A", "B"}));
    Export("T");
    EXPECT_EQ(Log(), QStringList({"Create(T)", "Create(B)", "CDSOrigemB", "B: 1 lidos, 1 inseridos, 0 rejeitados",
                                  "Destroy(B)", "Create(A)", "CDSOrigemA", "A: 1 lidos, 1 inseridos, 0 rejeitados",
                                  "Destroy(A)", "CDSOrigemT", "T: 1 lidos, 1 inseridos, 0 rejeitados", "Destroy(T)"}));
    EXPECT_EQ(DestinoCount("T"), 1);
    // The synchronisation objects live as long as the job.
    EXPECT_EQ(Tabela("T")->MutexHandle(), 0u);
    EXPECT_EQ(Tabela("T")->SemaphoreHandle(), 0u);
}

// "No Synchronization", "Mutex", "Semaphore".
INSTANTIATE_TEST_SUITE_P(EveryMethod, CopyJobMethod, testing::Values(0, 1, 2));

TEST_F(CopyJob, ATableImportedImportingOrWaitingIsLeftAlone) {
    Connect(Vendas, Vendas, Pedidos);
    TTabela* pedido = Tabela("PEDIDO");
    pedido->SetImportada(true);
    Export("PEDIDO");
    pedido->SetImportada(false);
    pedido->SetImportando(true);
    Export("PEDIDO");
    pedido->SetImportando(false);
    pedido->SetWaitDependence(true);
    Export("PEDIDO");
    EXPECT_TRUE(Log().isEmpty());
    EXPECT_EQ(DestinoCount("PEDIDO"), 0);
    EXPECT_EQ(DestinoCount("CLIENTE"), 0);   // its dependences were not visited either
}

TEST_F(CopyJob, ASelfReferenceAndATwoTableCycleCopyEachTableOnce) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES CATEGORIA (ID));"
        "CREATE TABLE SETOR (ID INTEGER NOT NULL PRIMARY KEY, CHEFE INTEGER);"
        "CREATE TABLE FUNCIONARIO (ID INTEGER NOT NULL PRIMARY KEY, SETOR INTEGER REFERENCES SETOR);"
        "ALTER TABLE SETOR ADD FOREIGN KEY (CHEFE) REFERENCES FUNCIONARIO;");
    Connect(ddl, ddl,
            QStringLiteral("INSERT INTO CATEGORIA VALUES (1, NULL); INSERT INTO CATEGORIA VALUES (2, 1);"
                           "INSERT INTO SETOR VALUES (1, NULL); INSERT INTO FUNCIONARIO VALUES (7, 1);"));
    Mark("CATEGORIA");
    Mark("SETOR");
    Import();
    QStringList log = Log();
    // The employee came before the department it works in: the server refused it, and said so.
    ASSERT_EQ(log.size(), 14);
    EXPECT_TRUE(log.takeAt(6).startsWith(QStringLiteral("FUNCIONARIO ERRO INSERIR violation of FOREIGN KEY")));
    EXPECT_EQ(log.mid(0, 12), QStringList({"Create(CATEGORIA)", "CDSOrigemCATEGORIA",
                                           "CATEGORIA: 2 lidos, 2 inseridos, 0 rejeitados", "Destroy(CATEGORIA)",
                                           "Create(SETOR)", "Create(FUNCIONARIO)", "CDSOrigemFUNCIONARIO",
                                           "FUNCIONARIO: 1 lidos, 0 inseridos, 1 rejeitados", "Destroy(FUNCIONARIO)",
                                           "CDSOrigemSETOR", "SETOR: 1 lidos, 1 inseridos, 0 rejeitados",
                                           "Destroy(SETOR)"}));
    EXPECT_EQ(DestinoCount("CATEGORIA"), 2);
    EXPECT_EQ(DestinoCount("SETOR"), 1);
    EXPECT_EQ(DestinoCount("FUNCIONARIO"), 0);
}

TEST_F(CopyJob, WithoutASynchronisationMethodTheDependencesAreNotCopiedAndTheirRowsAreRejected) {
    window.rdgSync->SetItemIndex(-1);
    Connect(Vendas, Vendas, Pedidos);
    Tabela("CLIENTE")->SetWaitDependence(true);
    Export("PEDIDO");
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 6) << log;
    EXPECT_EQ(log[0], QStringLiteral("Create(PEDIDO)"));
    for (const QString& line : log.mid(1, 2)) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("PEDIDO ERRO INSERIR "))) << line;
        EXPECT_TRUE(line.contains(QStringLiteral("FOREIGN KEY"))) << line;
    }
    EXPECT_EQ(log.mid(3), QStringList({"CDSOrigemPEDIDO", "PEDIDO: 3 lidos, 1 inseridos, 2 rejeitados", "Destroy(PEDIDO)"}));
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(ID) FROM PEDIDO")), QStringLiteral("12"));
    EXPECT_TRUE(Tabela("CLIENTE")->WaitDependence());
    EXPECT_EQ(DestinoCount("CLIENTE"), 0);
}

TEST_F(CopyJob, RejectedRowsAreLoggedWithTheServersMessageAndTheCopyGoesOn) {
    ImportAccountsTheDestinationRefusesTwoOf();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 7) << log;
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("CONTA ERRO INSERIR ")));
    EXPECT_TRUE(log[1].contains(QStringLiteral("violation of PRIMARY or UNIQUE KEY"))) << log[1];
    EXPECT_TRUE(log[2].startsWith(QStringLiteral("CONTA ERRO INSERIR ")));
    EXPECT_TRUE(log[2].contains(QStringLiteral("CHECK"))) << log[2];
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 2, 2).match(log[6]).hasMatch()) << log[6];
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(ID || ':' || SALDO, ' ') FROM (SELECT * FROM CONTA ORDER BY ID)")),
              QStringLiteral("1:10 2:99 4:40"));
}

TEST_F(CopyJob, EachTableCopiedGetsALineWithItsCountsAndTimeInTheLog) {
    ImportAccountsTheDestinationRefusesTwoOf();
    const QStringList log = ListaLog.Items();
    const qsizetype line = log.indexOf(QStringLiteral("CDSOrigemCONTA")) + 1;
    ASSERT_TRUE(line > 0 && line < log.size()) << log;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^CONTA: 4 lidos, 2 inseridos, 2 rejeitados, em \\d\\d:\\d\\d:\\d\\d$"))
                    .match(log[line])
                    .hasMatch())
        << log[line];
    EXPECT_EQ(TableSummary(QStringLiteral("CONTA"), 4, 2, 2, 3725), QStringLiteral("CONTA: 4 lidos, 2 inseridos, 2 rejeitados, em 01:02:05"));
    EXPECT_TRUE(window.mmLog->toPlainText().contains(log[line]));
}

TEST_F(CopyJob, DatesBeforeEighteenNinetyNineMidnightAndNullsArriveExactly) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE AGENDA (ID INTEGER NOT NULL PRIMARY KEY, DIA DATE, HORA TIME, MOMENTO TIMESTAMP);");
    Connect(ddl, ddl,
            QStringLiteral("INSERT INTO AGENDA VALUES (1, '1850-01-01', '00:00:00', '1850-01-01 00:00:00');"
                           "INSERT INTO AGENDA VALUES (2, '1899-12-30', '00:00:00.0001', '1899-12-30 00:00:00');"
                           "INSERT INTO AGENDA VALUES (3, '1899-12-29', '23:59:59.9999', '0001-01-01 00:00:00');"
                           "INSERT INTO AGENDA VALUES (4, NULL, NULL, NULL);"));
    Mark("AGENDA");
    Import();
    const QString rows = QStringLiteral(
        "SELECT LIST(ID || ':' || COALESCE(CAST(DIA AS VARCHAR(12)), 'N') || ',' || COALESCE(CAST(HORA AS VARCHAR(14)), 'N')"
        " || ',' || COALESCE(CAST(MOMENTO AS VARCHAR(26)), 'N'), ' ') FROM (SELECT * FROM AGENDA ORDER BY ID)");
    EXPECT_EQ(Destino(rows), Origem(rows));
    EXPECT_TRUE(Destino(rows).contains(QStringLiteral("1:1850-01-01,00:00:00.0000,1850-01-01 00:00:00.0000")));
}

TEST_F(CopyJob, AStopInsideADependenceClimbsThroughEveryJobAndKeepsTheAppliedRows) {
    Connect(Vendas, Vendas, Pedidos);
    Mark("ITEM");
    PararProcesso = true;   // clicked while idle: the first reporting row acts on it
    Import();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 7) << log;
    EXPECT_EQ(log.mid(0, 6), QStringList({"Create(ITEM)", "Create(PEDIDO)", "Create(CLIENTE)", "Destroy(CLIENTE)",
                                          "Destroy(PEDIDO)", "Destroy(ITEM)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação interrompida"), 0, 1, 0).match(log[6]).hasMatch()) << log[6];
    EXPECT_FALSE(PararProcesso);
    EXPECT_EQ(DestinoCount("CLIENTE"), 1);   // the row applied before the stop stays
    EXPECT_EQ(window.ListView->topLevelItemCount(), 3);   // the interrupted jobs' rows stay
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Processo Parado!"));
    EXPECT_FALSE(Tabela("CLIENTE")->Importada());   // the refresh ran
}

TEST_F(CopyJob, AKeylessTableIsCopiedOnceAndNeverAppendedToAgain) {
    Connect(Vendas, Vendas,
            QStringLiteral("INSERT INTO AVULSA VALUES (1); INSERT INTO AVULSA VALUES (2); INSERT INTO AVULSA VALUES (3);"));
    Mark("AVULSA");
    Import();
    EXPECT_EQ(DestinoCount("AVULSA"), 3);
    DatabaseFactory::Execute(origem, QStringLiteral("INSERT INTO AVULSA VALUES (4);"));
    window.btnAtualizar->click();
    ASSERT_FALSE(Tabela("AVULSA")->Importada());
    const int before = int(Log().size());
    Import();
    EXPECT_EQ(DestinoCount("AVULSA"), 3);
    EXPECT_EQ(Log().mid(before, 3),
              QStringList({"Create(AVULSA)", "AVULSA sem chave primária ou única e já contém registros no destino: não copiada",
                           "Destroy(AVULSA)"}));
}

TEST_F(CopyJob, AnEmptySourceTableLogsItsDataSetAndShowsNoProgress) {
    Connect(Vendas, Vendas);
    Tabela("AVULSA")->SetImportada(false);
    Export("AVULSA");
    EXPECT_EQ(Log(), QStringList({"Create(AVULSA)", "CDSOrigemAVULSA", "AVULSA: 0 lidos, 0 inseridos, 0 rejeitados",
                                  "Destroy(AVULSA)"}));
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("ListarTabelasDependenciasDelecao"));
}

TEST_F(CopyJob, TheProgressRowShowsTheTimeLeftAndItsBarCountsTheRows) {
    const QString ddl = QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");
    Connect(ddl, ddl, ManyRows(QStringLiteral("GRANDE"), 500));
    Mark("GRANDE");
    QString caption;
    int maximum = -1;
    WhenTheCopyReports([&] {
        ASSERT_EQ(window.ListView->topLevelItemCount(), 1);
        QTreeWidgetItem* row = window.ListView->topLevelItem(0);
        caption = row->text(0);
        const auto* bar = qobject_cast<QProgressBar*>(window.ListView->itemWidget(row, 1));
        ASSERT_NE(bar, nullptr);
        maximum = bar->maximum();
        EXPECT_EQ(bar->value(), 1);
        EXPECT_EQ(window.ListView->visualItemRect(row).top(), bar->geometry().top());
    });
    Import();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^GRANDE \\d\\d:\\d\\d:\\d\\d restante$")).match(caption).hasMatch())
        << caption;
    EXPECT_EQ(maximum, 500);
    EXPECT_EQ(DestinoCount("GRANDE"), 500);
}
