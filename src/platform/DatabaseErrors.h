#pragma once

// The database errors: how one is built from the client's status vector, told apart (a lost
// connection, an interruption) and worded (what we were doing, the statement it came from).

#include "EDatabaseError.h"

#include <firebird/Interface.h>

#include <QString>

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

// Connection-level failures (network, shutdown) must not be mistaken for a rejected row.
bool IsConnectionLost(const EDatabaseError& error);
// Not the server's answer about the rows a statement carried: the connection was lost, or another
// thread cancelled the request ("Parar"). Nothing of the statement was written.
bool IsInterruption(const EDatabaseError& error);

// A statement's text as an error message quotes it: long ones are cut.
QString StatementForMessage(const QString& sql);
