#pragma once

#include "PlainClient.h"

#include <string>

// The ceiling every copy here is measured against, the way tools of this kind copy: a cursor on the
// source, one prepared INSERT whose parameters are the cursor's own row buffer, one transaction
// for everything, on one thread.
CopyResult CopyPlain(const std::string& source, const std::string& destination);

// What the copy's design can reach at best, written with plain client calls: a thread reads the
// source's rows, blobs with them, a bounded way ahead of the inserting thread, which does nothing
// but write the blobs and execute the INSERT. With commitEverySecond it commits (retaining) at
// least once a second, as the program promises; without, once at the end.
CopyResult CopyPlainAhead(const std::string& source, const std::string& destination, bool commitEverySecond);
