#include "CopyWindow.h"

#include "catalogue/ActivityLog.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <QTextBlock>

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

// A window whose program folder is set before it shows, as the program sets it: the log file starts there.
class ProgramFolderWindow : public testing::Test {
protected:
    ProgramFolderWindow() {
        QStandardPaths::setTestModeEnabled(true);
        moved = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("LogVendrasol.txt"));
    }
    ~ProgramFolderWindow() override {
        QFile::remove(moved);
        QStandardPaths::setTestModeEnabled(false);
    }

    void Show(const QString& programFolder) {
        QFile::remove(moved);
        window.ProgramFolder = programFolder;
        window.show();
    }

    ScriptedDialogs dialogs;
    QTemporaryDir folder;
    QString moved;
    TFPrincipal window;
};

TEST_F(ProgramFolderWindow, UnwritableProgramFolderPutsTheLogInTheUserDataFolderSaysWhereAndCloses) {
    Show(folder.filePath(QStringLiteral("nao-existe/pasta")) + QLatin1Char('/'));
    RegistrarLog(QStringLiteral("ExecutarDelecao ITEM=erro"));
    window.close();

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ReadFile(moved), QByteArray("ExecutarDelecao ITEM=erro\r\n"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(moved));
    EXPECT_EQ(dialogs.messages[0].flags, MB_ICONWARNING);
}

// A log that cannot be written at the close (a full disk) says why, and the window stays for
// another try.
TEST_F(ProgramFolderWindow, ALogThatCannotBeWrittenAtTheCloseKeepsTheWindowOpen) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), folder.filePath(QStringLiteral("LogVendrasol.txt"))));
    Show(folder.path() + QLatin1Char('/'));
    RegistrarLog(QStringLiteral("linha"));
    window.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("Não foi possível gravar o log"))) << dialogs.messages[0].text.toStdString();
}

TEST_F(ProgramFolderWindow, InstalledProgramKeepsItsLogInTheUserDataFolderWithoutAWord) {
    // A system folder such as /usr/bin, which root could write to.
    const QString programFolder = folder.filePath(QStringLiteral("usr/bin/"));
    ASSERT_TRUE(QDir().mkpath(programFolder));
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("usr/share/vendrasol"))));
    Show(programFolder);

    RegistrarLog(QStringLiteral("Create(CLIENTE)"));
    window.close();

    EXPECT_EQ(ReadFile(moved), QByteArray("Create(CLIENTE)\r\n"));
    EXPECT_FALSE(QFile::exists(programFolder + QStringLiteral("LogVendrasol.txt")));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProgramFolderWindow, RunThatLogsNothingReplacesTheOldFileWithAnEmptyOne) {
    QFile old(folder.filePath(QStringLiteral("LogVendrasol.txt")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("linhas da vez anterior\r\n");
    old.close();
    Show(folder.path() + QLatin1Char('/'));
    window.close();
    EXPECT_EQ(ReadFile(old.fileName()), QByteArray());
}

using ActivityLogCopy = CopyWindow;

// A re-import after a crash refuses every row already there: the file keeps each refusal, while
// the memory and the "Log" tab keep only the latest lines.
TEST_F(ActivityLogCopy, EveryRefusedRowReachesTheFileAndTheMemoShowsTheLastLinesAndWhereTheOthersAre) {
    const QString grande = QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");
    ConnectPair(grande, grande, ManyRows(QStringLiteral("GRANDE"), 100001), ManyRows(QStringLiteral("GRANDE"), 100000));
    Mark("GRANDE");
    Import();

    const QString path = FileInFolder(QStringLiteral("LogVendrasol.txt"));
    const QStringList lines = QString::fromUtf8(ReadFile(path)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^GRANDE ERRO INSERIR "))).size(), 100000);
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 1, 100000).match(lines.last()).hasMatch()) << lines.last();
    EXPECT_EQ(LoggedLineCount(), lines.size());

    EXPECT_EQ(ListaLog.Items(), lines.mid(lines.size() - RecentLogLines));
    window.PageControl->setCurrentWidget(window.TabLog);
    window.TimerAtualizaTimer();
    const QString earlier =
        QStringLiteral("(%1 linha(s) anterior(es) no arquivo %2)").arg(lines.size() - RecentLogLines).arg(path);
    const QString memo = window.mmLog->toPlainText();
    EXPECT_TRUE(memo == earlier + QLatin1Char('\n') + ListaLog.Items().join(QLatin1Char('\n'))) << memo.left(300).toStdString();
}

// "Somente erros" shows the refused rows alone and the full view every line; the memo follows new
// lines to the end, also those logged while another tab showed, unless the user scrolled up.
TEST_F(ActivityLogCopy, SomenteErrosShowsOnlyTheRefusedRowsAndTheMemoFollowsTheEndUnlessScrolledUp) {
    const QString grande = QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");
    ConnectPair(grande, grande, ManyRows(QStringLiteral("GRANDE"), 300), ManyRows(QStringLiteral("GRANDE"), 200));
    Mark("GRANDE");
    Import();
    window.PageControl->setCurrentWidget(window.TabLog);
    QApplication::processEvents();
    QScrollBar* bar = window.mmLog->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    ASSERT_GT(bar->maximum(), 0);

    window.cbbSomenteErros->setChecked(true);
    const QStringList refused = Log().filter(QRegularExpression(QStringLiteral("^GRANDE ERRO INSERIR ")));
    ASSERT_EQ(refused.size(), 200);
    EXPECT_EQ(window.mmLog->toPlainText(), refused.join(QLatin1Char('\n')));
    const QString failure = QStringLiteral("OUTRA ERRO ao enviar as linhas em espera: falhou");
    RegistrarLog(QStringLiteral("Create(OUTRA)"));
    RegistrarLog(failure);
    window.TimerAtualizaTimer();
    EXPECT_EQ(window.mmLog->toPlainText(), (refused + QStringList(failure)).join(QLatin1Char('\n')));
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    RegistrarLog(QStringLiteral("GRANDE ERRO INSERIR mais uma"));
    window.TimerAtualizaTimer();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0) << "the user scrolled up to read";

    window.cbbSomenteErros->setChecked(false);
    EXPECT_EQ(window.mmLog->toPlainText(), ListaLog.Items().join(QLatin1Char('\n')));
}

