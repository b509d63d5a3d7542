#include "support/DatabaseFactory.h"

#include "platform/EDatabaseError.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

#include <gtest/gtest.h>

#include <limits>

// A 64-bit value read through a double loses its last digits above 2^53: AsLargeInt must not.
TEST(TFieldLargeInt, GivesEveryIntegerColumnItsWhole64Bits) {
    DatabaseFactory factory;
    TSQLConnection connection;
    connection.Params.SetValue(QStringLiteral("Database"), factory.Create(QStringLiteral("db")));
    connection.Open();
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral(
        "SELECT CAST(9223372036854775807 AS BIGINT), CAST(-9223372036854775808 AS BIGINT), "
        "CAST(9007199254740993 AS BIGINT), CAST(-32768 AS SMALLINT), CAST(2147483647 AS INTEGER), "
        "CAST(NULL AS BIGINT), CAST(-1234567.89 AS NUMERIC(18,2)), CAST(1.5 AS DOUBLE PRECISION) FROM RDB$DATABASE"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->AsLargeInt(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(query.Fields(1)->AsLargeInt(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(query.Fields(2)->AsLargeInt(), 9007199254740993LL) << "2^53 + 1, which a double cannot hold";
    EXPECT_EQ(query.Fields(3)->AsLargeInt(), -32768);
    EXPECT_EQ(query.Fields(4)->AsLargeInt(), 2147483647);
    EXPECT_EQ(query.Fields(5)->AsLargeInt(), 0) << "NULL";
    EXPECT_EQ(query.Fields(6)->AsLargeInt(), -1234567) << "a scale truncates, as AsInteger does";
    EXPECT_EQ(query.Fields(6)->AsInteger(), -1234567);
    EXPECT_THROW(query.Fields(7)->AsLargeInt(), EDatabaseError) << "a floating value has no exact integer";
}
