#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

// Fresh Firebird databases for a test, made with the embedded engine in a temporary folder
// and dropped with it.
class DatabaseFactory {
public:
    DatabaseFactory();
    ~DatabaseFactory();

    // Creates <folder>/<name>.fdb and runs the script in it: statements separated by ';' on
    // their own (SET TERM ^ switches the terminator for procedure and trigger bodies),
    // committed at the end. Returns the file's path.
    QString Create(const QString& name, const QString& script = {});
    // Runs a script in an existing database and commits it; a database on the loopback server too.
    static void Execute(const QString& path, const QString& script);
    // An empty database at any path a client can name (host:/path through a server), and its
    // removal; the password is SYSDBA's.
    static void CreateAt(const QString& database, const QString& password);
    static void DropAt(const QString& database, const QString& password);
    // The first column of the first row of a query, as text; empty for NULL.
    static QString QueryValue(const QString& path, const QString& sql);

    QString Folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};
