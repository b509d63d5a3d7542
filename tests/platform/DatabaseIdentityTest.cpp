#include "support/DatabaseFactory.h"

#include "platform/DatabaseIdentity.h"
#include "platform/EDatabaseError.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {

class DatabaseIdentityTest : public testing::Test {
protected:
    DatabaseIdentity IdentityAt(const QString& path, const QString& password = QStringLiteral("masterkey")) {
        auto connection = std::make_unique<TSQLConnection>();
        connection->Params.SetValue(QStringLiteral("Database"), path);
        connection->Params.SetValue(QStringLiteral("Password"), password);
        connection->Open();
        const DatabaseIdentity identity = DatabaseIdentity::Of(*connection);
        // Kept open, as both connections of the window are while they are compared.
        open.push_back(std::move(connection));
        return identity;
    }

    DatabaseFactory factory;
    const QString path = factory.Create(QStringLiteral("dados"));
    std::vector<std::unique_ptr<TSQLConnection>> open;
};

}  // namespace

TEST_F(DatabaseIdentityTest, OtherSpellingsOfOneFileNameTheSameDatabase) {
    const DatabaseIdentity direct = IdentityAt(path);
    EXPECT_EQ(direct.fileName, path);
    EXPECT_FALSE(direct.creation.isEmpty());

    const QString link = factory.Folder() + QStringLiteral("/atalho.fdb");
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(IdentityAt(link), direct) << "a symbolic link";

    ASSERT_TRUE(QDir(factory.Folder()).mkdir(QStringLiteral("sub")));
    EXPECT_EQ(IdentityAt(factory.Folder() + QStringLiteral("/sub/../dados.fdb")), direct) << "a path through ..";
}

// Users make a destination by copying the source's file: it is another database with the same
// creation moment, and must not be mistaken for the source.
TEST_F(DatabaseIdentityTest, CopyOfTheFileAndAnotherDatabaseAreDifferent) {
    const QString copy = factory.Folder() + QStringLiteral("/copia.fdb");
    ASSERT_TRUE(QFile::copy(path, copy));
    const DatabaseIdentity original = IdentityAt(path);
    const DatabaseIdentity copied = IdentityAt(copy);
    EXPECT_EQ(copied.creation, original.creation);
    EXPECT_FALSE(copied == original);
    EXPECT_FALSE(IdentityAt(factory.Create(QStringLiteral("outro"))) == original);
}

// Through the server on loopback, when scripts/test has started it.
TEST_F(DatabaseIdentityTest, ServerPathSpelledTwoWaysNamesTheSameDatabase) {
    const QString password = qEnvironmentVariable("VENDRASOL_SERVER_PASSWORD");
    if (password.isEmpty()) GTEST_SKIP() << "no Firebird server: run scripts/test";
    const QString folder = qEnvironmentVariable("VENDRASOL_SERVER_DIR", QStringLiteral("/var/lib/firebird/3.0/data"));
    const QString name = QStringLiteral("vendrasol-identity-%1.fdb").arg(getpid());
    const QString server = QStringLiteral("localhost:%1/%2").arg(folder, name);
    DatabaseFactory::CreateAt(server, password);
    const auto drop = qScopeGuard([&] {
        open.clear();
        DatabaseFactory::DropAt(server, password);
    });

    const DatabaseIdentity viaServer = IdentityAt(server, password);
    EXPECT_EQ(viaServer.fileName, folder + QLatin1Char('/') + name);
    const QString roundabout = QStringLiteral("localhost:%1/../%2/%3").arg(folder, QDir(folder).dirName(), name);
    EXPECT_EQ(IdentityAt(roundabout, password), viaServer);
    // The plain path beside it never gets as far as a comparison: the server holds the file.
    EXPECT_THROW(IdentityAt(folder + QLatin1Char('/') + name), EDatabaseError);
}
