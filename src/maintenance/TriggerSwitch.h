#pragma once

#include <QStringList>

struct Workspace;

// Switching the user triggers of the destination (source text present, system flag 0 or NULL).
//
// Off: every one that is on, with one UPDATE of the trigger catalogue; Firebird 3 refuses that
// UPDATE, and there each trigger is switched by ALTER TRIGGER, in name order. Their names are
// first added to the destination's trigger journal (in the workspace's state folder).
// On: exactly the triggers of the journal that are off, by ALTER TRIGGER; one that was off before
// stays off. With no journal for the destination, only the table triggers that are on in the
// source (a database-level trigger, such as ON CONNECT, is never switched on then).
// The log says which triggers were switched. One that cannot be switched stops the command with
// the server's message and the trigger's name, leaving the ones before it switched.
void SwitchTriggers(Workspace& workspace, bool active);

// The triggers of the destination that "Desabilitar Triggers" switched off and that are still off,
// as its journal knows them; none when the destination is not connected or has no journal.
QStringList TriggersLeftOff(Workspace& workspace);
