// Values copied through the data-access layer from one database to another arrive byte for byte.
#include "support/DatabaseFactory.h"

#include "LayerChain.h"

#include "platform/ArrayShape.h"
#include "platform/ArrayValue.h"
#include "platform/EDatabaseError.h"
#include "platform/FbApi.h"
#include "platform/TSQLTransaction.h"

#include <gtest/gtest.h>
#include <ibase.h>

#include <cstring>
#include <vector>

using namespace Firebird;

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

// The raw values of every row of a table, read through the layer.
std::vector<std::vector<TFieldValue>> ReadAll(const QString& path, const QString& table) {
    OpenConnection connection(path);
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(table));
    query.Open();
    std::vector<std::vector<TFieldValue>> rows;
    for (; !query.Eof(); query.Next()) {
        std::vector<TFieldValue> row;
        for (int i = 0; i < query.FieldCount(); ++i) row.push_back(query.Fields(i)->Value());
        rows.push_back(row);
    }
    return rows;
}

// Both tables hold the same rows, value for value, byte for byte.
void ExpectSameBytes(const QString& source, const QString& destination, const QString& table, size_t rows) {
    const auto expected = ReadAll(source, table);
    const auto copied = ReadAll(destination, table);
    ASSERT_EQ(expected.size(), rows);
    ASSERT_EQ(copied.size(), expected.size());
    for (size_t row = 0; row < expected.size(); ++row)
        for (size_t column = 0; column < expected[row].size(); ++column)
            EXPECT_EQ(copied[row][column], expected[row][column]) << "row " << row << " column " << column;
}

// Copies a table the way the copy does: rows on demand, appended and applied one by one in a
// transaction of the copy's own; returns the messages of the rows the destination rejected.
QStringList CopyTable(const QString& from, const QString& to, const QString& table = QStringLiteral("MATRIX")) {
    OpenConnection source(from), destination(to);
    const QString select = QStringLiteral("SELECT * FROM %1").arg(table);
    Chain sourceChain(source, select), destinationChain(destination, select);
    TClientDataSet& sourceRows = sourceChain.rows;
    TClientDataSet& destinationRows = destinationChain.rows;
    sourceRows.FetchOnDemand = true;
    destinationRows.PacketRecords = 0;
    QStringList rejected;
    destinationRows.OnReconcileError = [&](TClientDataSet&, const EDatabaseError& error, TUpdateKind, TReconcileAction& action) {
        rejected << error.Message();
        action = TReconcileAction::raCancel;
    };
    TSQLTransaction transaction(&destination);
    destinationRows.Transaction = &transaction;
    sourceRows.Open();
    destinationRows.Open();
    for (sourceRows.First(); !sourceRows.Eof(); sourceRows.Next()) {
        destinationRows.Append();
        for (int i = 0; i < sourceRows.FieldCount(); ++i) {
            TField* field = sourceRows.Fields(i);
            destinationRows.FieldByName(field->FieldName())->SetValue(field->Value());
        }
        destinationRows.Post();
        destinationRows.ApplyUpdates(-1);
    }
    transaction.Commit();
    return rejected;
}

TFieldValue ArrayOf(const TField& field, const ArrayShape& shape, const QByteArray& elements) {
    TFieldValue value = field.Shape();
    value.isNull = false;
    value.data = ArrayValue(shape, elements);
    return value;
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
        OpenConnection connection(source);
        Chain chain(connection, QStringLiteral("SELECT ID, C_BIN, C_ARR, C_ARR_CHAR, C_ARR_NUM FROM MATRIX WHERE ID = 2"));
        chain.provider.UpdateMode = TUpdateMode::upWhereKeyOnly;
        TClientDataSet& rows = chain.rows;
        rows.Open();
        rows.FieldByName(QStringLiteral("ID"))->ProviderFlags |= pfInKey;
        rows.Edit();
        TFieldValue blob = rows.FieldByName(QStringLiteral("C_BIN"))->Shape();
        blob.isNull = false;
        blob.data = big;
        rows.FieldByName(QStringLiteral("C_BIN"))->SetValue(blob);
        TField* ints = rows.FieldByName(QStringLiteral("C_ARR"));
        const int32_t elements[3] = {-1, 0, 2147483647};
        ints->SetValue(ArrayOf(*ints, ArrayShape{blr_long, 0, 4, 0, {{1, 3}}},
                               QByteArray(reinterpret_cast<const char*>(elements), sizeof elements)));
        TField* chars = rows.FieldByName(QStringLiteral("C_ARR_CHAR"));
        chars->SetValue(ArrayOf(*chars, ArrayShape{blr_text, 0, 2, 0, {{2, 3}, {0, 1}}}, QByteArray("ab\xff\x00xyz!", 8)));
        TField* numbers = rows.FieldByName(QStringLiteral("C_ARR_NUM"));
        const int32_t cents[2] = {-12345, 99};
        numbers->SetValue(ArrayOf(*numbers, ArrayShape{blr_long, -2, 4, 0, {{1, 2}}},
                                  QByteArray(reinterpret_cast<const char*>(cents), sizeof cents)));
        rows.Post();
        ASSERT_EQ(rows.ApplyUpdates(0), 0);
    }

    EXPECT_TRUE(CopyTable(source, destination).isEmpty());

    ExpectSameBytes(source, destination, QStringLiteral("MATRIX"), 3);

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
    EXPECT_EQ(CopyTable(source, destination).size(), 1);
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT LIST(ID) FROM (SELECT ID FROM MATRIX ORDER BY ID)")),
              QStringLiteral("1,2,3"));
    // The row that was already there is left as it was.
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT COALESCE(C_INT, -1) FROM MATRIX WHERE ID = 2")),
              QStringLiteral("-1"));
}

