#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A Firebird server of the test's own, to kill or stop: its own process, port, settings and user
// database in a temporary folder (the shared loopback server is never touched). SYSDBA's password
// is the loopback server's, so that DatabaseFactory reaches both alike.
class OwnServer {
public:
    OwnServer();    // starts it; Error() says why it could not
    ~OwnServer();   // kills it
    const QString& Error() const { return error_; }
    QString Database(const QString& name) const;   // localhost/<port>:<folder>/<name>.fdb
    static QString Password();
    void Start();   // again, on the same port and files
    // SIGKILL (waited for), SIGSTOP, SIGCONT.
    void Signal(int signal);

private:
    QTemporaryDir folder_;
    QProcess server_;
    int port_ = 0;
    QString error_;
};

// Skips the test where the server is not installed, and fails it under CI, which installs it.
#define REQUIRE_OWN_SERVER(server)                                                                \
    do {                                                                                          \
        if ((server).Error().isEmpty()) break;                                                    \
        if (qEnvironmentVariable("CI") == QLatin1String("true")) FAIL() << (server).Error();      \
        GTEST_SKIP() << (server).Error();                                                         \
    } while (false)
