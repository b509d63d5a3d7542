#pragma once

#include <firebird/Interface.h>

class TSQLConnection;

// Lets a statement be undone alone, the transaction going on: an UPDATE that changed more rows
// than the one it was meant for. Released when it goes out of scope.
class Savepoint {
public:
    Savepoint(TSQLConnection& connection, Firebird::ITransaction* transaction);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    void Undo();

private:
    TSQLConnection& connection_;
    Firebird::ITransaction* transaction_;
};
