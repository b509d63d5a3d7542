#pragma once

#include "FbRef.h"
#include "FbStatus.h"
#include "FbTransactionOptions.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

Firebird::IMaster* FbMaster();
Firebird::IUtil* FbUtil();

// Text for the server: names and SQL travel as UTF-8, as the catalogue stores them.
inline QByteArray ServerText(const QString& text) { return text.toUtf8(); }

FbRef<Firebird::ITransaction> FbStartTransaction(Firebird::IAttachment* attachment, const FbTransactionOptions& options);
// Commits or rolls back and lets go of the transaction either way; a failure is raised after the
// interface has been released, so nothing dangles.
void FbEndTransaction(FbRef<Firebird::ITransaction>& transaction, bool commit);

// An attach or a detach under way, counted for as long as it lives (see ShutDownDatabaseClient).
class FbConnectingCall {
public:
    FbConnectingCall();
    ~FbConnectingCall();
    FbConnectingCall(const FbConnectingCall&) = delete;
    FbConnectingCall& operator=(const FbConnectingCall&) = delete;
};

// Attaches to the database through the client's dispatcher, with the parameter block's bytes.
Firebird::IAttachment* FbAttachDatabase(FbStatus& status, const QByteArray& database, const QByteArray& dpb);

// Before the first attach: the client hands a database path to the system in the character set
// the environment's locale names, and where that is none (cron's, at times ssh's) no accented
// path is found. The program works in UTF-8 whatever the locale (Qt does), and so does the client
// from here on.
void PrepareDatabaseClient();

// Ends the client's and the embedded engine's own threads, once every connection is closed and
// before the program unloads the library: a thread still ending a lost attachment crashed there.
// An attach or a detach still under way on a thread of its own (with a server that stopped
// answering) would hold that, and the exit after it, spinning until the client gives up (minutes,
// or never) with the program's databases held: the process then ends here at once, with exitCode.
void ShutDownDatabaseClient(int exitCode);

// The dialect databases are made in, and the one a connection uses unless told otherwise.
constexpr unsigned SqlDialect = 3;
