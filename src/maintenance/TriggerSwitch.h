#pragma once

struct Workspace;

// Switches every user trigger of the destination (source text present, system flag 0 or NULL)
// that is on to off, or off to on, with one UPDATE of the trigger catalogue. Firebird 3 refuses
// that UPDATE; there each trigger is switched by ALTER TRIGGER, in name order, and one that
// cannot be switched stops the command with the server's message and the trigger's name,
// leaving the ones before it switched.
void SwitchTriggers(Workspace& workspace, bool active);
