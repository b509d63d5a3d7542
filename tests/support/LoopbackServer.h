#pragma once

#include <QString>
#include <gtest/gtest.h>
#include <unistd.h>

// The Firebird server that scripts/test starts on loopback, as it tells the tests in the
// environment: SYSDBA's password and a folder where the server may make databases.

// Skips the test when no server was started, and fails it under CI, which always starts one.
#define REQUIRE_LOOPBACK_SERVER()                                                                        \
    do {                                                                                                 \
        if (LoopbackServerPassword().isEmpty()) {                                                        \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                     \
                FAIL() << "VENDRASOL_SERVER_PASSWORD is not set: scripts/test starts the Firebird server " \
                          "and sets it";                                                                 \
            GTEST_SKIP() << "no Firebird server: run scripts/test, or scripts/firebird-server and export " \
                            "VENDRASOL_SERVER_PASSWORD";                                                 \
        }                                                                                                \
    } while (false)

inline QString LoopbackServerPassword() { return qEnvironmentVariable("VENDRASOL_SERVER_PASSWORD"); }

// localhost:<folder>/vendrasol-<kind>-<test>-<process>.fdb, for the running test.
inline QString LoopbackServerDatabase(const QString& kind) {
    const QString folder = qEnvironmentVariable("VENDRASOL_SERVER_DIR", QStringLiteral("/var/lib/firebird/3.0/data"));
    const QString test = QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name());
    return QStringLiteral("localhost:%1/vendrasol-%2%3-%4.fdb").arg(folder, kind, test).arg(getpid());
}
