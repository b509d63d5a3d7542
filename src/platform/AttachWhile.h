#pragma once

#include <firebird/Interface.h>

#include <QByteArray>
#include <functional>

// Attaches as FbAttachDatabase does, on a thread of its own, calling meanwhile on the caller's
// thread every few milliseconds until the attach has ended; raises what the attach raised. An
// attach cannot be cancelled (a server that took the connection and never answers holds it for
// minutes): when meanwhile returns false it is given up, left to end on its thread, which lets go
// of the attachment if one comes, and this returns null.
Firebird::IAttachment* AttachWhile(const QByteArray& database, const QByteArray& dpb, const std::function<bool()>& meanwhile);
