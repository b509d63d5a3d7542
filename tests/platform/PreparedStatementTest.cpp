// A statement prepared once and run with values exactly as stored.
#include "LayerChain.h"
#include "platform/EDatabaseError.h"
#include "platform/MetadataEpoch.h"
#include "support/DatabaseFactory.h"

#include "platform/PreparedStatement.h"
#include "platform/TSQLTransaction.h"

#include <gtest/gtest.h>

namespace {

// Keys that text or a double would change: a BIGINT past 2^53, and WIN1252 bytes (0x80 is €)
// that a Latin-1 reading would turn into another character.
const char* Schema = R"(
CREATE TABLE CONTA (GRANDE BIGINT NOT NULL, CODIGO CHAR(3) CHARACTER SET WIN1252 NOT NULL,
  VALOR NUMERIC(18,4), MOMENTO TIMESTAMP, NOTA VARCHAR(10) CHARACTER SET OCTETS,
  CONSTRAINT PK_CONTA PRIMARY KEY (GRANDE, CODIGO));
)";

const char* Rows = R"(
INSERT INTO CONTA VALUES (9007199254740993, CAST(x'80E341' AS CHAR(3) CHARACTER SET WIN1252),
  -12345678901234.5678, '1899-12-30 23:59:59.9999', x'00FF00');
INSERT INTO CONTA VALUES (9007199254740992, CAST(x'80E341' AS CHAR(3) CHARACTER SET WIN1252), 1, NULL, NULL);
INSERT INTO CONTA VALUES (9007199254740993, CAST(x'80E342' AS CHAR(3) CHARACTER SET WIN1252), 2, NULL, NULL);
)";

const QString Update = QStringLiteral("UPDATE CONTA SET VALOR = ?, MOMENTO = ?, NOTA = ? WHERE GRANDE = ? AND CODIGO = ?");

// The destination holds the same keys, with nothing else set.
const char* DestinoRows = R"(
INSERT INTO CONTA (GRANDE, CODIGO) VALUES (9007199254740993, CAST(x'80E341' AS CHAR(3) CHARACTER SET WIN1252));
INSERT INTO CONTA (GRANDE, CODIGO) VALUES (9007199254740992, CAST(x'80E341' AS CHAR(3) CHARACTER SET WIN1252));
INSERT INTO CONTA (GRANDE, CODIGO) VALUES (9007199254740993, CAST(x'80E342' AS CHAR(3) CHARACTER SET WIN1252));
)";

class PreparedStatementTest : public testing::Test {
protected:
    void SetUp() override {
        origem = factory.Create(QStringLiteral("origem"), QString::fromUtf8(Schema) + QString::fromUtf8(Rows));
        destino = factory.Create(QStringLiteral("destino"), QString::fromUtf8(Schema) + QString::fromUtf8(DestinoRows));
    }

    // Opens both databases and the source rows the condition picks.
    void ReadSource(const QString& condition) {
        source = std::make_unique<OpenConnection>(origem);
        destination = std::make_unique<OpenConnection>(destino);
        rows = std::make_unique<TSQLDataSet>(source.get());
        rows->SetCommandText(QStringLiteral("SELECT * FROM CONTA ") + condition);
        rows->Open();
    }

    // Sets the destination's row from the source's current row, found by its key as stored.
    int CopyRow(PreparedStatement& statement, TSQLTransaction& transaction) {
        std::vector<ParameterValue> values;
        for (const char* name : {"VALOR", "MOMENTO", "NOTA", "GRANDE", "CODIGO"}) {
            const TField* field = rows->FieldByName(QString::fromLatin1(name));
            values.push_back({&field->Value(), field->OriginTable(), field->OriginColumn()});
        }
        return statement.Execute(transaction, values);
    }

    QString Destino(const QString& sql) const { return DatabaseFactory::QueryValue(destino, sql); }

    DatabaseFactory factory;
    QString origem, destino;
    std::unique_ptr<OpenConnection> source, destination;
    std::unique_ptr<TSQLDataSet> rows;
};