const char* ArrayTable = R"(
CREATE TABLE ARRAYS (
  ID INTEGER NOT NULL PRIMARY KEY,
  A_SMALL SMALLINT[2], A_INT INTEGER[-1:1], A_BIG BIGINT[2], A_FLOAT FLOAT[2], A_DOUBLE DOUBLE PRECISION[2],
  A_N4 NUMERIC(4,1)[2], A_N9 NUMERIC(9,2)[0:1], A_D18 DECIMAL(18,4)[2],
  A_DATE DATE[2], A_TIME TIME[2], A_TS TIMESTAMP[2],
  A_CHAR_NONE CHAR(3) [2] CHARACTER SET NONE, A_CHAR_1252 CHAR(3) [2] CHARACTER SET WIN1252,
  A_CHAR_UTF8 CHAR(2) [2] CHARACTER SET UTF8,
  A_VC_NONE VARCHAR(15) [5] CHARACTER SET NONE, A_VC_1252 VARCHAR(5) [2, 0:1] CHARACTER SET WIN1252,
  A_VC_UTF8 VARCHAR(4) [-2:0] CHARACTER SET UTF8,
  A_GRID INTEGER[2, 3], A_SPARSE INTEGER[10]
);
INSERT INTO ARRAYS (ID) VALUES (1);
INSERT INTO ARRAYS (ID) VALUES (2);
)";

template <typename T>
QByteArray Elements(std::initializer_list<T> values) {
    QByteArray bytes;
    for (const T& value : values) bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return bytes;
}

// VARCHAR elements as a value holds them: each one's length, its bytes, and the unused rest.
QByteArray Varying(int length, std::initializer_list<QByteArray> texts) {
    QByteArray bytes;
    for (const QByteArray& text : texts) {
        const quint16 size = quint16(text.size());
        bytes += QByteArray(reinterpret_cast<const char*>(&size), 2) + text + QByteArray(length - text.size(), '\0');
    }
    return bytes;
}

