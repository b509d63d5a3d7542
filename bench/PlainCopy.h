#pragma once

#include "PlainClient.h"

#include <string>

// The ceiling every copy here is measured against, the way tools of this kind copy: a cursor on the
// source, one prepared INSERT whose parameters are the cursor's own row buffer, one transaction
// for everything, on one thread. Only the source rows the condition (" WHERE ...") picks, when given.
CopyResult CopyPlain(const std::string& source, const std::string& destination, const std::string& where = "");

// When the read-ahead copy below commits: once at the end; at least once a second, in the
// inserting thread as the program does; or at least once a second beside the inserts, the rows
// going on meanwhile into the transaction of a second attachment, the two taking turns.
enum class AheadCommits { AtTheEnd, EverySecond, EverySecondBeside };

// What the copy's design can reach at best, written with plain client calls: a thread reads the
// source's rows, blobs with them, a bounded way ahead of the inserting thread, which does nothing
// but write the blobs and execute the INSERT.
CopyResult CopyPlainAhead(const std::string& source, const std::string& destination, AheadCommits commits);
