#include "CatalogueWindowTest.h"

#include "catalogue/ActivityLog.h"

namespace {

const QString Schema = QStringLiteral(
    "CREATE SEQUENCE GEN_PEDIDO;"
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY);"
    "SET TERM ^ ;"
    "CREATE TRIGGER PEDIDO_BI FOR PEDIDO BEFORE INSERT AS BEGIN NEW.ID = NEXT VALUE FOR GEN_PEDIDO; END^"
    "SET TERM ; ^");

QString PedidoBiInactive(const QString& path) {
    return DatabaseFactory::QueryValue(
        path, QStringLiteral("SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'PEDIDO_BI'"));
}

}  // namespace

TEST_F(CatalogueWindow, TriggerAndGeneratorButtonsActOnTheConnectedDestination) {
    Connect(Schema, Schema, QStringLiteral("SET GENERATOR GEN_PEDIDO TO 41;"));
    dialogs.messages.clear();

    EXPECT_FALSE(window.lblTriggersDesativadas->isVisible());
    window.btnDesabilitarTrigger->click();
    EXPECT_EQ(PedidoBiInactive(destino), QStringLiteral("1"));
    EXPECT_TRUE(window.lblTriggersDesativadas->isVisible());
    // Connecting again finds on record that they are still off.
    window.lblTriggersDesativadas->hide();
    Reconnect();
    EXPECT_TRUE(window.lblTriggersDesativadas->isVisible());
    window.btnHabilitarTrigger->click();
    EXPECT_EQ(PedidoBiInactive(destino), QStringLiteral("0"));
    EXPECT_FALSE(window.lblTriggersDesativadas->isVisible());
    window.btnGenerators->click();
    EXPECT_EQ(DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT GEN_ID(GEN_PEDIDO, 0) FROM RDB$DATABASE")),
              QStringLiteral("41"));

    EXPECT_EQ(Errors(),
              QStringList({QStringLiteral("Trigger's desativadas. Não esqueça de ativá-las!!!"),
                           QStringLiteral("Trigger's ativadas"), QStringLiteral("Generatores transferidos!")}));
    EXPECT_EQ(ListaLog.Items().last(),
              QStringLiteral("Generators: 1 generator(s) transferido(s), 0 coluna(s) de identidade reiniciada(s)"));
}