// Writes every array of row 1 of ARRAYS through the layer (row 2 keeps NULLs).
void FillArrays(const QString& path) {
    OpenConnection connection(path);
    Chain chain(connection, QStringLiteral("SELECT * FROM ARRAYS WHERE ID = 1"));
    TClientDataSet& rows = chain.rows;
    rows.Open();
    rows.Edit();
    auto set = [&](const char* column, const ArrayShape& shape, const QByteArray& elements) {
        TField* field = rows.FieldByName(QString::fromLatin1(column));
        field->SetValue(ArrayOf(*field, shape, elements));
    };
    const ISC_TIMESTAMP stamps[2] = {{-100000, 1}, {2973483, 863999999}};
    set("A_SMALL", {blr_short, 0, 2, 0, {{1, 2}}}, Elements<qint16>({-32768, 32767}));
    set("A_INT", {blr_long, 0, 4, 0, {{-1, 1}}}, Elements<qint32>({-2147483647 - 1, 0, 2147483647}));
    set("A_BIG", {blr_int64, 0, 8, 0, {{1, 2}}}, Elements<qint64>({-9223372036854775807LL - 1, 9223372036854775807LL}));
    set("A_FLOAT", {blr_float, 0, 4, 0, {{1, 2}}}, Elements<float>({3.4e38f, -1.5e-45f}));
    set("A_DOUBLE", {blr_double, 0, 8, 0, {{1, 2}}}, Elements<double>({-1.7976931348623157e308, 4.9e-324}));
    set("A_N4", {blr_short, -1, 2, 0, {{1, 2}}}, Elements<qint16>({-9999, 1}));
    set("A_N9", {blr_long, -2, 4, 0, {{0, 1}}}, Elements<qint32>({-12345, 99}));
    set("A_D18", {blr_int64, -4, 8, 0, {{1, 2}}}, Elements<qint64>({-123456789012345678LL, 5}));
    set("A_DATE", {blr_sql_date, 0, 4, 0, {{1, 2}}}, Elements<qint32>({-100000, 2973483}));
    set("A_TIME", {blr_sql_time, 0, 4, 0, {{1, 2}}}, Elements<quint32>({0, 863999999}));
    set("A_TS", {blr_timestamp, 0, 8, 0, {{1, 2}}}, QByteArray(reinterpret_cast<const char*>(stamps), sizeof stamps));
    set("A_CHAR_NONE", {blr_text, 0, 3, 0, {{1, 2}}}, QByteArray("\x00\xff\x80" "a  ", 6));
    set("A_CHAR_1252", {blr_text, 0, 3, 53, {{1, 2}}}, QByteArray("\x80\x84\x93\xe7\xe3o", 6));
    set("A_CHAR_UTF8", {blr_text, 0, 8, 4, {{1, 2}}}, QByteArray("\xe2\x82\xac\xc3\xa7   ab      ", 16));
    set("A_VC_NONE", {blr_varying, 0, 15, 0, {{1, 5}}},
        Varying(15, {"a", "bb  ", "", "\x80\xff", "fifteen chars.."}));
    set("A_VC_1252", {blr_varying, 0, 5, 53, {{1, 2}, {0, 1}}},
        Varying(5, {"\x80", "S\xe3o", " ", "\x93q\x94"}));
    set("A_VC_UTF8", {blr_varying, 0, 16, 4, {{-2, 0}}}, Varying(16, {"\xe2\x82\xac", "", "a\xc3\xa7\xc3\xa3o"}));
    set("A_GRID", {blr_long, 0, 4, 0, {{1, 2}, {1, 3}}}, Elements<qint32>({11, 12, 13, 21, 22, 23}));
    rows.Post();
    ASSERT_EQ(rows.ApplyUpdates(0), 0);
}

// Writes element 3 alone of A_SPARSE in row 2, so that the other nine were never written.
void WriteOneElement(const QString& path) {
    OpenConnection connection(path);
    FbStatus status;
    IAttachment* attachment = connection.Attachment();
    FbRef<ITransaction> transaction = connection.BeginTransaction(TransactionUse::Write);
    const unsigned char sdl[] = {isc_sdl_version1, isc_sdl_struct, 1, blr_long, 0,
                                 isc_sdl_relation, 6, 'A', 'R', 'R', 'A', 'Y', 'S',
                                 isc_sdl_field, 8, 'A', '_', 'S', 'P', 'A', 'R', 'S', 'E',
                                 isc_sdl_element, 1, isc_sdl_scalar, 0, 1, isc_sdl_tiny_integer, 3, isc_sdl_eoc};
    ISC_QUAD id{0, 0};
    qint32 value = 42;
    attachment->putSlice(&status, transaction.get(), &id, sizeof sdl, sdl, 0, nullptr, sizeof value,
                         reinterpret_cast<unsigned char*>(&value));
    FbRef<IMetadataBuilder> builder(FbMaster()->getMetadataBuilder(&status, 1));
    builder->setType(&status, 0, SQL_ARRAY + 1);
    builder->setLength(&status, 0, sizeof id);
    FbRef<IMessageMetadata> metadata(builder->getMetadata(&status));
    QByteArray message(int(metadata->getMessageLength(&status)), '\0');
    std::memcpy(message.data() + metadata->getOffset(&status, 0), &id, sizeof id);
    attachment->execute(&status, transaction.get(), 0, "UPDATE ARRAYS SET A_SPARSE = ? WHERE ID = 2", SqlDialect,
                        metadata.get(), message.data(), nullptr, nullptr);
    FbEndTransaction(transaction, true);
}

