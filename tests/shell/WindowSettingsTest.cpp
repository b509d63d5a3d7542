#include "shell/Program.h"
#include "shell/TFPrincipal.h"
#include "shell/WindowSettings.h"
#include "support/DatabaseFactory.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// One run of the program: the window as the program prepares it from its settings file and its
// command line, with its own files in the test's folder.
struct ProgramRun {
    ProgramRun(const QString& settingsFile, const QString& programFolder, const QStringList& arguments)
        : settings(settingsFile) {
        window.ProgramFolder = programFolder;
        PrepareMainWindow(window, ParseCommandLine(QStringList{QStringLiteral("vendrasol")} + arguments), settings);
        window.show();
    }

    WindowSettings settings;
    TFPrincipal window;
};

class WindowSettingsTest : public testing::Test {
protected:
    std::unique_ptr<ProgramRun> Start(const QStringList& arguments = {}) {
        return std::make_unique<ProgramRun>(settingsFile, folder.path() + QLatin1Char('/'), arguments);
    }

    static void Connect(TFPrincipal& window, const QString& origem, const QString& destino) {
        window.edtCaminhoOrigem->setText(origem);
        window.edtCaminhoDestino->setText(destino);
        window.btnConecta->click();
    }

    void WriteSettingsFile(const QByteArray& content) {
        QDir().mkpath(QFileInfo(settingsFile).path());
        QFile file(settingsFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // The window as it starts when nothing was remembered.
    static void ExpectDefaults(const TFPrincipal& window) {
        EXPECT_EQ(window.edtCaminhoOrigem->text(), QString());
        EXPECT_EQ(window.edtCaminhoDestino->text(), QString());
        EXPECT_EQ(window.rdgSync->ItemIndex(), 2);
        EXPECT_EQ(window.size(), QSize(808, 634));
    }

    ScriptedDialogs dialogs;
    QTemporaryDir folder;
    const QString settingsFile = folder.filePath(QStringLiteral("configuracao/Vendrasol.conf"));
    DatabaseFactory factory;
    const QString script = QStringLiteral("CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY);");
    // Spaces, accents and a comma, which the settings file would otherwise read as a list.
    const QString origem = factory.Create(QStringLiteral("Orígem da Ação, 2024"), script);
    const QString destino = factory.Create(QStringLiteral("destino cópia"), script);
};

}  // namespace

TEST_F(WindowSettingsTest, ArgumentsFillTheFieldsInPlaceOfTheRememberedPathsAndConnectNothing) {
    {
        const auto first = Start();
        Connect(first->window, destino, origem);
        ASSERT_TRUE(first->window.SQLConnectionDestino.Connected());
        first->window.close();
    }

    const auto run = Start({origem, destino});
    TFPrincipal& window = run->window;
    EXPECT_EQ(window.edtCaminhoOrigem->text(), origem);
    EXPECT_EQ(window.edtCaminhoDestino->text(), destino);
    EXPECT_FALSE(window.SQLConnection.Connected());
    EXPECT_FALSE(window.SQLConnectionDestino.Connected());
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("lblStatus"));
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 0);

    // The paths are usable just as given: "Conectar" opens both.
    window.btnConecta->click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(window.SQLConnection.Connected());
    EXPECT_TRUE(window.SQLConnectionDestino.Connected());
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 1);
}

