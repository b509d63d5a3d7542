// The data-access operations the program relies on, against real databases.
#include "LayerChain.h"
#include "platform/EDatabaseError.h"
#include "support/DatabaseFactory.h"

#include "platform/DatabaseErrors.h"
#include "platform/SqlNames.h"
#include "platform/StatementText.h"
#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"

#include <QThread>
#include <gtest/gtest.h>

#include <functional>

namespace {

const char* Schema = R"(
CREATE TABLE ZETA (ID INTEGER NOT NULL PRIMARY KEY, NAME CHAR(10), NOTE VARCHAR(20), BORN DATE);
CREATE TABLE ALPHA (B INTEGER, A INTEGER, C COMPUTED BY (A + B));
CREATE TABLE "order" ("Select" INTEGER, "it""s" VARCHAR(5));
CREATE VIEW V_ZETA AS SELECT ID FROM ZETA;
CREATE TABLE FORA EXTERNAL FILE 'fora.dat' (A CHAR(10));
INSERT INTO ZETA VALUES (1, 'cliente', NULL, '1899-12-30');
INSERT INTO ZETA VALUES (2, 'Pedido', 'x', '1900-01-01');
INSERT INTO ZETA VALUES (3, 'item', NULL, NULL);
)";

class DataAccess : public testing::Test {
protected:
    void SetUp() override {
        path = factory.Create(QStringLiteral("db"), QString::fromUtf8(Schema));
        connection.Params.SetValue(QStringLiteral("DATABASE"), path);
        connection.Open();
    }
    DatabaseFactory factory;
    QString path;
    TSQLConnection connection;
};

TEST_F(DataAccess, ListsUserTablesInNameOrderAndColumnsInPositionOrder) {
    TStringList tables;
    connection.GetTableNames(tables);
    EXPECT_EQ(tables.Items(), (QStringList{"ALPHA", "ZETA", "order"}));
    TStringList columns;
    connection.GetFieldNames(QStringLiteral("ALPHA"), columns);
    EXPECT_EQ(columns.Items(), (QStringList{"B", "A", "C"}));
    connection.GetFieldNames(QStringLiteral("order"), columns);
    EXPECT_EQ(columns.Items(), (QStringList{"Select", "it\"s"}));
}

TEST_F(DataAccess, AFileOpenedByPathIsNotReachedThroughAServer) { EXPECT_FALSE(connection.Remote()); }

TEST_F(DataAccess, OpenFailuresCarryTheServersWholeMessage) {
    TSQLConnection missing;
    missing.Params.SetValue(QStringLiteral("Database"), factory.Folder() + QStringLiteral("/nothing.fdb"));
    try {
        missing.Open();
        FAIL() << "opened a missing file";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("nothing.fdb"))) << error.Message().toStdString();
        EXPECT_TRUE(error.Message().contains(QLatin1Char('\n'))) << "every line of the status";
    }
    EXPECT_FALSE(missing.Connected());

    // What the layer was doing leads the server's text.
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT * FROM NO_SUCH_TABLE"));
    try {
        query.Open();
        FAIL() << "opened a missing table";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Erro ao preparar o comando SELECT * FROM NO_SUCH_TABLE:\n")))
            << error.Message().toStdString();
        EXPECT_TRUE(error.Message().contains(QStringLiteral("NO_SUCH_TABLE")));
    }
    EXPECT_FALSE(query.Active());
}

TEST_F(DataAccess, ConnectionDefaultsComeFromTheEnvironment) {
    qputenv("ISC_USER", "SOMEONE");
    qunsetenv("ISC_PASSWORD");
    TSQLConnection fresh;
    qunsetenv("ISC_USER");
    EXPECT_EQ(fresh.Params.Values(QStringLiteral("user_name")), QStringLiteral("SOMEONE"));
    EXPECT_EQ(fresh.Params.Values(QStringLiteral("Password")), QStringLiteral("masterkey"));
    EXPECT_EQ(fresh.Params.Values(QStringLiteral("SQLDialect")), QStringLiteral("3"));
}

