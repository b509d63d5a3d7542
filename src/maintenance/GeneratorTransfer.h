#pragma once

struct Workspace;

// Sets every user generator of the destination (system flag 0 or NULL) to the current value of
// the source's generator of the same name, in name order, with the exact 64-bit value; then
// restarts every identity column of the destination from the current value of the same column's
// counter in the source, since those counters are named differently in each database. A
// generator or column the destination lacks stops it with the server's error; what was set
// before stays set. One line of the log says how many of each were set.
void TransferGenerators(Workspace& workspace);
