#include "platform/Dialogs.h"

#include "support/ScriptedDialogs.h"

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
