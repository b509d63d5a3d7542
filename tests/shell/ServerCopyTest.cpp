// The copy into a destination reached through the Firebird server on loopback (localhost:/path),
// where rows travel in blocks: scripts/test starts the server and says where it is.
#include "CopyWindow.h"

#include "platform/ArrayValue.h"
#include "platform/LayerChain.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"
#include "support/LoopbackServer.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Rows = std::vector<std::vector<TFieldValue>>;

class ServerCopy : public CopyWindow {
protected:
    void SetUp() override {
        REQUIRE_LOOPBACK_SERVER();
        password_ = LoopbackServerPassword();
        onServer_ = LoopbackServerDatabase(QStringLiteral("copy-"));
    }

    void TearDown() override {
        if (!created_) return;
        // The server drops a database only when nobody is attached to it.
        window.workspace.SQLConnectionDestino->Close();
        DatabaseFactory::DropAt(onServer_, password_);
    }

    // A source file of the structure and rows, and a destination on the server, then connected.
    void ConnectToServer(const QString& ddl, const QString& origemRows, const QString& destinoRows = {}) {
        origem = databases.Create(QStringLiteral("origem"), ddl);
        DatabaseFactory::Execute(origem, origemRows);
        DatabaseFactory::CreateAt(onServer_, password_);
        created_ = true;
        destino = onServer_;
        DatabaseFactory::Execute(destino, ddl + destinoRows);
        window.workspace.SQLConnectionDestino->Params.SetValue(QStringLiteral("Password"), password_);
        Reconnect();
        ASSERT_TRUE(window.workspace.SQLConnectionDestino->Remote());
    }

    // Every row of a table with its raw values, blobs and arrays by content.
    Rows ReadAll(const QString& path, const QString& table) const {
        TSQLConnection connection;
        connection.Params.SetValue(QStringLiteral("Database"), path);
        connection.Params.SetValue(QStringLiteral("Password"), password_);
        connection.Open();
        TSQLDataSet query(&connection);
        query.SetCommandText(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(table));
        query.Open();
        Rows rows;
        for (; !query.Eof(); query.Next()) {
            std::vector<TFieldValue> row;
            for (int i = 0; i < query.FieldCount(); ++i) row.push_back(query.Fields(i)->Value());
            rows.push_back(row);
        }
        return rows;
    }

    // Both tables hold the same rows, value for value, byte for byte (a column the destination
    // has beyond the source's is not compared).
    void ExpectSourceColumnsSameBytes(const QString& table, size_t rows) const {
        const Rows expected = ReadAll(origem, table);
        const Rows copied = ReadAll(destino, table);
        ASSERT_EQ(expected.size(), rows);
        ASSERT_EQ(copied.size(), rows);
        for (size_t row = 0; row < rows; ++row)
            for (size_t column = 0; column < expected[row].size(); ++column)
                ASSERT_EQ(copied[row][column], expected[row][column]) << "row " << row << " column " << column;
    }

    // How many rows share the destination's insertion moment at most: the moment stands still
    // for a whole statement, so a block of rows shares one, and rows sent alone do not.
    int LargestBatch(const QString& table) const {
        return Destino(QStringLiteral("SELECT MAX(N) FROM (SELECT COUNT(*) N FROM %1 GROUP BY QUANDO)").arg(table)).toInt();
    }

    // Runs the action once, when the window looks while the copy's block waits on the server.
    void WhenABlockWaits(QTimer& look, const std::function<void()>& action) {
        look.disconnect();
        QObject::connect(&look, &QTimer::timeout, [this, &look, action] {
            if (Destino(QStringLiteral("SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1 AND MON$ATTACHMENT_ID <>"
                                       " CURRENT_CONNECTION AND MON$SQL_TEXT STARTING WITH 'EXECUTE BLOCK'"))
                    .toInt() == 0)
                return;
            look.stop();
            action();
        });
        look.start(20);
    }

    QString password_;
    QString onServer_;
    bool created_ = false;
};

