// Values copied through the data-access layer from one database to another arrive byte for byte.
#include "support/DatabaseFactory.h"

#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const char* MatrixTable = R"(
CREATE TABLE MATRIX (
  ID INTEGER NOT NULL PRIMARY KEY,
  C_SMALL SMALLINT, C_INT INTEGER, C_BIG BIGINT, C_FLOAT FLOAT, C_DOUBLE DOUBLE PRECISION,
  C_N4 NUMERIC(4,2), C_N9 NUMERIC(9,3), C_N18 NUMERIC(18,4), C_D18 DECIMAL(18,0), C_D18_9 DECIMAL(18,9),
  C_CHAR_NONE CHAR(5) CHARACTER SET NONE, C_VC_OCTETS VARCHAR(10) CHARACTER SET OCTETS,
  C_VC_1252 VARCHAR(20) CHARACTER SET WIN1252, C_VC_UTF8 VARCHAR(20) CHARACTER SET UTF8,
  C_CHAR_UTF8 CHAR(4) CHARACTER SET UTF8,
  C_DATE DATE, C_TIME TIME, C_TS TIMESTAMP, C_BOOL BOOLEAN,
  C_MEMO BLOB SUB_TYPE TEXT CHARACTER SET WIN1252, C_BIN BLOB SUB_TYPE BINARY,
  C_ARR INTEGER[3], C_ARR_CHAR CHAR(2)[2:3, 0:1], C_ARR_NUM NUMERIC(9,2)[2]
);
)";

const char* MatrixRows = R"(
INSERT INTO MATRIX (ID) VALUES (1);
INSERT INTO MATRIX VALUES (2, -32768, -2147483648, 9223372036854775807, 3.4e38, -1.7976931348623157e308,
  -99.99, 999999.999, -12345678901234.5678, -999999999999999999, 0.000000001,
  CAST(x'00FF41' AS CHAR(5) CHARACTER SET NONE), CAST(x'00FF00FF' AS VARCHAR(10) CHARACTER SET OCTETS),
  CAST(x'81E3C7FF' AS VARCHAR(20) CHARACTER SET WIN1252), 'ação ☃', 'ção',
  '1850-03-01', '00:00:00', '1899-12-30 23:59:59.9999', TRUE,
  CAST(x'81E3000D0A' AS BLOB SUB_TYPE TEXT CHARACTER SET WIN1252), x'00FF00FF', NULL, NULL, NULL);
INSERT INTO MATRIX VALUES (3, 0, 0, -9223372036854775808, 0, 0,
  0, -0.001, 0.0001, 0, -999999999.999999999,
  '', x'', '', '', '',
  '0001-01-01', '23:59:59.9999', '9999-12-31 00:00:00', FALSE,
  '', x'', NULL, NULL, NULL);
)";

// The raw values of every row, read through the layer.
std::vector<std::vector<TFieldValue>> ReadAll(const QString& path) {
    TSQLConnection connection;
    connection.Params.SetValue(QStringLiteral("Database"), path);
    connection.Open();
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT * FROM MATRIX ORDER BY ID"));
    query.Open();
    std::vector<std::vector<TFieldValue>> rows;
    for (; !query.Eof(); query.Next()) {
        std::vector<TFieldValue> row;
        for (int i = 0; i < query.FieldCount(); ++i) row.push_back(query.Fields(i)->Value());
        rows.push_back(row);
    }
    return rows;
}

// Copies MATRIX the way the copy does: rows on demand, appended and applied one by one.
void CopyMatrix(const QString& from, const QString& to, int* rejected = nullptr) {
    TSQLConnection source, destination;
    source.Params.SetValue(QStringLiteral("Database"), from);
    destination.Params.SetValue(QStringLiteral("Database"), to);
    source.Open();
    destination.Open();
    TSQLDataSet sourceQuery(&source), destinationQuery(&destination);
    TDataSetProvider sourceProvider(&sourceQuery), destinationProvider(&destinationQuery);
    TClientDataSet sourceRows(&sourceProvider), destinationRows(&destinationProvider);
    const QString select = QStringLiteral("SELECT * FROM MATRIX");
    sourceQuery.SetCommandText(select);
    destinationQuery.SetCommandText(select);
    sourceRows.FetchOnDemand = true;
    destinationRows.PacketRecords = 0;
    int errors = 0;
    destinationRows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError&, TUpdateKind, TReconcileAction& action) {
        ++errors;
        action = TReconcileAction::raCancel;
    };
    sourceRows.Open();
    destinationRows.Open();
    destination.StartTransaction();
    for (sourceRows.First(); !sourceRows.Eof(); sourceRows.Next()) {
        destinationRows.Append();
        for (int i = 0; i < sourceRows.FieldCount(); ++i) {
            TField* field = sourceRows.Fields(i);
            destinationRows.FieldByName(field->FieldName())->SetValue(field->Value());
        }
        destinationRows.Post();
        destinationRows.ApplyUpdates(-1);
    }
    destination.Commit();
    if (rejected) *rejected = errors;
}

