#include "MaintenancePair.h"

#include "catalogue/ActivityLog.h"
#include "platform/TSQLDataSet.h"

namespace {

// PEDIDO_AI writes the history; "pedido_bi" has a lower-case name; PEDIDO_AU and the licence check
// LICENCA, a database-level trigger, are off from the start; the CHECK constraint lives in two
// system triggers (system flag 3).
const QString Pedidos = QStringLiteral(
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY, SITUACAO CHAR(1) CHECK (SITUACAO IN ('A', 'F')));"
    "CREATE TABLE HISTORICO (PEDIDO_ID INTEGER);"
    "CREATE EXCEPTION SEM_LICENCA 'Sem licença';"
    "SET TERM ^ ;"
    "CREATE TRIGGER PEDIDO_AI FOR PEDIDO ACTIVE AFTER INSERT AS BEGIN INSERT INTO HISTORICO VALUES (NEW.ID); END^"
    "CREATE TRIGGER \"pedido_bi\" FOR PEDIDO ACTIVE BEFORE INSERT AS BEGIN NEW.SITUACAO = 'A'; END^"
    "CREATE TRIGGER PEDIDO_AU FOR PEDIDO INACTIVE AFTER UPDATE AS BEGIN END^"
    "CREATE TRIGGER LICENCA INACTIVE ON CONNECT AS BEGIN EXCEPTION SEM_LICENCA; END^"
    "SET TERM ; ^");

const QString Desativadas = QStringLiteral("Trigger's desativadas. Não esqueça de ativá-las!!!");
const QString Ativadas = QStringLiteral("Trigger's ativadas");
const QString Atencao = QStringLiteral("Atenção");

class TriggerSwitchTest : public MaintenancePair {
protected:
    // Each user trigger with its RDB$TRIGGER_INACTIVE, in name order.
    static QString UserTriggers(const QString& path) {
        return Value(
            path,
            QStringLiteral(
                "SELECT LIST(NAME, ' ') FROM (SELECT TRIM(RDB$TRIGGER_NAME) || '=' || RDB$TRIGGER_INACTIVE AS NAME"
                " FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0 ORDER BY RDB$TRIGGER_NAME)"));
    }

    static QString InactiveSystemTriggers(const QString& path) {
        return Value(path,
                     QStringLiteral(
                         "SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG <> 0 AND RDB$TRIGGER_INACTIVE = 1"));
    }
};

}  // namespace

TEST_F(TriggerSwitchTest, HabilitarSwitchesOnExactlyWhatDesabilitarSwitchedOffAndTheLogNamesThem) {
    Open(Pedidos, Pedidos);
    ASSERT_EQ(InactiveSystemTriggers(destino), QStringLiteral("0"));
    ASSERT_NE(Value(destino, QStringLiteral("SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 3")),
              QStringLiteral("0"));

    Press(&DestinationMaintenance::btnDesabilitarTriggerClick);
    ExpectMessage(Desativadas, Atencao, MB_ICONWARNING);
    EXPECT_EQ(UserTriggers(destino), QStringLiteral("LICENCA=1 PEDIDO_AI=1 PEDIDO_AU=1 pedido_bi=1"));
    EXPECT_EQ(InactiveSystemTriggers(destino), QStringLiteral("0"));
    EXPECT_EQ(UserTriggers(origem), QStringLiteral("LICENCA=1 PEDIDO_AI=0 PEDIDO_AU=1 pedido_bi=0"))
        << "the source is not touched";

    // A row copied now reaches the destination as it is, and the history gets nothing.
    DatabaseFactory::Execute(destino, QStringLiteral("INSERT INTO PEDIDO VALUES (1, 'F')"));
    EXPECT_EQ(Value(destino, QStringLiteral("SELECT COUNT(*) FROM HISTORICO")), QStringLiteral("0"));
    EXPECT_EQ(Value(destino, QStringLiteral("SELECT SITUACAO FROM PEDIDO")), QStringLiteral("F"));
    EXPECT_ANY_THROW(DatabaseFactory::Execute(destino, QStringLiteral("INSERT INTO PEDIDO VALUES (2, 'X')")))
        << "the CHECK constraint still holds";

    Press(&DestinationMaintenance::btnDesabilitarTriggerClick);
    ExpectMessage(Desativadas, Atencao, MB_ICONWARNING);
    EXPECT_EQ(UserTriggers(destino), QStringLiteral("LICENCA=1 PEDIDO_AI=1 PEDIDO_AU=1 pedido_bi=1"));

    Reopen();
    Press(&DestinationMaintenance::btnHabilitarTriggerClick);
    ExpectMessage(Ativadas, Atencao, MB_ICONWARNING);
    EXPECT_EQ(UserTriggers(destino), QStringLiteral("LICENCA=1 PEDIDO_AI=0 PEDIDO_AU=1 pedido_bi=0"))
        << "what was off before stays off";
    EXPECT_EQ(InactiveSystemTriggers(destino), QStringLiteral("0"));
    DatabaseFactory::Execute(destino, QStringLiteral("INSERT INTO PEDIDO VALUES (3, 'F')"));
    EXPECT_EQ(Value(destino, QStringLiteral("SELECT LIST(PEDIDO_ID) FROM HISTORICO")), QStringLiteral("3"));

    // Switched on again, nothing is left on record to switch on.
    Press(&DestinationMaintenance::btnHabilitarTriggerClick);
    ExpectMessage(Ativadas, Atencao, MB_ICONWARNING);
    EXPECT_EQ(ListaLog.Items(),
              QStringList({"Desabilitar Triggers: 2 trigger(s) desativada(s): PEDIDO_AI, pedido_bi",
                           "Desabilitar Triggers: 0 trigger(s) desativada(s)",
                           "Habilitar Triggers: 2 trigger(s) ativada(s): PEDIDO_AI, pedido_bi",
                           "Habilitar Triggers: 0 trigger(s) ativada(s)"}));
}