// Another transaction that wrote one key of the copy's rows and holds it: the copy's block with
// that key waits on the server until it lets go, or a watchdog does after 10 s, should the window
// be held meanwhile.
class HeldKey {
public:
    HeldKey(const QString& database, const QString& password, int key) {
        other_.Params.SetValue(QStringLiteral("Database"), database);
        other_.Params.SetValue(QStringLiteral("Password"), password);
        other_.Open();
        TSQLDataSet write(&other_);
        write.Transaction = &holding_;
        write.SetCommandText(QStringLiteral("INSERT INTO CONTA VALUES (%1, 'outra transação')").arg(key));
        write.ExecSQL();
        watchdog_ = std::thread([this] {
            for (int i = 0; i < 1000 && !done_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done_) Release(QStringLiteral("o vigia"));
        });
    }
    ~HeldKey() {
        done_ = true;
        watchdog_.join();
        Release(QStringLiteral("o fim do teste"));
    }
    void Release(const QString& who) {
        const std::lock_guard lock(releasing_);
        if (!releasedBy_.isEmpty()) return;
        releasedBy_ = who;
        holding_.Rollback();
    }
    QString ReleasedBy() {
        const std::lock_guard lock(releasing_);
        return releasedBy_;
    }

private:
    TSQLConnection other_;
    TSQLTransaction holding_{&other_};
    std::mutex releasing_;
    QString releasedBy_;
    std::atomic<bool> done_{false};
    std::thread watchdog_;
};

// Every type the layer carries, NULLs on every other row, text in WIN1252 with its 0x80-0x9F
// characters, UTF8 and NONE, small blobs (sent inside the block) and one of 6,000 bytes every
// seventh row (created first and passed by id).
const QString Matrix = QStringLiteral(R"(
CREATE TABLE MATRIX (
  ID INTEGER NOT NULL PRIMARY KEY,
  C_SMALL SMALLINT, C_BIG BIGINT, C_FLOAT FLOAT, C_DOUBLE DOUBLE PRECISION,
  C_N4 NUMERIC(4,2), C_N18 NUMERIC(18,4), C_D18_9 DECIMAL(18,9),
  C_CHAR_NONE CHAR(5) CHARACTER SET NONE, C_VC_OCTETS VARCHAR(10) CHARACTER SET OCTETS,
  C_VC_1252 VARCHAR(20) CHARACTER SET WIN1252, C_VC_UTF8 VARCHAR(20) CHARACTER SET UTF8,
  C_DATE DATE, C_TIME TIME, C_TS TIMESTAMP, C_BOOL BOOLEAN,
  C_MEMO BLOB SUB_TYPE TEXT CHARACTER SET WIN1252, C_MEMO_UTF8 BLOB SUB_TYPE TEXT CHARACTER SET UTF8,
  C_MEMO_NONE BLOB SUB_TYPE TEXT CHARACTER SET NONE, C_BIN BLOB SUB_TYPE BINARY
);)");

const QString MatrixRows = QStringLiteral(R"(
SET TERM ^ ;
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
DECLARE BIG BLOB SUB_TYPE TEXT CHARACTER SET WIN1252;
BEGIN
  BIG = RPAD(x'80E39F', 6000, x'8A9CFF');
  WHILE (I <= 300) DO BEGIN
    IF (MOD(I, 2) = 0) THEN INSERT INTO MATRIX (ID) VALUES (:I);
    ELSE INSERT INTO MATRIX VALUES (:I, -32768 + :I, 9223372036854775807 - :I, 3.4e38 / :I, -1.7976931348623157e308 / :I,
      -99.99 + :I / 100.0, -12345678901234.5678 + :I, 0.000000001 * :I,
      CAST(x'00FF41' AS CHAR(5) CHARACTER SET NONE), CAST(x'00FF00' || :I AS VARCHAR(10) CHARACTER SET OCTETS),
      CAST(x'81E3C7FF' || :I AS VARCHAR(20) CHARACTER SET WIN1252), 'ação ☃ ' || :I, DATEADD(:I DAY TO DATE '1850-03-01'),
      DATEADD(:I SECOND TO TIME '23:50:00.0001'), DATEADD(:I MINUTE TO TIMESTAMP '1899-12-30 23:59:59.9999'), MOD(:I, 3) = 1,
      IIF(MOD(:I, 7) = 0, :BIG, CAST(x'81E3000D0A' || :I AS BLOB SUB_TYPE TEXT CHARACTER SET WIN1252)),
      'ação ☃ ' || :I, x'C7FF00' || :I, x'00FF00FF' || :I);
    I = I + 1;
  END
END^
SET TERM ; ^
)");

const QString Conta = QStringLiteral("CREATE TABLE CONTA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");

}  // namespace