class ValueCopy : public testing::Test {
protected:
    DatabaseFactory factory;
};

TEST_F(ValueCopy, EveryTypeArrivesByteForByte) {
    const QString source = factory.Create(QStringLiteral("source"), QString::fromUtf8(MatrixTable) + MatrixRows);
    const QString destination = factory.Create(QStringLiteral("destination"), QString::fromUtf8(MatrixTable));
    // A 1 MB blob with every byte value, and arrays, which SQL cannot write.
    QByteArray big(1 << 20, '\0');
    for (int i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 256);
    {
        TSQLConnection connection;
        connection.Params.SetValue(QStringLiteral("Database"), source);
        connection.Open();
        TSQLDataSet query(&connection);
        TDataSetProvider provider(&query);
        provider.UpdateMode = TUpdateMode::upWhereKeyOnly;
        TClientDataSet rows(&provider);
        query.SetCommandText(QStringLiteral("SELECT ID, C_BIN, C_ARR, C_ARR_CHAR, C_ARR_NUM FROM MATRIX WHERE ID = 2"));
        rows.Open();
        rows.FieldByName(QStringLiteral("ID"))->ProviderFlags |= pfInKey;
        rows.Edit();
        TFieldValue blob = rows.FieldByName(QStringLiteral("C_BIN"))->Shape();
        blob.isNull = false;
        blob.data = big;
        rows.FieldByName(QStringLiteral("C_BIN"))->SetValue(blob);
        TFieldValue ints = rows.FieldByName(QStringLiteral("C_ARR"))->Shape();
        const int32_t elements[3] = {-1, 0, 2147483647};
        ints.isNull = false;
        ints.data = QByteArray(reinterpret_cast<const char*>(elements), sizeof elements);
        rows.FieldByName(QStringLiteral("C_ARR"))->SetValue(ints);
        TFieldValue chars = rows.FieldByName(QStringLiteral("C_ARR_CHAR"))->Shape();
        chars.isNull = false;
        chars.data = QByteArray("ab\xff\x00xyz!", 8);
        rows.FieldByName(QStringLiteral("C_ARR_CHAR"))->SetValue(chars);
        TFieldValue numbers = rows.FieldByName(QStringLiteral("C_ARR_NUM"))->Shape();
        const int32_t cents[2] = {-12345, 99};
        numbers.isNull = false;
        numbers.data = QByteArray(reinterpret_cast<const char*>(cents), sizeof cents);
        rows.FieldByName(QStringLiteral("C_ARR_NUM"))->SetValue(numbers);
        rows.Post();
        ASSERT_EQ(rows.ApplyUpdates(0), 0);
    }

    CopyMatrix(source, destination);

    const auto expected = ReadAll(source);
    const auto copied = ReadAll(destination);
    ASSERT_EQ(expected.size(), 3u);
    ASSERT_EQ(copied.size(), expected.size());
    for (size_t row = 0; row < expected.size(); ++row)
        for (size_t column = 0; column < expected[row].size(); ++column)
            EXPECT_EQ(copied[row][column], expected[row][column]) << "row " << row << " column " << column;

    // Read back by the server itself, not through the layer.
    const QString check = QStringLiteral(
        "SELECT CAST(C_N18 AS VARCHAR(30)) || '|' || C_BIG || '|' || OCTET_LENGTH(C_BIN) || '|' || HASH(C_BIN) || '|' ||"
        " C_ARR[1] || ',' || C_ARR[3] || '|' || C_ARR_NUM[1] || '|' || HASH(C_VC_1252) || '|' || C_DATE || '|' ||"
        " C_TS || '|' || C_VC_UTF8 FROM MATRIX WHERE ID = 2");
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, check), DatabaseFactory::QueryValue(source, check));
    EXPECT_TRUE(DatabaseFactory::QueryValue(destination, check).startsWith(QStringLiteral("-12345678901234.5678|9223372036854775807|1048576|")));
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT COUNT(*) FROM MATRIX WHERE ID = 1 AND C_INT IS NULL AND C_MEMO IS NULL AND C_DATE IS NULL")),
              QStringLiteral("1"));
}

TEST_F(ValueCopy, RejectedRowGoesToReconcileAndTheOthersStay) {
    const QString source = factory.Create(QStringLiteral("source"), QString::fromUtf8(MatrixTable) + MatrixRows);
    const QString destination = factory.Create(QStringLiteral("destination"), QString::fromUtf8(MatrixTable) +
                                                   QStringLiteral("INSERT INTO MATRIX (ID) VALUES (2);"));
    int rejected = 0;
    CopyMatrix(source, destination, &rejected);
    EXPECT_EQ(rejected, 1);
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT LIST(ID) FROM (SELECT ID FROM MATRIX ORDER BY ID)")),
              QStringLiteral("1,2,3"));
    // The row that was already there is left as it was.
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT COALESCE(C_INT, -1) FROM MATRIX WHERE ID = 2")),
              QStringLiteral("-1"));
}

}  // namespace
