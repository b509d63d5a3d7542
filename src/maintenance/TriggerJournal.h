#pragma once

#include "platform/DatabaseIdentity.h"

#include <QString>
#include <QStringList>

// The user triggers of one destination database that "Desabilitar Triggers" switched off and
// "Habilitar Triggers" has not switched on again, kept in a small file of their own in the given
// folder, named after the database's identity. Written before the first trigger is switched, it
// outlives a crash, a stop and a restart.
class TriggerJournal {
public:
    TriggerJournal(const QString& folder, const DatabaseIdentity& database);

    // Whether this database's triggers were ever switched off from here: without it, nothing says
    // which of its inactive triggers were meant to be inactive.
    bool Exists() const;
    // The triggers still to switch on, in the order they were switched off. A file that cannot be
    // read raises: guessing could switch on a trigger meant to stay off.
    QStringList Names() const;
    // Adds the names to those on record, on disk before the call returns.
    void Add(const QStringList& names);
    // Keeps these names alone on record.
    void Keep(const QStringList& names);

private:
    QString path_;
    DatabaseIdentity database_;
};
