// A database reached through a Firebird server on loopback (localhost:/path) rather than the
// embedded engine: scripts/test starts the server and says where it is in the environment.

#include "LayerChain.h"
#include "platform/EDatabaseError.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"
#include "support/DatabaseFactory.h"
#include "support/LoopbackServer.h"

#include <QByteArray>
#include <QString>
#include <firebird/Interface.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Firebird;

namespace {

IMaster* Master() { return fb_get_master_interface(); }

std::string StatusText(CheckStatusWrapper* status) {
    char text[2048];
    Master()->getUtilInterface()->formatStatus(text, sizeof text, status);
    return text;
}

// Runs statements in a database through the server's own client calls, apart from the layer under
// test: makes and drops the test database and puts rows in it.
class ServerAdmin {
public:
    ServerAdmin(std::string database, std::string password)
        : database_(std::move(database)), password_(std::move(password)) {}

    // Creates the database in WIN1252 and runs each statement in a transaction of its own.
    void Create(const std::vector<const char*>& statements) {
        Run([&](CheckStatusWrapper* status, IProvider* provider, IXpbBuilder* dpb) {
            dpb->insertString(status, isc_dpb_set_db_charset, "WIN1252");
            IAttachment* attachment = provider->createDatabase(
                status, database_.c_str(), dpb->getBufferLength(status), dpb->getBuffer(status));
            if (Failed(status)) return;
            for (const char* sql : statements) {
                ITransaction* transaction = attachment->startTransaction(status, 0, nullptr);
                if (Failed(status)) break;
                attachment->execute(status, transaction, 0, sql, 3, nullptr, nullptr, nullptr, nullptr);
                if (Failed(status)) {
                    transaction->release();
                    break;
                }
                transaction->commit(status);
                if (Failed(status)) break;
            }
            if (Failed(status)) {
                attachment->release();
                return;
            }
            attachment->detach(status);
        });
    }

    void Drop() {
        Run([&](CheckStatusWrapper* status, IProvider* provider, IXpbBuilder* dpb) {
            IAttachment* attachment = provider->attachDatabase(
                status, database_.c_str(), dpb->getBufferLength(status), dpb->getBuffer(status));
            if (!Failed(status)) attachment->dropDatabase(status);
        });
    }

private:
    static bool Failed(CheckStatusWrapper* status) { return (status->getState() & IStatus::STATE_ERRORS) != 0; }

    template <typename Work>
    void Run(Work work) {
        CheckStatusWrapper status(Master()->getStatus());
        IProvider* provider = Master()->getDispatcher();
        IXpbBuilder* dpb = Master()->getUtilInterface()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&status, isc_dpb_user_name, "SYSDBA");
        dpb->insertString(&status, isc_dpb_password, password_.c_str());
        work(&status, provider, dpb);
        const bool failed = Failed(&status);
        const std::string message = failed ? StatusText(&status) : std::string();
        dpb->dispose();
        provider->release();
        status.dispose();
        if (failed) throw std::runtime_error(database_ + ": " + message);
    }

    std::string database_;
    std::string password_;
};

// 'Informática São João' as WIN1252 stores it.
const QByteArray kNomeWin1252("Inform\xE1tica S\xE3o Jo\xE3o");

const std::vector<const char*> kDatabase = {
    "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))",
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY, CLIENTE_ID INTEGER REFERENCES CLIENTE (ID))",
    "CREATE VIEW V_CLIENTE AS SELECT NOME FROM CLIENTE",
    "INSERT INTO CLIENTE (ID, NOME) VALUES (1, 'Inform\xE1tica S\xE3o Jo\xE3o')",
    "INSERT INTO CLIENTE (ID, NOME) VALUES (2, NULL)",
};

class ServerConnectionTest : public testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LOOPBACK_SERVER();
        password_ = LoopbackServerPassword();
        database_ = LoopbackServerDatabase({});
        admin_.emplace(database_.toStdString(), password_.toStdString());
        admin_->Create(kDatabase);
    }

    void TearDown() override {
        if (admin_) admin_->Drop();
    }

    // A connection as the program makes one, on the server's database.
    void Prepare(TSQLConnection& connection, const QString& password) {
        connection.Params.SetValue(QStringLiteral("Database"), database_);
        connection.Params.SetValue(QStringLiteral("Password"), password);
    }

    QString password_;
    QString database_;
    std::optional<ServerAdmin> admin_;
};

}  // namespace

