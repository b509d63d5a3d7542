#pragma once

#include <QByteArray>
#include <QString>

class TSQLConnection;

// Which database an open connection is attached to, as the server itself names it: the full
// file name with links and ".." resolved, and the moment the database was created. Two
// spellings of one path, or a server path beside the plain one, give the same identity; a copy
// of the file keeps the creation moment but not the name.
struct DatabaseIdentity {
    QString fileName;
    QByteArray creation;   // the creation timestamp as the server stores it

    static DatabaseIdentity Of(TSQLConnection& connection);
    bool operator==(const DatabaseIdentity&) const = default;
};