TEST_F(WindowSettingsTest, WhatOneRunRemembersTheNextRestoresWithTheCommandLinePathsFirst) {
    {
        const auto first = Start();
        ExpectDefaults(first->window);
        Connect(first->window, origem, destino);
        ASSERT_TRUE(first->window.SQLConnectionDestino.Connected());
        first->window.rdgSync->SetItemIndex(0);
        first->window.resize(900, 700);
        first->window.close();
    }
    {
        const auto second = Start();
        EXPECT_EQ(second->window.edtCaminhoOrigem->text(), origem);
        EXPECT_EQ(second->window.edtCaminhoDestino->text(), destino);
        EXPECT_EQ(second->window.rdgSync->ItemIndex(), 0);
        EXPECT_EQ(second->window.workspace.SyncItemIndex(), 0);
        EXPECT_EQ(second->window.size(), QSize(900, 700));
        EXPECT_FALSE(second->window.SQLConnection.Connected());
    }
    const auto withPaths = Start({QStringLiteral("a.fdb"), QStringLiteral("b.fdb")});
    EXPECT_EQ(withPaths->window.edtCaminhoOrigem->text(), QStringLiteral("a.fdb"));
    EXPECT_EQ(withPaths->window.rdgSync->ItemIndex(), 0);
    EXPECT_EQ(withPaths->window.size(), QSize(900, 700));
}

TEST_F(WindowSettingsTest, OnlyPathsThatConnectedAreRemembered) {
    {
        const auto typedOnly = Start();
        typedOnly->window.edtCaminhoOrigem->setText(origem);
        typedOnly->window.edtCaminhoDestino->setText(destino);
        typedOnly->window.close();
    }
    {
        const auto run = Start();
        EXPECT_EQ(run->window.edtCaminhoOrigem->text(), QString());
        Connect(run->window, origem, destino);
        ASSERT_TRUE(run->window.SQLConnectionDestino.Connected());
        // The source opens, the destination does not: that pair is not one that connected.
        Connect(run->window, destino, folder.filePath(QStringLiteral("nao-existe.fdb")));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        run->window.close();
    }
    const auto next = Start();
    EXPECT_EQ(next->window.edtCaminhoOrigem->text(), origem);
    EXPECT_EQ(next->window.edtCaminhoDestino->text(), destino);
}

TEST_F(WindowSettingsTest, ASettingsFileWithBadValuesIsIgnoredAndReplacedAtTheNextClose) {
    const QList<QByteArray> damaged = {
        "[FPrincipal]\n"
        "edtCaminhoOrigem=a.fdb, b.fdb\n"
        "edtCaminhoDestino=@ByteArray(\\0\\x1)\n"
        "rdgSync=Semaphore\n"
        "geometry=@ByteArray(lixo)\n",
        "[FPrincipal]\nrdgSync=7\ngeometry=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\n",
        "[FPrincipal]\nrdgSync=-1\ngeometry=\n",
        QByteArray("\x00\xff\xfe[[[=\n\x01geometry", 18),
    };
    for (const QByteArray& content : damaged) {
        WriteSettingsFile(content);
        {
            const auto run = Start();
            ExpectDefaults(run->window);
            EXPECT_TRUE(dialogs.messages.empty());
            run->window.rdgSync->SetItemIndex(1);
            run->window.close();
        }
        const auto next = Start();
        EXPECT_EQ(next->window.rdgSync->ItemIndex(), 1) << content.toStdString();
        EXPECT_EQ(next->window.size(), QSize(808, 634));
    }
}

TEST_F(WindowSettingsTest, APathTypedRelativeIsRememberedAbsoluteAndAServerPathAsTyped) {
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(factory.Folder()));
    {
        const auto run = Start();
        Connect(run->window, QFileInfo(origem).fileName(), QStringLiteral("./") + QFileInfo(destino).fileName());
        QDir::setCurrent(started);
        ASSERT_TRUE(run->window.SQLConnectionDestino.Connected());
    }
    const auto next = Start();
    EXPECT_EQ(next->window.edtCaminhoOrigem->text(), origem);
    EXPECT_EQ(next->window.edtCaminhoDestino->text(), destino);
    next->settings.RememberPaths(QStringLiteral("localhost:/var/lib/firebird/3.0/data/a.fdb"), QStringLiteral("b.fdb"));
    EXPECT_EQ(Start()->window.edtCaminhoOrigem->text(), QStringLiteral("localhost:/var/lib/firebird/3.0/data/a.fdb"));
}