TEST_F(ServerConnectionTest, OpensThroughTheServerWithTheRightPassword) {
    TSQLConnection connection;
    Prepare(connection, password_);
    connection.Open();
    ASSERT_TRUE(connection.Connected());

    // The attachment came in over the network, not through an embedded engine in this process.
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral(
        "SELECT MON$REMOTE_PROTOCOL FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION"));
    query.Open();
    ASSERT_FALSE(query.Eof());
    EXPECT_TRUE(query.Fields(0)->AsString().trimmed().startsWith(QLatin1String("TCP")))
        << query.Fields(0)->AsString().toStdString();
    query.Close();
    EXPECT_TRUE(connection.Remote());

    TStringList tables;
    connection.GetTableNames(tables);
    EXPECT_EQ(tables.Items(), QStringList({QStringLiteral("CLIENTE"), QStringLiteral("PEDIDO")}));

    connection.Close();
    EXPECT_FALSE(connection.Connected());
}

TEST_F(ServerConnectionTest, TextCrossesTheServerAsStored) {
    TSQLConnection connection;
    Prepare(connection, password_);
    connection.Open();

    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT ID, NOME FROM CLIENTE ORDER BY ID"));
    query.Open();
    ASSERT_FALSE(query.Eof());
    EXPECT_EQ(query.FieldByName(QStringLiteral("NOME"))->Value().data, kNomeWin1252);
    EXPECT_EQ(query.FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("Informática São João"));
    query.Next();
    ASSERT_FALSE(query.Eof());
    EXPECT_TRUE(query.FieldByName(QStringLiteral("NOME"))->IsNull());
}

TEST_F(ServerConnectionTest, WrongPasswordIsRefusedWithTheServersMessage) {
    TSQLConnection connection;
    Prepare(connection, password_ + QStringLiteral("-wrong"));
    try {
        connection.Open();
        FAIL() << "the server accepted a wrong password";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains(QLatin1String("Your user name and password are not defined")))
            << error.Message().toStdString();
        EXPECT_EQ(error.SqlState(), QStringLiteral("28000"));
    }
    EXPECT_FALSE(connection.Connected());
}

// Only a server checks passwords, so this is where ISC_PASSWORD can be seen to count.
TEST_F(ServerConnectionTest, PasswordComesFromIscPasswordByDefault) {
    const QByteArray saved = qgetenv("ISC_PASSWORD");
    const bool wasSet = qEnvironmentVariableIsSet("ISC_PASSWORD");
    qputenv("ISC_PASSWORD", password_.toUtf8());
    bool connected = false;
    try {
        TSQLConnection connection;
        connection.Params.SetValue(QStringLiteral("Database"), database_);
        connection.Open();
        connected = connection.Connected();
    } catch (const EDatabaseError& error) {
        ADD_FAILURE() << error.Message().toStdString();
    }
    if (wasSet)
        qputenv("ISC_PASSWORD", saved);
    else
        qunsetenv("ISC_PASSWORD");
    EXPECT_TRUE(connected);
}