TEST_F(DataAccess, NamedParametersAndCounts) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT COUNT(*), ':NOT' FROM ZETA WHERE NAME = :NAME OR NAME = :name"));
    query.ParamByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("Pedido"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->AsInteger(), 1);
    EXPECT_EQ(query.Fields(1)->AsString(), QStringLiteral(":NOT"));
    query.Close();
    EXPECT_THROW(query.ParamByName(QStringLiteral("OTHER")), EDatabaseError);

    TSQLDataSet change(&connection);
    change.SetCommandText(QStringLiteral("UPDATE ZETA SET NOTE = 'y' WHERE ID > 1"));
    EXPECT_EQ(change.ExecSQL(), 2);
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA WHERE NOTE = 'y'")), "2");
}

TEST_F(DataAccess, AStatementThatFailsAtCommitIsNotReportedAsDone) {
    // Metadata changes take effect at commit; dropping a table this attachment is reading fails there.
    TSQLDataSet reading(&connection);
    reading.SetCommandText(QStringLiteral("SELECT ID FROM ZETA"));
    reading.Open();
    TSQLDataSet drop(&connection);
    drop.SetCommandText(QStringLiteral("DROP TABLE ZETA"));
    EXPECT_THROW(drop.ExecSQL(), EDatabaseError);
    reading.Close();
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA")), "3");
}

TEST_F(DataAccess, AllRowsLocateEditAndApplyFindNullOldValues) {
    Chain chain(connection);
    TSQLDataSet& query = chain.query;
    TClientDataSet& rows = chain.rows;
    query.SetCommandText(QStringLiteral("SELECT ID, NAME, NOTE FROM ZETA ORDER BY ID"));
    int scrolls = 0;
    rows.AfterScroll = [&] { ++scrolls; };
    rows.Open();
    EXPECT_EQ(rows.RecordCount(), 3);
    EXPECT_EQ(scrolls, 1);
    // Padded CHAR text is found whole and case-insensitively, and never by a prefix.
    EXPECT_FALSE(rows.Locate(QStringLiteral("NAME"), QStringLiteral("PED")));
    ASSERT_TRUE(rows.Locate(QStringLiteral("NAME"), QStringLiteral("ITEM")));
    EXPECT_EQ(rows.FieldByName(QStringLiteral("ID"))->AsInteger(), 3);
    rows.Edit();
    rows.FieldByName(QStringLiteral("NOTE"))->SetAsString(QStringLiteral("novo"));
    rows.Post();
    EXPECT_EQ(rows.ChangeCount(), 1);
    EXPECT_EQ(rows.ApplyUpdates(-1), 0);
    EXPECT_EQ(rows.ChangeCount(), 0);
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT NOTE FROM ZETA WHERE ID = 3")), "novo");
}

TEST_F(DataAccess, ARowChangedUnderneathIsReportedAndCancelled) {
    Chain chain(connection);
    TSQLDataSet& query = chain.query;
    TClientDataSet& rows = chain.rows;
    query.SetCommandText(QStringLiteral("SELECT ID, NOTE FROM ZETA ORDER BY ID"));
    rows.Open();
    rows.Next();
    DatabaseFactory::Execute(path, QStringLiteral("UPDATE ZETA SET NOTE = 'other' WHERE ID = 2"));
    rows.Edit();
    rows.FieldByName(QStringLiteral("NOTE"))->SetAsString(QStringLiteral("mine"));
    rows.Post();
    QStringList reported;
    rows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError& error, TUpdateKind kind, TReconcileAction& action) {
        reported << error.Message();
        EXPECT_EQ(kind, TUpdateKind::ukModify);
        action = TReconcileAction::raCancel;
    };
    EXPECT_EQ(rows.ApplyUpdates(-1), 1);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(rows.FieldByName(QStringLiteral("NOTE"))->AsString(), QStringLiteral("x"));
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT NOTE FROM ZETA WHERE ID = 2")), "other");
}

