#pragma once

#include "EDatabaseError.h"
#include "FbRef.h"
#include "FbStatus.h"
#include "FbTransactionOptions.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

Firebird::IMaster* FbMaster();
Firebird::IUtil* FbUtil();

EDatabaseError DatabaseErrorFrom(Firebird::IStatus* status);

// Runs work; a database error it raises is raised again led by what the layer was doing, which
// describe() words only then ("ao ler o blob da coluna X da tabela Y").
template <typename Describe, typename Work>
decltype(auto) Doing(Describe&& describe, Work&& work) {
    try {
        return work();
    } catch (const EDatabaseError& error) {
        throw error.While(describe());
    }
}

// Text for the server: names and SQL travel as UTF-8, as the catalogue stores them.
inline QByteArray ServerText(const QString& text) { return text.toUtf8(); }

FbRef<Firebird::ITransaction> FbStartTransaction(Firebird::IAttachment* attachment, const FbTransactionOptions& options);
// Commits or rolls back and lets go of the transaction either way; a failure is raised after the
// interface has been released, so nothing dangles.
void FbEndTransaction(FbRef<Firebird::ITransaction>& transaction, bool commit);

// Connection-level failures (network, shutdown) must not be mistaken for a rejected row.
bool IsConnectionLost(const EDatabaseError& error);
// Not the server's answer about the rows a statement carried: the connection was lost, or another
// thread cancelled the request ("Parar"). Nothing of the statement was written.
bool IsInterruption(const EDatabaseError& error);

// Ends the client's and the embedded engine's own threads, once every connection is closed and
// before the program unloads the library: a thread still ending a lost attachment crashed there.
void ShutDownDatabaseClient();

// The dialect databases are made in, and the one a connection uses unless told otherwise.
constexpr unsigned SqlDialect = 3;

// A statement's text as an error message quotes it: long ones are cut.
QString StatementForMessage(const QString& sql);
