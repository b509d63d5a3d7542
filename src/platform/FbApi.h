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

// Ends the client's and the embedded engine's own threads, once every connection is closed and
// before the program unloads the library: a thread still ending a lost attachment crashed there.
void ShutDownDatabaseClient();

// The dialect databases are made in, and the one a connection uses unless told otherwise.
constexpr unsigned SqlDialect = 3;