TEST_F(DataAccess, ARefusedRowIsInTheFieldsWhileItIsReconciled) {
    Chain chain(connection);
    TClientDataSet& rows = chain.rows;
    chain.query.SetCommandText(QStringLiteral("SELECT ID, NOTE FROM ZETA ORDER BY ID"));
    rows.Open();
    int scrolls = 0;
    rows.AfterScroll = [&] { ++scrolls; };
    EXPECT_THROW(rows.SetRecNo(3), EDatabaseError);
    for (const int row : {2, 0}) {
        rows.SetRecNo(row);
        rows.Edit();
        rows.FieldByName(QStringLiteral("NOTE"))->SetAsString(QStringLiteral("mine %1").arg(row));
        rows.Post();
    }
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(rows.RecNo(), 0);
    DatabaseFactory::Execute(path, QStringLiteral("UPDATE ZETA SET NOTE = 'other' WHERE ID = 3"));
    QStringList reconciled;
    rows.OnReconcileError = [&](TClientDataSet& refused, const EDatabaseError&, TUpdateKind, TReconcileAction&) {
        reconciled << refused.FieldByName(QStringLiteral("ID"))->AsString() + QLatin1Char(' ') +
                          refused.FieldByName(QStringLiteral("NOTE"))->AsString();
    };

    EXPECT_EQ(rows.ApplyUpdates(-1), 1);

    EXPECT_EQ(reconciled, QStringList{"3 mine 2"});
    EXPECT_EQ(rows.ChangeCount(), 1);
    EXPECT_EQ(rows.FieldByName(QStringLiteral("ID"))->AsInteger(), 1) << "the current row is shown again";
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT NOTE FROM ZETA WHERE ID = 1")), "mine 0");
}

// Firebird files the refusal of a system-table update under the same SQLCODE as a shut-down
// connection: only the connection's loss ends an apply.
TEST_F(DataAccess, ARefusedSystemTableUpdateIsOneRejectedRowButALostConnectionEndsTheApply) {
    Chain chain(connection);
    TClientDataSet& rows = chain.rows;
    chain.query.SetCommandText(QStringLiteral(
        "SELECT RDB$FIELD_NAME, RDB$UPDATE_FLAG FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'ZETA'"));
    rows.Open();
    for (; !rows.Eof(); rows.Next()) {
        rows.Edit();
        rows.FieldByName(QStringLiteral("RDB$UPDATE_FLAG"))->SetAsInteger(0);
        rows.Post();
    }
    int reconciled = 0;
    rows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError&, TUpdateKind, TReconcileAction&) { ++reconciled; };
    EXPECT_EQ(rows.ApplyUpdates(-1), 4);
    EXPECT_EQ(reconciled, 4);
    EXPECT_EQ(rows.ChangeCount(), 4);

    TSQLDataSet self(&connection);
    self.SetCommandText(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
    self.Open();
    const QString attachment = self.Fields(0)->AsString();
    self.Close();
    DatabaseFactory::Execute(path, QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = ") + attachment);
    // The engine ends the attachment at its own pace: wait until a read finds it gone.
    for (int tries = 0; tries < 100; ++tries) {
        try {
            self.Open();
            self.Close();
        } catch (const EDatabaseError& error) {
            ASSERT_TRUE(IsConnectionLost(error)) << error.Message().toStdString();
            break;
        }
        QThread::msleep(50);
    }
    EXPECT_THROW(rows.ApplyUpdates(-1), EDatabaseError);
    EXPECT_EQ(reconciled, 4);
    EXPECT_EQ(rows.ChangeCount(), 4);
}

TEST_F(DataAccess, PostRefusesAnEmptyRequiredField) {
    Chain chain(connection);
    TSQLDataSet& query = chain.query;
    TClientDataSet& rows = chain.rows;
    query.SetCommandText(QStringLiteral("SELECT ID, NAME FROM ZETA"));
    rows.PacketRecords = 0;
    rows.Open();
    EXPECT_TRUE(rows.Eof());
    EXPECT_EQ(rows.RecordCount(), 0);
    rows.Append();
    rows.FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("sem id"));
    EXPECT_THROW(rows.Post(), EDatabaseError);
    EXPECT_EQ(rows.State(), TDataSetState::dsInsert);
    rows.Cancel();
    EXPECT_EQ(rows.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(rows.ApplyUpdates(-1), 0);
}

TEST_F(DataAccess, OnDemandRowsComeFromOneSnapshot) {
    Chain chain(connection);
    TSQLDataSet& query = chain.query;
    TClientDataSet& rows = chain.rows;
    rows.FetchOnDemand = true;
    query.SetCommandText(QStringLiteral("SELECT ID FROM ZETA ORDER BY ID"));
    rows.Open();
    EXPECT_EQ(rows.RecordCount(), 3);
    // Rows added by someone else during the walk are not part of it.
    TSQLConnection other;
    other.Params.SetValue(QStringLiteral("Database"), path);
    other.Open();
    TSQLDataSet insert(&other);
    insert.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (4)"));
    insert.ExecSQL();
    QStringList seen;
    for (rows.First(); !rows.Eof(); rows.Next()) seen << rows.Fields(0)->AsString();
    EXPECT_EQ(seen, (QStringList{"1", "2", "3"}));
    rows.Next();
    EXPECT_TRUE(rows.Eof());
    rows.First();
    EXPECT_EQ(rows.Fields(0)->AsInteger(), 1);
    EXPECT_EQ(rows.RecordCount(), 3);
}

TEST_F(DataAccess, AWalkGoesOnThroughCommitsOfTheSameConnection) {
    // The walk reads ZETA while the same connection appends copies of its rows to ZETA in a held
    // transaction, committed after every row: the walk sees neither the commits nor the copies.
    Chain source(connection), destination(connection);
    source.rows.FetchOnDemand = true;
    source.query.SetCommandText(QStringLiteral("SELECT ID, NAME FROM ZETA ORDER BY ID"));
    destination.query.SetCommandText(QStringLiteral("SELECT ID, NAME FROM ZETA"));
    destination.rows.PacketRecords = 0;
    TSQLTransaction transaction(&connection);
    destination.rows.Transaction = &transaction;
    source.rows.Open();
    destination.rows.Open();
    QStringList seen;
    for (source.rows.First(); !source.rows.Eof(); source.rows.Next()) {
        seen << source.rows.Fields(0)->AsString();
        destination.rows.Append();
        destination.rows.FieldByName(QStringLiteral("ID"))->SetAsInteger(source.rows.Fields(0)->AsInteger() + 100);
        destination.rows.FieldByName(QStringLiteral("NAME"))->SetValue(source.rows.FieldByName(QStringLiteral("NAME"))->Value());
        destination.rows.Post();
        ASSERT_EQ(destination.rows.ApplyUpdates(-1), 0);
        if (seen.size() == 1)
            transaction.CommitRetaining();
        else
            transaction.Commit();
    }
    EXPECT_EQ(seen, (QStringList{"1", "2", "3"}));
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT LIST(ID || NAME) FROM (SELECT ID, NAME FROM ZETA WHERE ID > 100 ORDER BY ID)")),
              "101cliente   ,102Pedido    ,103item      ");
}

