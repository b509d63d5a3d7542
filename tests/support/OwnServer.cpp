#include "OwnServer.h"

#include <QDir>
#include <QThread>
#include <arpa/inet.h>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Connects to the port on loopback, or with port 0 binds a socket there: the port the system picked.
int Loopback(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    const bool done =
        port ? ::connect(socket, any, size) == 0 : bind(socket, any, size) == 0 && getsockname(socket, any, &size) == 0;
    close(socket);
    return done ? ntohs(address.sin_port) : 0;
}

// Where Debian keeps what the server loads (messages, character sets, plugins).
QString Installed() {
    for (const QString& arch : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFile::exists(QStringLiteral("/usr/lib/%1/firebird/3.0/firebird.msg").arg(arch)))
            return QStringLiteral("/usr/lib/%1/firebird/3.0/").arg(arch);
    return {};
}

void Write(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8());
}

}  // namespace

OwnServer::OwnServer() {
    if (!QFile::exists(QStringLiteral("/usr/sbin/firebird"))) {
        error_ = QStringLiteral("no /usr/sbin/firebird: scripts/test installs firebird3.0-server");
        return;
    }
    const QDir root(folder_.path());
    for (const char* shared : {"firebird.msg", "intl", "plugins", "lib", "plugins.conf"})
        QFile::link(Installed() + QLatin1String(shared), root.filePath(QLatin1String(shared)));
    root.mkpath(QStringLiteral("lock"));
    port_ = Loopback(0);
    const QString security = root.filePath(QStringLiteral("security3.fdb"));
    Write(root.filePath(QStringLiteral("firebird.conf")),
          QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = localhost\nSecurityDatabase = %2\n")
              .arg(port_)
              .arg(security));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FIREBIRD"), root.path());
    environment.insert(QStringLiteral("FIREBIRD_LOCK"), root.filePath(QStringLiteral("lock")));
    server_.setProcessEnvironment(environment);
    // The embedded engine, under these settings, makes the user database with SYSDBA in it.
    QProcess isql;
    isql.setProcessEnvironment(environment);
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA")});
    isql.write(QStringLiteral("CREATE DATABASE '%1'; CREATE USER SYSDBA PASSWORD '%2' USING PLUGIN Srp; COMMIT;\n")
                   .arg(security, Password())
                   .toUtf8());
    isql.closeWriteChannel();
    if (isql.waitForFinished(60000) && isql.exitCode() == 0)
        Start();
    else
        error_ = QStringLiteral("isql-fb made no user database: ") + QString::fromLocal8Bit(isql.readAllStandardError());
}

OwnServer::~OwnServer() {
    Signal(SIGCONT);
    Signal(SIGKILL);
}

QString OwnServer::Database(const QString& name) const {
    return QStringLiteral("localhost/%1:%2/%3.fdb").arg(port_).arg(folder_.path(), name);
}

QString OwnServer::Password() { return qEnvironmentVariable("VENDRASOL_SERVER_PASSWORD", QStringLiteral("masterkey")); }

void OwnServer::Start() {
    server_.start(QStringLiteral("/usr/sbin/firebird"), {});
    for (int waited = 0; waited < 300 && !Loopback(port_); ++waited) QThread::msleep(100);
    if (!Loopback(port_)) error_ = QStringLiteral("the test's own Firebird server does not answer on port %1").arg(port_);
}

void OwnServer::Signal(int signal) {
    if (server_.state() == QProcess::NotRunning) return;
    ::kill(pid_t(server_.processId()), signal);
    if (signal == SIGKILL) server_.waitForFinished(10000);
}
