// A database reached through a Firebird server on loopback (localhost:/path) rather than the
// embedded engine: scripts/test starts the server and says where it is in the environment.

#include "platform/Exceptions.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

#include <QByteArray>
#include <QString>
#include <firebird/Interface.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>
#include <unistd.h>

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
        password_ = qEnvironmentVariable("VENDRASOL_SERVER_PASSWORD");
        if (password_.isEmpty()) {
            // CI always starts the server, so its absence there is a fault, not a reason to skip.
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << "VENDRASOL_SERVER_PASSWORD is not set: scripts/test starts the Firebird server and sets it";
            GTEST_SKIP() << "no Firebird server: run scripts/test, or scripts/firebird-server and export "
                            "VENDRASOL_SERVER_PASSWORD";
        }
        const QString folder = qEnvironmentVariable("VENDRASOL_SERVER_DIR", QStringLiteral("/var/lib/firebird/3.0/data"));
        const QString test = QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name());
        database_ = QStringLiteral("localhost:%1/vendrasol-%2-%3.fdb").arg(folder, test).arg(getpid());
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
