#include "platform/Dialogs.h"

#include "platform/Application.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(Dialogs, FileFilterBecomesQtNameFiltersWithEveryFileForStarDotStar) {
    EXPECT_EQ(QtNameFilters(QStringLiteral("Arquivo Firebird (.fdb)|*.fdb|Bancos|*.fdb;*.gdb|Todos os Arquivos (*.*)|*.*")),
              QStringList({QStringLiteral("Arquivo Firebird (.fdb) (*.fdb)"), QStringLiteral("Bancos (*.fdb *.gdb)"),
                           QStringLiteral("Todos os Arquivos (*.*) (*)")}));
}

// Tests answer questions in advance; one nobody answered must fail the test, not confirm anything.
TEST(Dialogs, ScriptedQuestionsTakeTheQueuedAnswersAndFailLoudlyWithoutOne) {
    ScriptedDialogs dialogs;
    dialogs.AnswerQuestion(IDYES);
    dialogs.AnswerQuestion(IDNO);
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("1?"), QString(), MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("aviso"), QString(), MB_ICONWARNING), IDOK) << "a message takes no answer";
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("2?"), QString(), MB_YESNO | MB_ICONQUESTION), IDNO);
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = Dialogs().MessageBox(QStringLiteral("3?"), QString(), MB_YESNO), "no answer queued");
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(dialogs.messages.size(), 4u);
}

// A notice shown by a command run nested inside a copy must not hold the copy until it is read.
TEST(Dialogs, AMessageShownWhileSomethingHandlesTheMessagesDoesNotHoldIt) {
    SetDialogProvider(nullptr);
    bool returned = false, heldByTheBox = false;
    QTimer::singleShot(0, [&] {
        Dialogs().MessageBox(QStringLiteral("Primeira"), QStringLiteral("Atenção"), MB_ICONWARNING);
        // A box shown while the first one is the active window outlives it.
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(widget)) QApplication::setActiveWindow(widget);
        Dialogs().MessageBox(QStringLiteral("Aguarde"), QStringLiteral("Atenção"), MB_ICONWARNING);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->text() == QStringLiteral("Primeira")) box->close();
        returned = true;
    });
    // Without it, the test ends the box that would hold it.
    QTimer::singleShot(500, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            heldByTheBox = true;
            modal->close();
        }
    });
    for (int turn = 0; turn < 10 && !returned; ++turn) WaitForMessages(100);
    EXPECT_TRUE(returned);
    EXPECT_FALSE(heldByTheBox);
    WaitForMessages(10);   // the first box goes
    QMessageBox* shown = nullptr;
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) shown = box;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), QStringLiteral("Aguarde"));
    shown->close();
}
