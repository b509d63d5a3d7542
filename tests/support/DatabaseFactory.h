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

// PSQL that waits for the server's clock to turn a millisecond when id is a multiple of every
// (T a TIMESTAMP variable).
inline QString WaitAMillisecond(const QString& id, int every) {
    return QStringLiteral("IF (MOD(%1, %2) = 0) THEN BEGIN T = CAST('NOW' AS TIMESTAMP);"
                          " WHILE (DATEDIFF(MILLISECOND FROM T TO CAST('NOW' AS TIMESTAMP)) < 1) DO T = T; END")
        .arg(id)
        .arg(every);
}

// A trigger that makes the inserts into the table wait for the server's clock to turn a
// millisecond, on every row whose ID is a multiple of `every`: a copy lasts some seconds on any
// machine, long enough for several commits or for something to happen in its middle.
inline QString SlowInserts(const QString& table, int every = 1) {
    return QStringLiteral("SET TERM ^ ; CREATE TRIGGER LENTO FOR %1 BEFORE INSERT AS DECLARE T TIMESTAMP; BEGIN %2 END^"
                          " SET TERM ; ^")
        .arg(table, WaitAMillisecond(QStringLiteral("NEW.ID"), every));
}

// The same wait in a check constraint, which switching the triggers off leaves in place.
inline QString SlowChecks(const QString& table, int every = 1) {
    return QStringLiteral("SET TERM ^ ; CREATE FUNCTION LENTA (ID INTEGER) RETURNS INTEGER AS DECLARE T TIMESTAMP;"
                          " BEGIN %2 RETURN 0; END^ SET TERM ; ^ ALTER TABLE %1 ADD CHECK (LENTA(ID) = 0);")
        .arg(table, WaitAMillisecond(QStringLiteral("ID"), every));
}

// A table whose rows each reference the one before: ID 0 to rows - 1, PAI the ID before.
inline const QString Arvore =
    QStringLiteral("CREATE TABLE ARVORE (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES ARVORE);");
inline QString ArvoreRows(int rows) {
    return QStringLiteral("SET TERM ^ ; EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN INSERT INTO ARVORE VALUES (0, NULL);"
                          " WHILE (I < %1) DO BEGIN INSERT INTO ARVORE VALUES (:I, :I - 1); I = I + 1; END END^"
                          " SET TERM ; ^")
        .arg(rows);
}
