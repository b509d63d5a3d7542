// Applying a client dataset's changes: what reaches the table, what stays pending, and that no
// change touches a row other than its own.
#include "platform/EDatabaseError.h"
#include "support/DatabaseFactory.h"

#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"

#include <gtest/gtest.h>

namespace {

const char* Schema = R"(
CREATE TABLE ITEM (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));
CREATE TABLE LOOSE (CODE INTEGER, NAME VARCHAR(20));
INSERT INTO ITEM VALUES (1, 'one');
INSERT INTO LOOSE VALUES (7, 'twin');
INSERT INTO LOOSE VALUES (7, 'twin');
INSERT INTO LOOSE VALUES (8, 'other');
)";

class ApplyUpdates : public testing::Test {
protected:
    void SetUp() override {
        path = factory.Create(QStringLiteral("db"), QString::fromUtf8(Schema));
        connection.Params.SetValue(QStringLiteral("Database"), path);
        connection.Open();
        rows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError& error, TUpdateKind, TReconcileAction& action) {
            reported << error.Message();
            action = answer;
        };
    }

    // Appends rows with these ids to ITEM, without reading the rows it holds.
    void AppendItems(std::initializer_list<int> ids) {
        query.SetCommandText(QStringLiteral("SELECT ID, NAME FROM ITEM"));
        rows.PacketRecords = 0;
        rows.Open();
        for (int id : ids) {
            rows.Append();
            rows.FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
            rows.FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("new"));
            rows.Post();
        }
    }

    QString Ids() const {
        return DatabaseFactory::QueryValue(path, QStringLiteral("SELECT LIST(ID) FROM (SELECT ID FROM ITEM ORDER BY ID)"));
    }

    DatabaseFactory factory;
    QString path;
    TSQLConnection connection;
    TSQLDataSet query{&connection};
    TDataSetProvider provider{&query};
    TClientDataSet rows{&provider};
    TReconcileAction answer = TReconcileAction::raSkip;
    QStringList reported;
};

TEST_F(ApplyUpdates, PastTheLimitTheAcceptedRowsAreKeptAndTheRestStaysPending) {
    AppendItems({10, 1, 11});
    int rejected = -1;
    EXPECT_NO_THROW(rejected = rows.ApplyUpdates(0));
    EXPECT_EQ(rejected, 1);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(Ids(), QStringLiteral("1,10"));
    EXPECT_EQ(rows.ChangeCount(), 2);
    // The duplicate, still pending, is cancelled now; the untried row goes through.
    answer = TReconcileAction::raCancel;
    EXPECT_EQ(rows.ApplyUpdates(-1), 1);
    EXPECT_EQ(rows.ChangeCount(), 0);
    EXPECT_EQ(Ids(), QStringLiteral("1,10,11"));
}

TEST_F(ApplyUpdates, AbortStopsAtTheRejectedRowAndKeepsTheAcceptedOnes) {
    AppendItems({10, 1, 11});
    answer = TReconcileAction::raAbort;
    EXPECT_EQ(rows.ApplyUpdates(-1), 1);
    EXPECT_EQ(Ids(), QStringLiteral("1,10"));
    EXPECT_EQ(rows.ChangeCount(), 2);
}