TEST_F(PreparedStatementTest, KeysAndValuesArriveAsStoredAndFindExactlyTheirRow) {
    ReadSource(QStringLiteral("WHERE VALOR < 0"));
    TSQLTransaction transaction(destination.get());
    PreparedStatement statement(*destination, Update);
    EXPECT_EQ(CopyRow(statement, transaction), 1);
    transaction.Commit();

    EXPECT_EQ(Destino(QStringLiteral(
                  "SELECT COUNT(*) FROM CONTA WHERE GRANDE = 9007199254740993"
                  " AND CODIGO = CAST(x'80E341' AS CHAR(3) CHARACTER SET WIN1252) AND VALOR = -12345678901234.5678"
                  " AND MOMENTO = '1899-12-30 23:59:59.9999' AND NOTA = x'00FF00'")),
              QStringLiteral("1"));
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) FROM CONTA WHERE VALOR IS NOT NULL")), QStringLiteral("1"));
}

TEST_F(PreparedStatementTest, ARefusedRunRaisesTheServersMessageAndTheTransactionGoesOn) {
    DatabaseFactory::Execute(destino, QStringLiteral("ALTER TABLE CONTA ADD CONSTRAINT SEM_NEGATIVO CHECK (VALOR >= 0);"));
    ReadSource(QStringLiteral("ORDER BY VALOR"));
    TSQLTransaction transaction(destination.get());
    PreparedStatement statement(*destination, Update);
    try {
        CopyRow(statement, transaction);
        FAIL() << "a negative value passed the check";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Operation violates CHECK constraint SEM_NEGATIVO")))
            << error.Message().toStdString();
    }
    int changed = 0;
    for (rows->Next(); !rows->Eof(); rows->Next()) changed += CopyRow(statement, transaction);
    EXPECT_EQ(changed, 2);
    transaction.Commit();
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(VALOR, ' ') FROM (SELECT VALOR FROM CONTA WHERE VALOR IS NOT NULL ORDER BY VALOR)")),
              QStringLiteral("1.0000 2.0000"));
}

TEST_F(PreparedStatementTest, AStatementTheServerCannotPrepareFailsBeforeItsFirstRun) {
    ReadSource({});
    TSQLTransaction transaction(destination.get());
    PreparedStatement statement(*destination, QStringLiteral("UPDATE CONTA SET NADA = ? WHERE GRANDE = ?"));
    try {
        statement.Prepare(transaction);
        FAIL() << "prepared an unknown column";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Erro ao preparar o comando UPDATE CONTA SET NADA")))
            << error.Message().toStdString();
        EXPECT_TRUE(error.Message().contains(QStringLiteral("NADA")));
    }
    TSQLTransaction elsewhere(source.get());
    PreparedStatement update(*destination, Update);
    EXPECT_THROW(update.Prepare(elsewhere), EDatabaseError);
}

TEST_F(PreparedStatementTest, ItPreparesAgainOnAConnectionOpenedAgain) {
    ReadSource(QStringLiteral("WHERE VALOR > 0 ORDER BY VALOR"));
    PreparedStatement statement(*destination, Update);
    {
        TSQLTransaction transaction(destination.get());
        EXPECT_EQ(CopyRow(statement, transaction), 1);
        transaction.Commit();
    }
    destination->Close();
    destination->Open();
    rows->Next();
    TSQLTransaction transaction(destination.get());
    EXPECT_EQ(CopyRow(statement, transaction), 1);
    transaction.Commit();
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) FROM CONTA WHERE VALOR > 0")), QStringLiteral("2"));
}

// Another connection switches a trigger off, as "Desabilitar Triggers" does during a copy.
TEST_F(PreparedStatementTest, ATriggerSwitchedOffSinceThePrepareNoLongerFires) {
    DatabaseFactory::Execute(destino, QStringLiteral(
        "SET TERM ^ ; CREATE TRIGGER CONTA_MARCADA FOR CONTA BEFORE UPDATE AS BEGIN NEW.NOTA = 'trigger'; END^ SET TERM ; ^"));
    ReadSource(QStringLiteral("WHERE VALOR > 0 ORDER BY VALOR"));
    OpenConnection other(destino);
    PreparedStatement statement(*destination, Update);
    TSQLTransaction transaction(destination.get());
    CopyRow(statement, transaction);
    transaction.Commit();
    TSQLDataSet alter(&other);
    alter.SetCommandText(QStringLiteral("ALTER TRIGGER CONTA_MARCADA INACTIVE"));
    alter.ExecSQL();
    MetadataChanged();
    rows->Next();
    CopyRow(statement, transaction);
    transaction.Commit();
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(COALESCE(NOTA, 'N'), ' ') FROM (SELECT NOTA FROM CONTA WHERE VALOR > 0 ORDER BY VALOR)")),
              QStringLiteral("trigger N"));
}

}  // namespace