// Through a server appended rows go in blocks, also while the caller goes on; a refused one still
// reaches OnReconcileError alone, with the server's message and its own values in the fields, and
// every other row goes in.
TEST_F(ServerConnectionTest, AppendedRowsGoInBlocksAndEachRefusedOneIsReportedAlone) {
    TSQLConnection connection;
    Prepare(connection, password_);
    connection.Open();
    Chain chain(connection, QStringLiteral("SELECT ID, NOME FROM CLIENTE"));
    TClientDataSet& rows = chain.rows;
    rows.PacketRecords = 0;
    TSQLTransaction transaction(&connection);
    rows.Transaction = &transaction;
    std::vector<int> refused;
    QStringList messages;
    rows.OnReconcileError = [&](TClientDataSet& dataSet, const EDatabaseError& error, TUpdateKind kind,
                                TReconcileAction& action) {
        EXPECT_EQ(kind, TUpdateKind::ukInsert);
        refused.push_back(dataSet.FieldByName(QStringLiteral("ID"))->AsInteger());
        messages << error.Message();
        action = TReconcileAction::raCancel;
    };
    rows.Open();
    for (int id = 300; id >= 1; --id) {
        rows.Append();
        rows.FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
        rows.FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("cliente %1").arg(id));
        rows.Post();
    }
    // Sent without waiting: the server's answer is taken, and the refusals reported, by the next apply.
    EXPECT_EQ(rows.SendUpdates(), 0);
    EXPECT_EQ(rows.ChangeCount(), 300);
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(rows.ApplyUpdates(-1), 2);
    EXPECT_EQ(refused, (std::vector<int>{2, 1}));
    for (const QString& message : messages)
        EXPECT_TRUE(message.startsWith(QLatin1String("violation of PRIMARY or UNIQUE KEY"))) << message.toStdString();
    EXPECT_EQ(rows.ChangeCount(), 0);

    // Refused rows that are kept stay pending, in their order, ahead of the rows posted since.
    for (int id : {5, 400, 7}) {
        rows.Append();
        rows.FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
        rows.Post();
    }
    rows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError&, TUpdateKind, TReconcileAction& action) {
        action = TReconcileAction::raSkip;
    };
    EXPECT_EQ(rows.SendUpdates(), 0);
    rows.Append();
    rows.FieldByName(QStringLiteral("ID"))->SetAsInteger(401);
    rows.Post();
    EXPECT_EQ(rows.ApplyUpdates(-1), 2);
    ASSERT_EQ(rows.ChangeCount(), 2);
    refused.clear();
    rows.OnReconcileError = [&](TClientDataSet& dataSet, const EDatabaseError&, TUpdateKind, TReconcileAction& action) {
        refused.push_back(dataSet.FieldByName(QStringLiteral("ID"))->AsInteger());
        action = TReconcileAction::raCancel;
    };
    EXPECT_EQ(rows.ApplyUpdates(-1), 2);
    EXPECT_EQ(refused, (std::vector<int>{5, 7}));

    // With a limit on the errors the rows go alone: nothing after the limit is written.
    for (int id : {301, 1, 302}) {
        rows.Append();
        rows.FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
        rows.Post();
    }
    rows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError&, TUpdateKind, TReconcileAction& action) {
        action = TReconcileAction::raSkip;
    };
    EXPECT_EQ(rows.ApplyUpdates(0), 1);
    EXPECT_EQ(rows.ChangeCount(), 2);
    rows.Close();
    transaction.Commit();

    TSQLDataSet count(&connection);
    count.SetCommandText(QStringLiteral("SELECT COUNT(*), SUM(ID) FROM CLIENTE"));
    count.Open();
    EXPECT_EQ(count.Fields(0)->AsInteger(), 303);
    EXPECT_EQ(count.Fields(1)->AsInteger(), 300 * 301 / 2 + 400 + 401 + 301);
}

// Rows of a table with an array column cannot go in a block: SendUpdates writes them at once, and
// the dataset says so, so that a caller does not let many of them pile up between its reports.
TEST_F(ServerConnectionTest, RowsNoBlockCanCarryAreWrittenAtOnceAndTheDatasetSaysSo) {
    DatabaseFactory::Execute(database_, QStringLiteral("CREATE TABLE GRADE (ID INTEGER NOT NULL PRIMARY KEY, G INTEGER[2]);"));
    TSQLConnection connection;
    Prepare(connection, password_);
    connection.Open();
    TSQLTransaction transaction(&connection);
    Chain clientes(connection, QStringLiteral("SELECT ID, NOME FROM CLIENTE"));
    Chain grades(connection, QStringLiteral("SELECT ID, G FROM GRADE"));
    for (TClientDataSet* rows : {&clientes.rows, &grades.rows}) {
        rows->PacketRecords = 0;
        rows->Transaction = &transaction;
        rows->Open();
        for (int id = 10; id < 20; ++id) {
            rows->Append();
            rows->FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
            rows->Post();
        }
    }
    EXPECT_TRUE(clientes.rows.SendsInBackground());
    EXPECT_FALSE(grades.rows.SendsInBackground());
    EXPECT_EQ(grades.rows.SendUpdates(), 0);
    EXPECT_EQ(grades.rows.ChangeCount(), 0);
    EXPECT_EQ(clientes.rows.SendUpdates(), 0);
    EXPECT_EQ(clientes.rows.ApplyUpdates(-1), 0);
    clientes.rows.Close();
    grades.rows.Close();
    transaction.Commit();
    EXPECT_EQ(DatabaseFactory::QueryValue(database_, QStringLiteral("SELECT COUNT(*) FROM GRADE")), QStringLiteral("10"));
    EXPECT_EQ(DatabaseFactory::QueryValue(database_, QStringLiteral("SELECT COUNT(*) FROM CLIENTE")), QStringLiteral("12"));
}