TEST_F(ApplyUpdates, SkipKeepsTheRejectedRowPendingAndGoesOn) {
    AppendItems({10, 1, 11});
    EXPECT_EQ(rows.ApplyUpdates(-1), 1);
    EXPECT_EQ(Ids(), QStringLiteral("1,10,11"));
    EXPECT_EQ(rows.ChangeCount(), 1);
    // The change kept pending is the same row when it is tried again, not an emptied one.
    DatabaseFactory::Execute(path, QStringLiteral("DELETE FROM ITEM WHERE ID = 1"));
    EXPECT_EQ(rows.ApplyUpdates(-1), 0);
    EXPECT_EQ(Ids(), QStringLiteral("1,10,11"));
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT NAME FROM ITEM WHERE ID = 1")), QStringLiteral("new"));
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(ApplyUpdates, InTheCallersTransactionAcceptedRowsWaitForItsCommit) {
    TSQLTransaction transaction(&connection);
    rows.Transaction = &transaction;
    AppendItems({10, 1, 11});
    EXPECT_EQ(rows.ApplyUpdates(0), 1);
    EXPECT_TRUE(transaction.InTransaction());
    EXPECT_EQ(rows.ChangeCount(), 2);
    EXPECT_EQ(Ids(), QStringLiteral("1"));
    transaction.Commit();
    EXPECT_EQ(Ids(), QStringLiteral("1,10"));
}

// Embedded, sent rows are written on the sender's thread; the refusals, in order and with the
// refused row in the fields, come with the answer, and a row kept pending is not lost.
TEST_F(ApplyUpdates, SentRowsAreWrittenAloneAndTheirRefusalsComeWithTheAnswer) {
    TSQLTransaction transaction(&connection);
    rows.Transaction = &transaction;
    QList<int> refusedIds;
    rows.OnReconcileError = [&](TClientDataSet& dataSet, const EDatabaseError& error, TUpdateKind, TReconcileAction& action) {
        reported << error.Message();
        refusedIds << dataSet.FieldByName(QStringLiteral("ID"))->AsInteger();
        action = refusedIds.size() == 1 ? TReconcileAction::raCancel : TReconcileAction::raSkip;
    };
    AppendItems({10, 1, 11, 12, 1, 13});
    EXPECT_TRUE(rows.SendsInBackground());
    EXPECT_EQ(rows.SendUpdates(), 0);
    EXPECT_EQ(rows.ChangeCount(), 6);
    EXPECT_EQ(rows.TakeAnswer(), 2);
    EXPECT_EQ(refusedIds, (QList<int>{1, 1}));
    ASSERT_EQ(reported.size(), 2);
    EXPECT_TRUE(reported[0].startsWith(QLatin1String("violation of PRIMARY or UNIQUE KEY"))) << reported[0].toStdString();
    EXPECT_EQ(rows.ChangeCount(), 1);
    transaction.Commit();
    EXPECT_EQ(Ids(), QStringLiteral("1,10,11,12,13"));
}

TEST_F(ApplyUpdates, AnEditThatNoFieldCanLocateIsRefusedNamingTheTable) {
    query.SetCommandText(QStringLiteral("SELECT CODE, NAME FROM LOOSE WHERE NAME = 'other'"));
    provider.UpdateMode = TUpdateMode::upWhereKeyOnly;   // and no field is flagged as key
    rows.Open();
    rows.Edit();
    rows.FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("everyone"));
    rows.Post();
    EXPECT_EQ(rows.ApplyUpdates(-1), 1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("LOOSE"))) << reported[0].toStdString();
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM LOOSE WHERE NAME = 'everyone'")), "0");
}

TEST_F(ApplyUpdates, AnEditThatWouldChangeSeveralRowsIsUndone) {
    TSQLTransaction transaction(&connection);
    rows.Transaction = &transaction;
    query.SetCommandText(QStringLiteral("SELECT CODE, NAME FROM LOOSE WHERE CODE = 7"));
    rows.Open();
    rows.Edit();
    rows.FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("changed"));
    rows.Post();
    answer = TReconcileAction::raCancel;
    EXPECT_EQ(rows.ApplyUpdates(-1), 1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("2 linhas da tabela LOOSE"))) << reported[0].toStdString();
    EXPECT_EQ(rows.FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("twin"));
    transaction.Commit();
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT LIST(NAME) FROM LOOSE")), "twin,twin,other");
}

TEST_F(ApplyUpdates, AnApplyThatCannotStartLeavesNoTransactionOpen) {
    // An expression reads no table, so there is nothing to write it to.
    query.SetCommandText(QStringLiteral("SELECT 1 AS X FROM RDB$DATABASE"));
    rows.Open();
    rows.Edit();
    rows.Fields(0)->SetAsInteger(2);
    rows.Post();
    EXPECT_THROW(rows.ApplyUpdates(-1), EDatabaseError);
    rows.Close();
    EXPECT_NO_THROW(connection.Close());
}

}  // namespace
