#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TSQLConnection;

// One foreign key: the referencing table's columns, in key order, and those of them that may not
// hold NULL (the column's own NOT NULL or its domain's).
struct ForeignKey {
    QString name;
    QString table;
    QString referencedTable;
    QStringList columns;
    QStringList notNullColumns;
};

// Every foreign key of the database, by referencing table and name.
QList<ForeignKey> ForeignKeys(TSQLConnection& connection);