TEST_F(ServerCopy, EveryTypeArrivesByteForByteThroughBlocks) {
    ConnectToServer(Matrix, MatrixRows, QStringLiteral("ALTER TABLE MATRIX ADD QUANDO TIMESTAMP DEFAULT CURRENT_TIMESTAMP;"));
    Mark("MATRIX");
    Import();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 300, 0).match(Log().last()).hasMatch()) << Log();
    ExpectSourceColumnsSameBytes(QStringLiteral("MATRIX"), 300);
    EXPECT_GT(LargestBatch(QStringLiteral("MATRIX")), 1) << "rows went in together, in blocks";
}

// An array column sends every row alone: every type arrives as exactly, small blobs inside the
// message as in a block.
TEST_F(ServerCopy, EveryTypeArrivesByteForByteRowByRow) {
    const QString grade = QStringLiteral("ALTER TABLE MATRIX ADD GRADE INTEGER[2];");
    ConnectToServer(Matrix, MatrixRows + grade, grade);
    Mark("MATRIX");
    Import();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 300, 0).match(Log().last()).hasMatch()) << Log();
    ExpectSourceColumnsSameBytes(QStringLiteral("MATRIX"), 300);
}

// The verification reads both sides through the server as embedded: every type of the copy equal,
// then the one value changed since.
TEST_F(ServerCopy, VerifyingFindsEveryTypeEqualAndThenTheOneValueChanged) {
    ConnectToServer(Matrix, MatrixRows);
    Mark("MATRIX");
    Import();
    window.btnVerificar->click();
    EXPECT_EQ(Log().mid(Log().size() - 2, 1),
              QStringList({"Verificação MATRIX: 300 iguais, 0 diferentes, 0 faltando, 0 sobrando"}));
    DatabaseFactory::Execute(destino, QStringLiteral("UPDATE MATRIX SET C_DOUBLE = -C_DOUBLE WHERE ID = 9;"));
    window.btnVerificar->click();
    EXPECT_EQ(Log().mid(Log().size() - 3, 2), QStringList({"Verificação MATRIX: 299 iguais, 1 diferentes, 0 faltando, 0 sobrando",
                                                           "    diferente: (\"ID\" = 9)"}));
    EXPECT_FALSE(Tabela("MATRIX")->Importada());
}

TEST_F(ServerCopy, RowsGoInBlocksAndACountThatIsNoMultipleOfTheBlockArrivesWhole) {
    const QString ddl = QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");
    ConnectToServer(ddl, ManyRows(QStringLiteral("GRANDE"), 1000),
                    QStringLiteral("ALTER TABLE GRANDE ADD QUANDO TIMESTAMP DEFAULT CURRENT_TIMESTAMP;"));
    Mark("GRANDE");
    Import();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 1000, 0).match(Log().last()).hasMatch()) << Log();
    EXPECT_EQ(DestinoCount("GRANDE"), 1000);
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) FROM GRANDE WHERE NOME = 'linha ' || ID")), QStringLiteral("1000"));
    EXPECT_GE(LargestBatch(QStringLiteral("GRANDE")), 100);
}

TEST_F(ServerCopy, ARowRefusedInTheMiddleOfABlockIsLoggedAloneWithTheServersMessageAndTheOthersStay) {
    ConnectToServer(Conta, ManyRows(QStringLiteral("CONTA"), 600),
                    QStringLiteral("INSERT INTO CONTA VALUES (150, 'já estava');"
                                   "ALTER TABLE CONTA ADD CHECK (NOME <> 'linha 450');"));
    Mark("CONTA");
    Import();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 7) << log;
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("CONTA ERRO INSERIR violation of PRIMARY or UNIQUE KEY"))) << log[1];
    EXPECT_TRUE(log[1].contains(QStringLiteral("Problematic key value is (\"ID\" = 150)"))) << log[1];
    EXPECT_TRUE(log[2].startsWith(QStringLiteral("CONTA ERRO INSERIR Operation violates CHECK constraint"))) << log[2];
    EXPECT_TRUE(log[2].contains(QStringLiteral("CONTA"))) << log[2];
    EXPECT_EQ(log[4], QStringLiteral("CONTA: 600 lidos, 598 inseridos, 2 rejeitados"));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 598, 2).match(log[6]).hasMatch()) << log[6];
    EXPECT_EQ(DestinoCount("CONTA"), 599);
    EXPECT_EQ(Destino(QStringLiteral("SELECT NOME FROM CONTA WHERE ID = 150")), QStringLiteral("já estava"));
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) FROM CONTA WHERE NOME = 'linha ' || ID")), QStringLiteral("598"));
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) FROM CONTA WHERE ID IN (149, 151, 449, 451)")), QStringLiteral("4"));
}