// A long run drops the oldest lines from the memo; a user who scrolled up to read a refused row
// keeps it in view.
TEST_F(MainWindowTest, TheLineReadStaysInViewWhenTheOldestLinesGo) {
    for (int i = 0; i < RecentLogLines; ++i) RegistrarLog(QStringLiteral("linha %1").arg(i));
    window.PageControl->setCurrentWidget(window.TabLog);
    window.TimerAtualizaTimer();
    QApplication::processEvents();
    QScrollBar* bar = window.mmLog->verticalScrollBar();
    bar->setValue(5001);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    const auto top = [&] { return window.mmLog->document()->findBlockByNumber(bar->value()).text(); };
    ASSERT_EQ(top(), QStringLiteral("linha 5000"));

    for (int i = 0; i < 300; ++i) RegistrarLog(QStringLiteral("mais %1").arg(i));
    window.TimerAtualizaTimer();
    QApplication::processEvents();
    EXPECT_EQ(top(), QStringLiteral("linha 5000"));
}

// Another run keeps its log in the folder: this one's goes beside it, and the other is left whole.
TEST_F(ProgramFolderWindow, AnotherRunsLogIsLeftWholeAndThisRunsGoesBesideIt) {
    const QString usual = folder.filePath(QStringLiteral("LogVendrasol.txt"));
    QLockFile otherRun(usual + QStringLiteral(".lock"));
    ASSERT_TRUE(otherRun.tryLock(0));
    QFile other(usual);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("linhas da outra execução\r\n");
    other.close();
    Show(folder.path() + QLatin1Char('/'));
    RegistrarLog(QStringLiteral("linha"));
    window.close();

    const QString own = folder.filePath(QStringLiteral("LogVendrasol-%1.txt").arg(QCoreApplication::applicationPid()));
    EXPECT_EQ(ReadFile(usual), QByteArray("linhas da outra execução\r\n"));
    EXPECT_EQ(ReadFile(own), QByteArray("linha\r\n"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(own)) << dialogs.messages[0].text.toStdString();
}
