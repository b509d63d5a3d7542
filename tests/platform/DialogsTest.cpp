#include "platform/Dialogs.h"

#include <gtest/gtest.h>

TEST(Dialogs, FileFilterBecomesQtNameFiltersWithEveryFileForStarDotStar) {
    EXPECT_EQ(QtNameFilters(QStringLiteral("Arquivo Firebird (.fdb)|*.fdb|Bancos|*.fdb;*.gdb|Todos os Arquivos (*.*)|*.*")),
              QStringList({QStringLiteral("Arquivo Firebird (.fdb) (*.fdb)"), QStringLiteral("Bancos (*.fdb *.gdb)"),
                           QStringLiteral("Todos os Arquivos (*.*) (*)")}));
}