TEST_F(DataAccess, HeldTransactionKeepsGoingAfterARejectedStatement) {
    TSQLTransaction transaction(&connection);
    TSQLDataSet query(&connection);
    query.Transaction = &transaction;
    query.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (10)"));
    query.ExecSQL();
    EXPECT_TRUE(transaction.InTransaction());
    query.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (1)"));
    EXPECT_THROW(query.ExecSQL(), EDatabaseError);
    query.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (11)"));
    query.ExecSQL();
    // Other statements of the connection commit on their own, apart from the held transaction.
    TSQLDataSet alone(&connection);
    alone.SetCommandText(QStringLiteral("UPDATE ZETA SET NOTE = 'alone' WHERE ID = 3"));
    alone.ExecSQL();
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT NOTE FROM ZETA WHERE ID = 3")), "alone");
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA WHERE ID >= 10")), "0");
    transaction.CommitRetaining();
    EXPECT_TRUE(transaction.InTransaction());
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT LIST(ID) FROM (SELECT ID FROM ZETA WHERE ID >= 10 ORDER BY ID)")),
              "10,11");
    query.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (12)"));
    query.ExecSQL();
    // Closing keeps what was done under a held transaction.
    connection.Close();
    EXPECT_FALSE(transaction.InTransaction());
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA WHERE ID = 12")), "1");
}

