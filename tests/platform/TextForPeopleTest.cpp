// Text shown to people is decoded with the column's own character set; the stored bytes never change.
#include "support/DatabaseFactory.h"

#include "LayerChain.h"

#include "platform/CharacterSets.h"

#include <gtest/gtest.h>

namespace {

// "€„“”Œ" in WIN1252 bytes.
const char* Schema = R"(
CREATE TABLE TEXTS (ID INTEGER NOT NULL PRIMARY KEY, W VARCHAR(10) CHARACTER SET WIN1252,
  N CHAR(5) CHARACTER SET NONE, U VARCHAR(10) CHARACTER SET UTF8, O VARCHAR(4) CHARACTER SET OCTETS,
  M BLOB SUB_TYPE TEXT CHARACTER SET WIN1252);
INSERT INTO TEXTS VALUES (1, CAST(x'8084939495' AS VARCHAR(10) CHARACTER SET WIN1252),
  CAST(x'808493948C' AS CHAR(5) CHARACTER SET NONE), '€„“”Œ', x'00FF10', CAST(x'809C' AS VARCHAR(2) CHARACTER SET WIN1252));
)";

TEST(TextForPeople, EachColumnIsReadInItsOwnCharacterSet) {
    DatabaseFactory factory;
    const QString path = factory.Create(QStringLiteral("db"), QString::fromUtf8(Schema));
    OpenConnection connection(path);
    Chain chain(connection, QStringLiteral("SELECT ID, W, N, U, O, M FROM TEXTS"));
    TClientDataSet& rows = chain.rows;
    rows.Open();
    EXPECT_EQ(rows.FieldByName(QStringLiteral("W"))->AsString(), QStringLiteral("€„“”•"));
    EXPECT_EQ(rows.FieldByName(QStringLiteral("N"))->AsString(), QStringLiteral("€„“”Œ"));
    EXPECT_EQ(rows.FieldByName(QStringLiteral("U"))->AsString(), QStringLiteral("€„“”Œ"));
    EXPECT_EQ(rows.FieldByName(QStringLiteral("O"))->AsString(), QStringLiteral("00FF10"));
    EXPECT_EQ(rows.FieldByName(QStringLiteral("M"))->AsString(), QStringLiteral("€œ"));

    // Typed text is stored in each column's own bytes.
    rows.Edit();
    rows.FieldByName(QStringLiteral("W"))->SetAsString(QStringLiteral("Œ€ x"));
    rows.FieldByName(QStringLiteral("N"))->SetAsString(QStringLiteral("ção"));
    rows.FieldByName(QStringLiteral("U"))->SetAsString(QStringLiteral("Œ€ ☃"));
    rows.Post();
    ASSERT_EQ(rows.ApplyUpdates(0), 0);
    EXPECT_EQ(DatabaseFactory::QueryValue(
                  path, QStringLiteral("SELECT IIF(W = CAST(x'8C802078' AS VARCHAR(10) CHARACTER SET WIN1252), 'W', '-') ||"
                                       " IIF(N = CAST(x'E7E36F' AS CHAR(5) CHARACTER SET NONE), 'N', '-') ||"
                                       " IIF(U = 'Œ€ ☃', 'U', '-') FROM TEXTS")),
              QStringLiteral("WNU"));
}

TEST(TextForPeople, Win1252IsNotLatin1) {
    const QByteArray every = [] {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i) bytes += char(i);
        return bytes;
    }();
    const QString text = DecodeText(every, csWin1252);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xE3], QChar(0xE3));
    // Every byte comes back, the five WIN1252 leaves unassigned included.
    EXPECT_EQ(EncodeText(text, csWin1252), every);
    EXPECT_EQ(EncodeText(QStringLiteral("☃"), csWin1252), QByteArray("?"));
}

}  // namespace
