#include "CopyWindow.h"

// Commands clicked while a copy lets the window handle its messages run inside it, to their end.
class NestedCommand : public CopyWindow {
protected:
    void SetUp() override {
        const QString ddl = QStringLiteral(
            "CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));"
            "CREATE TABLE ECO (ID INTEGER NOT NULL PRIMARY KEY);"
            "CREATE TABLE VELHA (ID INTEGER NOT NULL PRIMARY KEY);");
        const QString trigger = QStringLiteral(
            "SET TERM ^ ;"
            "CREATE TRIGGER GRANDE_AI FOR GRANDE AFTER INSERT AS BEGIN INSERT INTO ECO VALUES (NEW.ID); END^"
            "SET TERM ; ^");
        ConnectPair(ddl + trigger, ddl + trigger, ManyRows(QStringLiteral("GRANDE"), 3000),
                    QStringLiteral("INSERT INTO VELHA VALUES (1); INSERT INTO VELHA VALUES (2);"));
        Mark("GRANDE");
    }

    void ExpectTheCopyWentOn() {
        EXPECT_EQ(DestinoCount("GRANDE"), 3000);
        EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 3000, 0).match(Log().last()).hasMatch()) << Log();
    }
};

TEST_F(NestedCommand, ARefreshCountsEveryTableAgainAndTheCopyGoesOn) {
    bool importadaDuringCopy = true;
    WhenTheWindowListens([&] {
        window.btnAtualizar->click();
        importadaDuringCopy = Tabela("GRANDE")->Importada();
    });
    Import();
    EXPECT_FALSE(importadaDuringCopy);   // a part of the rows is there: the counts differ
    ExpectTheCopyWentOn();
    EXPECT_TRUE(Tabela("GRANDE")->Importada());
}

TEST_F(NestedCommand, ACleanupEmptiesItsTablesAndTheCopyGoesOn) {
    WhenTheWindowListens([&] {
        Tabela("VELHA")->SetCheckedDelete(true);
        dialogs.AnswerQuestion(IDYES);
        window.btnEfetuarLimpeza->click();
    });
    Import();
    EXPECT_EQ(DestinoCount("VELHA"), 0);
    ExpectTheCopyWentOn();
    EXPECT_TRUE(dialogs.messages.back().text == QStringLiteral("Limpeza da(s) tabela(s) efetuada!"));
}

TEST_F(NestedCommand, TriggersSwitchedOffStopFiringForTheRowsThatFollow) {
    int before = 0;
    WhenTheCopyReports([&] {
        window.btnDesabilitarTrigger->click();
        before = DestinoCount("GRANDE");
    });
    Import();
    ExpectTheCopyWentOn();
    // The rows before the switch fired it, the later ones did not, though their INSERT was prepared before.
    EXPECT_GE(before, 1);
    EXPECT_EQ(DestinoCount("ECO"), before);
    EXPECT_EQ(Destino(QStringLiteral("SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'GRANDE_AI'")),
              QStringLiteral("1"));
}

// The copy would go on filling the table emptied under it, and call its copy done.
TEST_F(NestedCommand, ACleanupOfTheTableBeingCopiedIsRefusedAndTheCopyGoesOn) {
    WhenTheCopyReports([&] {
        Tabela("GRANDE")->SetCheckedDelete(true);
        window.btnEfetuarLimpeza->click();
    });
    Import();
    ExpectTheCopyWentOn();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Aguarde: a importação da tabela GRANDE está em andamento."));
}