TEST_F(DataAccess, ATransactionLeftOpenIsCommittedWhenItGoes) {
    {
        TSQLTransaction transaction(&connection);
        EXPECT_FALSE(transaction.InTransaction());
        transaction.StartTransaction();
        EXPECT_THROW(transaction.StartTransaction(), EDatabaseError);
        TSQLDataSet query(&connection);
        query.Transaction = &transaction;
        query.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (20)"));
        query.ExecSQL();
        transaction.Rollback();
        EXPECT_FALSE(transaction.InTransaction());
        EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA WHERE ID = 20")), "0");
        query.SetCommandText(QStringLiteral("INSERT INTO ZETA (ID) VALUES (21)"));
        query.ExecSQL();
    }
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA WHERE ID = 21")), "1");
}

// Dropping a table that a view reads fails only when the drop is committed.
class FailingCommit : public DataAccess {
protected:
    void SetUp() override {
        DataAccess::SetUp();
        drop.Transaction = &transaction;
        drop.SetCommandText(QStringLiteral("DROP TABLE ZETA"));
        drop.ExecSQL();
    }
    // What the layer was doing, then the server's reason.
    static void ExpectFailure(const std::function<void()>& ending) {
        try {
            ending();
            ADD_FAILURE() << "the commit was reported as done";
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Erro ao confirmar a transação:\n"))) << error.Message().toStdString();
            EXPECT_TRUE(error.Message().contains(QStringLiteral("ZETA"))) << error.Message().toStdString();
        }
    }
    TSQLTransaction transaction{&connection};
    TSQLDataSet drop{&connection};
};

TEST_F(FailingCommit, IsRaisedByCommitWithTheServersMessage) {
    ExpectFailure([&] { transaction.Commit(); });
    EXPECT_FALSE(transaction.InTransaction());
    EXPECT_NO_THROW(connection.Close());
}

TEST_F(FailingCommit, IsRaisedByCloseWithTheServersMessage) {
    ExpectFailure([&] { connection.Close(); });
    EXPECT_FALSE(connection.Connected());
    EXPECT_FALSE(transaction.InTransaction());
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM ZETA")), "3");
}

TEST_F(DataAccess, DatesCountFromTheLastDayOf1899) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT BORN, CAST('12:00:00' AS TIME), CAST(-12.5 AS NUMERIC(9,2)) FROM ZETA ORDER BY ID"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->DataType(), TFieldType::ftDate);
    EXPECT_EQ(query.Fields(0)->AsFloat(), 0.0);
    EXPECT_EQ(query.Fields(1)->DataType(), TFieldType::ftTime);
    EXPECT_DOUBLE_EQ(query.Fields(1)->AsFloat(), 0.5);
    EXPECT_EQ(query.Fields(2)->AsString(), QStringLiteral("-12.50"));
    query.Next();
    EXPECT_EQ(query.Fields(0)->AsFloat(), 2.0);
    query.Next();
    EXPECT_TRUE(query.Fields(0)->IsNull());
    EXPECT_FALSE(query.Fields(0)->Required());
}

TEST(SqlNames, OnlyIrregularNamesAreQuoted) {
    EXPECT_EQ(quoteIdentifier(QStringLiteral("CLIENTE")), QStringLiteral("CLIENTE"));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("RDB$X_1")), QStringLiteral("RDB$X_1"));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("ORDER")), QStringLiteral("\"ORDER\""));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("cliente")), QStringLiteral("\"cliente\""));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("MY TABLE")), QStringLiteral("\"MY TABLE\""));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("A\"B")), QStringLiteral("\"A\"\"B\""));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("O'BRIEN")), QStringLiteral("\"O'BRIEN\""));
    EXPECT_EQ(quoteIdentifier(QStringLiteral("1ST")), QStringLiteral("\"1ST\""));
    EXPECT_EQ(QuotedStr(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
}

TEST(StatementText, ParametersOutsideQuotesAndComments) {
    const StatementText text = ParseParameters(
        QStringLiteral("SELECT ':A', \":B\" FROM T -- :C\nWHERE X = :RELATION_NAME /* :D */ AND Y = :Y2"));
    EXPECT_EQ(text.parameters, (QStringList{"RELATION_NAME", "Y2"}));
    EXPECT_TRUE(text.sql.endsWith(QStringLiteral("X = ? /* :D */ AND Y = ?")));
}

}  // namespace
