// The order the comparison of two tables assumes is the order the server's ORDER BY gives.
#include "support/DatabaseFactory.h"

#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/ValueOrder.h"

#include <gtest/gtest.h>

namespace {

const QString Valores = QStringLiteral(
    "CREATE TABLE VALORES (I INTEGER, B BIGINT, N NUMERIC(18,4), S NUMERIC(4,1), D DOUBLE PRECISION, F FLOAT,"
    " DT DATE, T TIME, TS TIMESTAMP, L BOOLEAN, V VARCHAR(8) CHARACTER SET WIN1252 COLLATE WIN_PTBR,"
    " C CHAR(4) CHARACTER SET UTF8, O VARCHAR(4) CHARACTER SET OCTETS);"
    "INSERT INTO VALORES VALUES (-5, 9223372036854775807, -0.0001, -99.9, -1e300, 3.5, '1850-01-01', '23:59:59.9999',"
    " '1899-12-30 00:00:00.0001', TRUE, 'Bola', 'b', x'00');"
    "INSERT INTO VALORES VALUES (7, -9223372036854775808, 12345678901234.5678, 0, 0, -3.5, '2024-02-29', '00:00:00',"
    " '1899-12-29 23:59:59.9999', FALSE, CAST(x'E1677561' AS VARCHAR(8) CHARACTER SET WIN1252), 'a', x'61');"
    "INSERT INTO VALORES VALUES (0, 1, 0.0001, 99.9, 1e-300, 0, '0001-01-01', '12:00:00', '2024-01-01 12:00:00', NULL,"
    " 'abacate', 'a ', x'6100');"
    "INSERT INTO VALORES VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, FALSE, 'a b', 'A', x'61FF');"
    "INSERT INTO VALORES VALUES (-2147483648, 0, 0, -0.1, -0.0, 1e-30, '9999-12-31', '00:00:00.0001', NULL, TRUE,"
    " 'Zebra', NULL, NULL);");

}  // namespace

TEST(ValueOrder, EveryKindComesInTheOrderTheServerSortsIt) {
    DatabaseFactory databases;
    TSQLConnection connection;
    connection.Params.SetValue(QStringLiteral("Database"), databases.Create(QStringLiteral("valores"), Valores));
    connection.Open();
    // Text as the comparison sorts it: by its bytes.
    const QStringList sorted = {"I", "B", "N", "S", "D", "F", "DT", "T", "TS", "L",
                                "CAST(V AS VARCHAR(8) CHARACTER SET OCTETS)",
                                "CAST(C AS VARCHAR(16) CHARACTER SET OCTETS)", "O"};
    for (const QString& value : sorted) {
        TSQLDataSet query(&connection);
        query.SetCommandText(QStringLiteral("SELECT %1 FROM VALORES ORDER BY 1 NULLS FIRST").arg(value));
        query.Open();
        TFieldValue last = query.Fields(0)->Value();
        for (query.Next(); !query.Eof(); query.Next()) {
            EXPECT_LE(CompareSortKeys(last, query.Fields(0)->Value()), 0) << value.toStdString();
            EXPECT_GE(CompareSortKeys(query.Fields(0)->Value(), last), 0) << value.toStdString();
            last = query.Fields(0)->Value();
        }
    }
    TSQLDataSet mixed(&connection);
    mixed.SetCommandText(QStringLiteral("SELECT I, N, S, D FROM VALORES WHERE I = 7"));
    mixed.Open();
    // Numbers of unlike scales and kinds by their value: 7 against 12345678901234.5678, 0 and 0.0.
    EXPECT_LT(CompareSortKeys(mixed.Fields(0)->Value(), mixed.Fields(1)->Value()), 0);
    EXPECT_GT(CompareSortKeys(mixed.Fields(0)->Value(), mixed.Fields(2)->Value()), 0);
    EXPECT_GT(CompareSortKeys(mixed.Fields(0)->Value(), mixed.Fields(3)->Value()), 0);
}