// A refused row's line ends with the key that finds it, whatever refused it: a row of a block sent
// again alone, a row of a composite key, a row of a table without a key (its first three columns).
TEST_F(ServerCopy, ARefusedRowsLineEndsWithItsKey) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE CONTA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));"
        "CREATE TABLE PARCELA (NOTA VARCHAR(80) NOT NULL, NUMERO INTEGER NOT NULL, VALOR INTEGER,"
        " PRIMARY KEY (NOTA, NUMERO));"
        "CREATE TABLE LIVRE (A INTEGER, B VARCHAR(80), C INTEGER, D INTEGER);");
    ConnectToServer(ddl,
                    ManyRows(QStringLiteral("CONTA"), 600) +
                        QStringLiteral("INSERT INTO PARCELA VALUES ('NF-1', 1, 10);"
                                       "INSERT INTO PARCELA VALUES ('O''' || LPAD('', 70, 'x'), 2, -5);"
                                       "INSERT INTO LIVRE VALUES (1, LPAD('', 70, 'x'), NULL, 4);"),
                    QStringLiteral("ALTER TABLE CONTA ADD CHECK (NOME <> 'linha 450');"
                                   "ALTER TABLE PARCELA ADD CHECK (VALOR >= 0); ALTER TABLE LIVRE ADD CHECK (D <> 4);"));
    for (const char* name : {"CONTA", "PARCELA", "LIVRE"}) Mark(name);
    Import();
    const QStringList refused = Log().filter(QStringLiteral(" ERRO INSERIR "));
    ASSERT_EQ(refused.size(), 3) << Log();
    const QString cut = QStringLiteral("'") + QString(60, QLatin1Char('x')) + QStringLiteral("...'");
    // A key is written whole, its quotes doubled; the first columns of a table without one are cut.
    const QString nota = QStringLiteral(" [chave: NOTA='O''") + QString(70, QLatin1Char('x')) + QStringLiteral("', NUMERO=2]");
    for (const QString& end : {QStringLiteral(" [chave: ID=450]"), nota,
                               QStringLiteral(" [chave: A=1, B=") + cut + QStringLiteral(", C=NULL]")})
        EXPECT_EQ(refused.filter(end).size(), 1) << end << refused;
    for (const QString& line : refused) EXPECT_TRUE(line.endsWith(QLatin1Char(']'))) << line;
}

// Through the server too, a copy of some seconds commits once a second: every row arrives once, a
// row referencing one committed before too, and the refused one alone, with the server's message.
TEST_F(ServerCopy, ACopyOfSeveralCommitsKeepsEveryRowOnceAcrossTheTurns) {
    ConnectToServer(Arvore, ArvoreRows(2000),
                    QStringLiteral("INSERT INTO ARVORE VALUES (1250, NULL);") + SlowInserts(QStringLiteral("ARVORE")));
    Mark("ARVORE");
    QElapsedTimer took;
    took.start();
    Import();
    EXPECT_GT(took.elapsed(), 1500) << "too quick to commit in turns";
    EXPECT_TRUE(Log().contains(QStringLiteral("ARVORE: 2000 lidos, 1999 inseridos, 1 rejeitados"))) << Log();
    const QStringList refused = Log().filter(QStringLiteral("ARVORE ERRO INSERIR violation of PRIMARY or UNIQUE KEY"));
    ASSERT_EQ(refused.size(), 1) << Log();
    EXPECT_TRUE(refused[0].endsWith(QStringLiteral(" [chave: ID=1250]"))) << refused[0];
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(DISTINCT ID) || ' ' || SUM(PAI) FROM ARVORE")),
              QStringLiteral("2000 %1").arg(1998 * 1999 / 2 - 1249));
}