TEST_F(ValueCopy, ArraysOfEveryElementTypeArriveElementForElement) {
    const QString source = factory.Create(QStringLiteral("source"), QString::fromUtf8(ArrayTable));
    const QString destination = factory.Create(QStringLiteral("destination"),
                                               QString::fromUtf8(ArrayTable) + QStringLiteral("DELETE FROM ARRAYS;"));
    FillArrays(source);
    WriteOneElement(source);

    EXPECT_EQ(CopyTable(source, destination, QStringLiteral("ARRAYS")), QStringList());

    ExpectSameBytes(source, destination, QStringLiteral("ARRAYS"), 2);

    // The elements as the server itself reads them, on both sides.
    const QString elements = QStringLiteral(
        "SELECT A_INT[-1] || '|' || A_INT[1] || '|' || A_BIG[1] || '|' || A_N9[0] || '|' || A_D18[1] || '|' ||"
        " A_DATE[1] || '|' || A_TS[2] || '|' || A_GRID[2, 1] || '|' || A_GRID[1, 3] || '|' ||"
        " CHAR_LENGTH(A_VC_NONE[2]) || '|' || CHAR_LENGTH(A_VC_NONE[3]) || '|' || A_VC_NONE[5] || '|' ||"
        " A_VC_UTF8[0] || '|' || A_CHAR_UTF8[1] || '|' || OCTET_LENGTH(A_VC_1252[2, 1]) || '|' ||"
        " HASH(A_VC_1252[1, 0]) || '|' || HASH(A_CHAR_NONE[1]) FROM ARRAYS WHERE ID = 1");
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, elements), DatabaseFactory::QueryValue(source, elements));
    EXPECT_TRUE(DatabaseFactory::QueryValue(source, elements)
                    .startsWith(QStringLiteral("-2147483648|2147483647|-9223372036854775808|-123.45|-12345678901234.5678|"
                                               "1585-02-01|9999-12-31 23:59:59.9999|21|13|4|0|fifteen chars..|"
                                               "ação|€ç   |3|")))
        << DatabaseFactory::QueryValue(source, elements).toStdString();
    const QString sparse = QStringLiteral(
        "SELECT COALESCE(A_SPARSE[1], -1) || ',' || A_SPARSE[3] || ',' || COALESCE(A_SPARSE[10], -1)"
        " FROM ARRAYS WHERE ID = 2");
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, sparse), DatabaseFactory::QueryValue(source, sparse));
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT COUNT(*) FROM ARRAYS WHERE ID = 2 AND A_INT IS NULL")),
              QStringLiteral("1"));
}

TEST_F(ValueCopy, AnArrayOfOtherBoundsIsRefusedNotCutOrPadded) {
    const QString source = factory.Create(QStringLiteral("source"),
                                          QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER[3], B INTEGER[0:2]);"
                                                         "INSERT INTO T (ID) VALUES (1); INSERT INTO T (ID) VALUES (2);"
                                                         "INSERT INTO T (ID) VALUES (3);"));
    const QString destination = factory.Create(QStringLiteral("destination"),
                                               QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER[2], B INTEGER[1:3]);"));
    {
        OpenConnection connection(source);
        Chain chain(connection, QStringLiteral("SELECT ID, A, B FROM T ORDER BY ID"));
        TClientDataSet& rows = chain.rows;
        rows.Open();
        rows.Edit();   // row 1: A filled
        TField* a = rows.FieldByName(QStringLiteral("A"));
        a->SetValue(ArrayOf(*a, {blr_long, 0, 4, 0, {{1, 3}}}, Elements<qint32>({1, 2, 3})));
        rows.Post();
        rows.Next();   // row 2: B filled
        rows.Edit();
        TField* b = rows.FieldByName(QStringLiteral("B"));
        b->SetValue(ArrayOf(*b, {blr_long, 0, 4, 0, {{0, 2}}}, Elements<qint32>({4, 5, 6})));
        rows.Post();
        ASSERT_EQ(rows.ApplyUpdates(0), 0);
    }
    const QStringList rejected = CopyTable(source, destination, QStringLiteral("T"));
    ASSERT_EQ(rejected.size(), 2);
    EXPECT_TRUE(rejected[0].contains(QStringLiteral("coluna A da tabela T"))) << rejected[0].toStdString();
    EXPECT_TRUE(rejected[0].contains(QStringLiteral("[1:3]")) && rejected[0].contains(QStringLiteral("[1:2]")))
        << rejected[0].toStdString();
    EXPECT_TRUE(rejected[1].contains(QStringLiteral("coluna B da tabela T"))) << rejected[1].toStdString();
    EXPECT_TRUE(rejected[1].contains(QStringLiteral("[0:2]")) && rejected[1].contains(QStringLiteral("[1:3]")))
        << rejected[1].toStdString();
    // The row whose arrays are NULL still goes across.
    EXPECT_EQ(DatabaseFactory::QueryValue(destination, QStringLiteral("SELECT LIST(ID) FROM T")), QStringLiteral("3"));
}

}  // namespace