TEST_F(TriggerSwitchTest, WithNothingOnRecordOnlyTheTableTriggersOnInTheSourceAreSwitchedOn) {
    QString origemScript = Pedidos;
    origemScript.replace(QStringLiteral("LICENCA INACTIVE"), QStringLiteral("LICENCA ACTIVE"))
        .replace(QStringLiteral("EXCEPTION SEM_LICENCA;"), QString());
    QString destinoScript = Pedidos;
    destinoScript.replace(QStringLiteral(" ACTIVE "), QStringLiteral(" INACTIVE "));
    Open(origemScript, destinoScript);
    ASSERT_EQ(UserTriggers(origem), QStringLiteral("LICENCA=0 PEDIDO_AI=0 PEDIDO_AU=1 pedido_bi=0"));
    ASSERT_EQ(UserTriggers(destino), QStringLiteral("LICENCA=1 PEDIDO_AI=1 PEDIDO_AU=1 pedido_bi=1"));

    Press(&DestinationMaintenance::btnHabilitarTriggerClick);
    ExpectMessage(Ativadas, Atencao, MB_ICONWARNING);
    EXPECT_EQ(UserTriggers(destino), QStringLiteral("LICENCA=1 PEDIDO_AI=0 PEDIDO_AU=1 pedido_bi=0"));
    ASSERT_EQ(ListaLog.Count(), 2) << ListaLog.Items().join('\n').toStdString();
    EXPECT_TRUE(ListaLog.Items()[0].contains(QStringLiteral("só as triggers de tabela ativas na origem")));
    EXPECT_EQ(ListaLog.Items()[1], QStringLiteral("Habilitar Triggers: 2 trigger(s) ativada(s): PEDIDO_AI, pedido_bi"));
}

// A user other than the administrator may not write the trigger catalogue either; it may switch
// the triggers of its own tables and no others.
TEST_F(TriggerSwitchTest, TriggerThatCannotBeSwitchedStopsWithItsNameAfterTheOnesBefore) {
    Open(QString(), QStringLiteral("GRANT CREATE TABLE TO OUTRO;"
                                   "CREATE TABLE B_ALHEIA (ID INTEGER);"
                                   "SET TERM ^ ;"
                                   "CREATE TRIGGER B_ALHEIA_BI FOR B_ALHEIA BEFORE INSERT AS BEGIN END^"
                                   "SET TERM ; ^"));
    TSQLConnection& outro = fixture->SQLConnectionDestino;
    outro.Close();
    outro.Params.SetValue(QStringLiteral("User_Name"), QStringLiteral("OUTRO"));
    outro.Open();
    for (const char* ddl : {"CREATE TABLE A_PROPRIA (ID INTEGER)",
                            "CREATE TRIGGER A_PROPRIA_BI FOR A_PROPRIA BEFORE INSERT AS BEGIN END"}) {
        fixture->SQLDSDestino.SetCommandText(QString::fromLatin1(ddl));
        fixture->SQLDSDestino.ExecSQL();
    }

    Press(&DestinationMaintenance::btnDesabilitarTriggerClick);
    ExpectError({QStringLiteral("B_ALHEIA_BI"), QStringLiteral("no permission")});
    EXPECT_EQ(UserTriggers(destino), QStringLiteral("A_PROPRIA_BI=1 B_ALHEIA_BI=0"));
    ASSERT_EQ(ListaLog.Count(), 2);
    EXPECT_EQ(ListaLog.Items()[0], QStringLiteral("Desabilitar Triggers: 1 trigger(s) desativada(s): A_PROPRIA_BI"));
    // Why it stopped stays in the log once the message box is gone.
    EXPECT_TRUE(ListaLog.Items()[1].startsWith(QStringLiteral("Desabilitar Triggers: ERRO Não foi possível desativar a trigger B_ALHEIA_BI:")))
        << ListaLog.Items()[1].toStdString();

    // Both were on record before the first was switched; the one still on is left as it is.
    Reopen();
    Press(&DestinationMaintenance::btnHabilitarTriggerClick);
    ExpectMessage(Ativadas, Atencao, MB_ICONWARNING);
    EXPECT_EQ(UserTriggers(destino), QStringLiteral("A_PROPRIA_BI=0 B_ALHEIA_BI=0"));
    EXPECT_EQ(ListaLog.Items().last(), QStringLiteral("Habilitar Triggers: 1 trigger(s) ativada(s): A_PROPRIA_BI"));
}