// What was read and not sent when the stop came is in the log, and the bar stays on what went in.
TEST_F(ServerCopy, AStopWhileRowsAreQueuedCommitsEveryRowSentAndLosesNoneUnsaid) {
    const QString ddl = QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");
    ConnectToServer(ddl, ManyRows(QStringLiteral("GRANDE"), 100000));
    Mark("GRANDE");
    // A later reporting row than the first, so that rows wait in the queue when the stop comes.
    WhenTheWindowListens([this] { window.btnParar->click(); }, 150);
    Import();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Processo Parado!"));
    const int inserted = InsertedWhenInterrupted(Log().last());
    EXPECT_GT(inserted, 0) << Log();
    EXPECT_LT(inserted, 100000);
    // Read through another attachment: what the copy sent was committed.
    EXPECT_EQ(DestinoCount("GRANDE"), inserted);
    EXPECT_EQ(Log().filter(QStringLiteral(" não foram gravados")).size(), 0) << Log();
    ASSERT_EQ(window.ListView->topLevelItemCount(), 1);
    const auto* bar = qobject_cast<QProgressBar*>(window.ListView->itemWidget(window.ListView->topLevelItem(0), 1));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), inserted);
}

TEST_F(ServerCopy, ABlobOverAMegabyteTravelsInsideABlock) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE DOCUMENTO (ID INTEGER NOT NULL PRIMARY KEY, CONTEUDO BLOB SUB_TYPE BINARY,"
        " NOTA BLOB SUB_TYPE TEXT CHARACTER SET WIN1252);");
    ConnectToServer(ddl, QStringLiteral(R"(
SET TERM ^ ;
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
DECLARE GRANDE BLOB SUB_TYPE BINARY = x'00FF80';
BEGIN
  WHILE (OCTET_LENGTH(GRANDE) < 1500000) DO GRANDE = GRANDE || GRANDE;
  WHILE (I <= 200) DO BEGIN
    INSERT INTO DOCUMENTO VALUES (:I, IIF(:I = 100, :GRANDE, x'01' || :I), 'nota ' || :I);
    I = I + 1;
  END
END^
SET TERM ; ^
)"),
                    QStringLiteral("ALTER TABLE DOCUMENTO ADD QUANDO TIMESTAMP DEFAULT CURRENT_TIMESTAMP;"));
    Mark("DOCUMENTO");
    Import();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 200, 0).match(Log().last()).hasMatch()) << Log();
    EXPECT_EQ(Destino(QStringLiteral("SELECT OCTET_LENGTH(CONTEUDO) FROM DOCUMENTO WHERE ID = 100")),
              QStringLiteral("1572864"));
    // Other rows went in with it, in one statement: how many depends on when the window last
    // listened, which a loaded machine moves.
    EXPECT_GT(Destino(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTO WHERE QUANDO = (SELECT QUANDO FROM DOCUMENTO"
                                     " WHERE ID = 100)")).toInt(),
              1);
    const Rows expected = ReadAll(origem, QStringLiteral("DOCUMENTO"));
    const Rows copied = ReadAll(destino, QStringLiteral("DOCUMENTO"));
    ASSERT_EQ(copied.size(), expected.size());
    for (size_t row = 0; row < expected.size(); ++row)
        for (size_t column = 0; column < 3; ++column) ASSERT_EQ(copied[row][column], expected[row][column]) << row;
}

// PSQL holds no array, so a table with an array column goes row by row, and arrives exactly.
TEST_F(ServerCopy, AnArrayColumnGoesRowByRowAndArrivesExactly) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE GRADE (ID INTEGER NOT NULL PRIMARY KEY, VALORES INTEGER[3],"
        " NOTA BLOB SUB_TYPE TEXT CHARACTER SET WIN1252);");
    const QString rows = QStringLiteral(R"(
SET TERM ^ ;
EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN
  WHILE (I <= 300) DO BEGIN INSERT INTO GRADE (ID, NOTA) VALUES (:I, x'80' || :I); I = I + 1; END
END^
SET TERM ; ^
)");
    ConnectToServer(ddl, rows);
    {
        // SQL writes no array: every third row gets one through the layer.
        OpenConnection connection(origem);
        Chain chain(connection, QStringLiteral("SELECT ID, VALORES FROM GRADE WHERE MOD(ID, 3) = 0"));
        chain.rows.Open();
        for (; !chain.rows.Eof(); chain.rows.Next()) {
            chain.rows.Edit();
            TField* field = chain.rows.FieldByName(QStringLiteral("VALORES"));
            const qint32 elements[3] = {chain.rows.Fields(0)->AsInteger(), -2147483647 - 1, 2147483647};
            TFieldValue value = field->Shape();
            value.isNull = false;
            value.data = ArrayValue({blr_long, 0, 4, 0, {{1, 3}}},
                                    QByteArray(reinterpret_cast<const char*>(elements), sizeof elements));
            field->SetValue(value);
            chain.rows.Post();
        }
        ASSERT_EQ(chain.rows.ApplyUpdates(0), 0);
    }
    Mark("GRADE");
    Import();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 300, 0).match(Log().last()).hasMatch()) << Log();
    ExpectSourceColumnsSameBytes(QStringLiteral("GRADE"), 300);
    // The verification reads arrays by their content too.
    window.btnVerificar->click();
    EXPECT_EQ(Log().mid(Log().size() - 2, 1), QStringList({"Verificação GRADE: 300 iguais, 0 diferentes, 0 faltando, 0 sobrando"}));
}

