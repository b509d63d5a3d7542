#include "MainWindowTest.h"

#include <QDir>
#include <QFile>

TEST_F(MainWindowTest, PickersFillTheirOwnFieldAndCancellingChangesNothing) {
    window.edtCaminhoOrigem->setText(QStringLiteral("antes.fdb"));
    window.edtCaminhoDestino->setText(QStringLiteral("destino-antes.fdb"));

    dialogs.CancelOpenFile();
    window.btnCaminhoOrigem->click();
    EXPECT_EQ(window.edtCaminhoOrigem->text(), QStringLiteral("antes.fdb"));

    dialogs.AnswerOpenFile(QStringLiteral("/dados/ORIGEM.FDB"));
    window.btnCaminhoOrigem->click();
    EXPECT_EQ(window.edtCaminhoOrigem->text(), QStringLiteral("/dados/ORIGEM.FDB"));
    EXPECT_EQ(window.edtCaminhoDestino->text(), QStringLiteral("destino-antes.fdb"));

    dialogs.AnswerOpenFile(QStringLiteral("/dados/destino.gdb"));
    window.btnCaminhoDestino->click();
    EXPECT_EQ(window.edtCaminhoDestino->text(), QStringLiteral("/dados/destino.gdb"));

    ASSERT_EQ(dialogs.fileFilters.size(), 3u);
    EXPECT_EQ(dialogs.fileFilters[0],
              QStringLiteral("Arquivo Firebird (.fdb)|*.fdb|Arquivo Interbase (.gdb)|*.gdb|Todos os Arquivos (*.*)|*.*"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, HelpShowsTheWholeFileAndNothingWithoutIt) {
    window.btnHelp->click();
    EXPECT_TRUE(dialogs.messages.empty());

    const QString text = QStringLiteral("Ajuda do Vendrasol\nLinha dois: conexão\n\nFim");
    QFile help(FileInFolder(QStringLiteral("HelpVendrasol.txt")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write(text.toUtf8());
    help.close();

    window.btnHelp->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, text);
    EXPECT_EQ(dialogs.messages[0].flags, MB_OK);
}

TEST_F(MainWindowTest, InstalledProgramReadsTheHelpFromItsDataFolderUnlessOneIsBesideIt) {
    // The folders as the package lays them out.
    window.ProgramFolder = FileInFolder(QStringLiteral("usr/bin/"));
    ASSERT_TRUE(QDir().mkpath(window.ProgramFolder));
    ASSERT_TRUE(QDir().mkpath(FileInFolder(QStringLiteral("usr/share/vendrasol"))));
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(FileInFolder(QStringLiteral("usr/share/vendrasol/HelpVendrasol.txt")), "Ajuda instalada");
    window.btnHelp->click();
    write(window.ProgramFolder + QStringLiteral("HelpVendrasol.txt"), "Ajuda ao lado");
    window.btnHelp->click();

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Ajuda instalada"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Ajuda ao lado"));
}
