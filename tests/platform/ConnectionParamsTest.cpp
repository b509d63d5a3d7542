// The connection's parameters change how it talks to the server.
#include "platform/EDatabaseError.h"
#include "support/DatabaseFactory.h"

#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"

#include <gtest/gtest.h>
#include <ibase.h>

#include <chrono>
#include <future>

namespace {

class ConnectionParams : public testing::Test {
protected:
    void SetUp() override {
        path = factory.Create(QStringLiteral("db"),
                              QStringLiteral("CREATE TABLE ITEM (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10) CHARACTER SET WIN1252);"
                                             "INSERT INTO ITEM VALUES (1, 'S' || ASCII_CHAR(227) || 'o');"
                                             "CREATE ROLE AUDITOR; GRANT AUDITOR TO SYSDBA;"));
        holder.Params.SetValue(QStringLiteral("Database"), path);
        holder.Open();
    }

    // Opens a connection to the test database with one parameter changed.
    void Open(TSQLConnection& connection, const QString& name, const QString& value) {
        connection.Params.SetValue(QStringLiteral("Database"), path);
        connection.Params.SetValue(name, value);
        connection.Open();
    }

    static QString First(TSQLConnection& connection, const QString& sql, TSQLTransaction* transaction = nullptr) {
        TSQLDataSet query(&connection);
        query.Transaction = transaction;
        query.SetCommandText(sql);
        query.Open();
        return query.Fields(0)->AsString();
    }

    // The holder keeps row 1 locked by an update it has not committed, and a second connection,
    // with the lock wait given, is ready to update the same row.
    void Contend(const QString& waitOnLocks) {
        update.Transaction = &locking;
        update.SetCommandText(QStringLiteral("UPDATE ITEM SET NAME = 'held' WHERE ID = 1"));
        update.ExecSQL();
        Open(contender, QStringLiteral("WaitOnLocks"), waitOnLocks);
        change.SetCommandText(QStringLiteral("UPDATE ITEM SET NAME = 'mine' WHERE ID = 1"));
    }

    DatabaseFactory factory;
    QString path;
    TSQLConnection holder;
    TSQLTransaction locking{&holder};
    TSQLDataSet update{&holder};
    TSQLConnection contender;
    TSQLDataSet change{&contender};
};

TEST_F(ConnectionParams, WithoutLockWaitARowHeldElsewhereFailsAtOnce) {
    Contend(QStringLiteral("False"));
    auto attempt = std::async(std::launch::async, [&] {
        try {
            change.ExecSQL();
            return QStringLiteral("done");
        } catch (const EDatabaseError& error) {
            return error.Message();
        }
    });
    const bool finished = attempt.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!finished) locking.Rollback();   // lets a waiting update go, so that the test can end
    const QString outcome = attempt.get();
    EXPECT_TRUE(finished) << "the update waited for the lock";
    EXPECT_TRUE(outcome.contains(QStringLiteral("update conflicts with concurrent update"))) << outcome.toStdString();
}

TEST_F(ConnectionParams, WithLockWaitARowHeldElsewhereIsWaitedFor) {
    Contend(QStringLiteral("True"));
    auto attempt = std::async(std::launch::async, [&] { return change.ExecSQL(); });
    EXPECT_EQ(attempt.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    locking.Rollback();
    EXPECT_EQ(attempt.get(), 1);
    EXPECT_EQ(DatabaseFactory::QueryValue(path, QStringLiteral("SELECT NAME FROM ITEM")), QStringLiteral("mine"));
}

TEST_F(ConnectionParams, RepeatableReadKeepsOneViewForTheWholeTransaction) {
    TSQLConnection readCommitted, repeatable;
    Open(readCommitted, QStringLiteral("Interbase TransIsolation"), QStringLiteral("ReadCommited"));
    Open(repeatable, QStringLiteral("Interbase TransIsolation"), QStringLiteral("RepeatableRead"));
    TSQLTransaction first(&readCommitted), second(&repeatable);
    const QString count = QStringLiteral("SELECT COUNT(*) FROM ITEM");
    EXPECT_EQ(First(readCommitted, count, &first), QStringLiteral("1"));
    EXPECT_EQ(First(repeatable, count, &second), QStringLiteral("1"));
    DatabaseFactory::Execute(path, QStringLiteral("INSERT INTO ITEM (ID) VALUES (2)"));
    EXPECT_EQ(First(readCommitted, count, &first), QStringLiteral("2"));
    EXPECT_EQ(First(repeatable, count, &second), QStringLiteral("1"));
}

TEST_F(ConnectionParams, DialectRoleAndCharacterSetReachTheServer) {
    TSQLConnection dialectOne, role, utf8;
    Open(dialectOne, QStringLiteral("SQLDialect"), QStringLiteral("1"));
    Open(role, QStringLiteral("RoleName"), QStringLiteral("AUDITOR"));
    Open(utf8, QStringLiteral("ServerCharSet"), QStringLiteral("UTF8"));
    // Dialect 1 divides integers as floating point.
    EXPECT_EQ(First(dialectOne, QStringLiteral("SELECT 1 / 2 FROM RDB$DATABASE")), QStringLiteral("0.5"));
    EXPECT_EQ(First(holder, QStringLiteral("SELECT 1 / 2 FROM RDB$DATABASE")), QStringLiteral("0"));
    EXPECT_EQ(First(role, QStringLiteral("SELECT CURRENT_ROLE FROM RDB$DATABASE")).trimmed(), QStringLiteral("AUDITOR"));
    EXPECT_EQ(First(holder, QStringLiteral("SELECT CURRENT_ROLE FROM RDB$DATABASE")).trimmed(), QStringLiteral("NONE"));
    // With a connection character set the server converts text to it.
    TSQLDataSet query(&utf8);
    query.SetCommandText(QStringLiteral("SELECT NAME FROM ITEM"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->Value().charSet, 4u);
    EXPECT_EQ(query.Fields(0)->Value().data, QByteArray("S\xc3\xa3o"));
    EXPECT_EQ(query.Fields(0)->AsString(), QStringLiteral("São"));
}

TEST_F(ConnectionParams, AValueAParameterCannotTakeIsRefusedAtOpen) {
    TSQLConnection connection;
    connection.Params.SetValue(QStringLiteral("Database"), path);
    connection.Params.SetValue(QStringLiteral("Interbase TransIsolation"), QStringLiteral("Serializable"));
    try {
        connection.Open();
        FAIL() << "opened with an unknown isolation";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("Serializable"))) << error.Message().toStdString();
    }
    EXPECT_FALSE(connection.Connected());
}

// The cache a connection asks for is the one the engine gives the database it opens first.
TEST(ConnectionCache, TheFirstConnectionSetsTheDatabasesCache) {
    DatabaseFactory factory;
    TSQLConnection first, second;
    first.Params.SetValue(QStringLiteral("Database"), factory.Create(QStringLiteral("cache"), QString()));
    first.CachePages = 4096;
    first.Open();
    second.Params = first.Params;
    second.CachePages = 300;
    second.Open();
    for (TSQLConnection* connection : {&first, &second}) {
        TSQLDataSet query(connection);
        query.SetCommandText(QStringLiteral("SELECT MON$PAGE_BUFFERS FROM MON$DATABASE"));
        query.Open();
        EXPECT_EQ(query.Fields(0)->AsString(), QStringLiteral("4096"));
    }
}

}  // namespace