// The server holds a block (one of its rows waits for another transaction that wrote the same key)
// and the window goes on handling its messages: here its own timer is what ends the wait.
TEST_F(ServerCopy, TheWindowHandlesItsMessagesWhileTheServerHoldsABlock) {
    ConnectToServer(Conta, ManyRows(QStringLiteral("CONTA"), 2000));
    HeldKey key(destino, password_, 1500);
    QTimer look;
    WhenABlockWaits(look, [&] { key.Release(QStringLiteral("a janela")); });
    Mark("CONTA");
    Import();
    EXPECT_EQ(key.ReleasedBy().toStdString(), "a janela");
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 2000, 0).match(Log().last()).hasMatch()) << Log();
    EXPECT_EQ(DestinoCount("CONTA"), 2000);
}

TEST_F(ServerCopy, TheStructuresAreComparedThroughTheServerAsWell) {
    ConnectToServer(QStringLiteral("CREATE TABLE CONTATO (ID INTEGER NOT NULL PRIMARY KEY, EMAIL VARCHAR(40));"
                                   "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40));"),
                    QStringLiteral("INSERT INTO CONTATO VALUES (1, 'a@b.c'); INSERT INTO CLIENTE VALUES (1, 'Ana');"),
                    QStringLiteral("ALTER TABLE CONTATO DROP EMAIL; ALTER TABLE CLIENTE ADD USUARIO VARCHAR(20) NOT NULL;"));
    Mark("CONTATO");
    Mark("CLIENTE");
    dialogs.OnModal = [](QDialog&) { return int(QDialog::Accepted); };
    Import();
    const QStringList log = Log();
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Estrutura diferente: CLIENTE.USUARIO: origem ausente, destino VARCHAR(20) NOT NULL: registros recusados")))
        << log;
    EXPECT_TRUE(log.contains(QStringLiteral("CONTATO não copiada: coluna EMAIL ausente no destino"))) << log;
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 0, 1).match(log.last()).hasMatch()) << log;
}

// "Parar", then closing the window with "Sim", while the server holds a block: each cancels the
// block and ends the import there, the key still held, with what went in committed and what was
// read and not sent in the log.
TEST_F(ServerCopy, AStopOrACloseWhileTheServerHoldsABlockEndsTheImportThere) {
    ConnectToServer(Conta, ManyRows(QStringLiteral("CONTA"), 2000));
    HeldKey key(destino, password_, 1500);
    QTimer look;
    WhenABlockWaits(look, [&] { window.btnParar->click(); });
    Mark("CONTA");
    Import();
    ASSERT_EQ(Errors(), QStringList{QStringLiteral("Processo Parado!")});
    const int inserted = InsertedWhenInterrupted(Log().last());
    EXPECT_GT(inserted, 0) << Log();
    EXPECT_EQ(DestinoCount("CONTA"), inserted);
    EXPECT_EQ(Log().filter(QRegularExpression(QStringLiteral("^CONTA: \\d+ registro\\(s\\) lido\\(s\\) da origem não "
                                                             "foram enviados ao destino$"))).size(), 1) << Log();
    EXPECT_FALSE(PararProcesso);

    dialogs.AnswerQuestion(IDYES);
    WhenABlockWaits(look, [&] { window.close(); });
    Import();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(DestinoCount("CONTA"), inserted + InsertedWhenInterrupted(Log().last())) << Log();
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("Processo Parado!")} << QStringLiteral("Há uma importação em andamento. Parar e sair?"));
    EXPECT_TRUE(key.ReleasedBy().isEmpty());
}
