#include "MainWindowTest.h"

#include "catalogue/ActivityLog.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(ActivityLog, NothingIsLoggedBeforeTheWindowIsShown) {
    ScriptedDialogs dialogs;
    TFPrincipal window;
    EXPECT_FALSE(LogAtivo);
    RegistrarLog(QStringLiteral("antes"));
    window.show();
    EXPECT_TRUE(LogAtivo);
    RegistrarLog(QStringLiteral("depois"));
    EXPECT_EQ(ListaLog.Items(), QStringList({QStringLiteral("depois")}));
}

TEST_F(MainWindowTest, ClosingWritesEveryLineEndedByCrLfAndClosesTheWindow) {
    RegistrarLog(QStringLiteral("Create(CLIENTE)"));
    RegistrarLog(QString());
    RegistrarLog(QStringLiteral("ExportRegister -> CLIENTE violação de chave"));
    window.close();
    EXPECT_EQ(ReadFile(FileInFolder(QStringLiteral("LogVendrasol.txt"))),
              QStringLiteral("Create(CLIENTE)\r\n\r\nExportRegister -> CLIENTE violação de chave\r\n").toUtf8());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, RunThatLogsNothingReplacesTheOldFileWithAnEmptyOne) {
    QFile old(FileInFolder(QStringLiteral("LogVendrasol.txt")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("linhas da vez anterior\r\n");
    old.close();
    window.close();
    EXPECT_EQ(ReadFile(old.fileName()), QByteArray());
}

TEST_F(MainWindowTest, RefreshShowsTheWholeLogInTheMemo) {
    RegistrarLog(QStringLiteral("Create(PEDIDO)"));
    RegistrarLog(QStringLiteral("Destroy(PEDIDO)"));
    window.TimerAtualizaTimer();
    EXPECT_EQ(window.mmLog->toPlainText(), QStringLiteral("Create(PEDIDO)\nDestroy(PEDIDO)"));
    RegistrarLog(QStringLiteral("CDSOrigemPEDIDO"));
    window.TimerAtualizaTimer();
    EXPECT_EQ(window.mmLog->toPlainText(), QStringLiteral("Create(PEDIDO)\nDestroy(PEDIDO)\nCDSOrigemPEDIDO"));
}

TEST(ActivityLog, LinesLoggedAfterTheCloseReachTheFileWhenTheProgramEnds) {
    ScriptedDialogs dialogs;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("LogVendrasol.txt"));
    {
        TFPrincipal window;
        window.ProgramFolder = folder.path() + QLatin1Char('/');
        window.show();
        RegistrarLog(QStringLiteral("antes do fechamento"));
        window.close();   // as during a long copy, which goes on logging
        RegistrarLog(QStringLiteral("depois do fechamento"));
        EXPECT_EQ(ReadFile(path), QByteArray("antes do fechamento\r\n"));
    }
    EXPECT_EQ(ReadFile(path), QByteArray("antes do fechamento\r\ndepois do fechamento\r\n"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, UnwritableProgramFolderPutsTheLogInTheUserDataFolderSaysWhereAndCloses) {
    QStandardPaths::setTestModeEnabled(true);
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString moved = QDir(dataFolder).filePath(QStringLiteral("LogVendrasol.txt"));
    QFile::remove(moved);

    window.ProgramFolder = FileInFolder(QStringLiteral("nao-existe/pasta")) + QLatin1Char('/');
    RegistrarLog(QStringLiteral("ExecutarDelecao ITEM=erro"));
    window.close();

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ReadFile(moved), QByteArray("ExecutarDelecao ITEM=erro\r\n"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(moved));
    EXPECT_EQ(dialogs.messages[0].flags, MB_ICONWARNING);
    QFile::remove(moved);
    QStandardPaths::setTestModeEnabled(false);
}

TEST_F(MainWindowTest, InstalledProgramKeepsItsLogInTheUserDataFolderWithoutAWord) {
    QStandardPaths::setTestModeEnabled(true);
    const QString moved = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                              .filePath(QStringLiteral("LogVendrasol.txt"));
    QFile::remove(moved);
    // A system folder such as /usr/bin, which root could write to.
    window.ProgramFolder = FileInFolder(QStringLiteral("usr/bin/"));
    ASSERT_TRUE(QDir().mkpath(window.ProgramFolder));
    ASSERT_TRUE(QDir().mkpath(FileInFolder(QStringLiteral("usr/share/vendrasol"))));

    RegistrarLog(QStringLiteral("Create(CLIENTE)"));
    window.close();

    EXPECT_EQ(ReadFile(moved), QByteArray("Create(CLIENTE)\r\n"));
    EXPECT_FALSE(QFile::exists(window.ProgramFolder + QStringLiteral("LogVendrasol.txt")));
    EXPECT_TRUE(dialogs.messages.empty());
    QFile::remove(moved);
    QStandardPaths::setTestModeEnabled(false);
}
