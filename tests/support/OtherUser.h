#pragma once

#include "platform/TSQLConnection.h"
#include "platform/TSQLTransaction.h"

#include <QString>
#include <memory>

// Another user of a database: one statement run in a transaction held open until Commit, so
// that what it locked stays locked meanwhile.
class OtherUser {
public:
    // password: for a database on a server; an embedded one needs none.
    OtherUser(const QString& database, const QString& sql, const QString& password = {});
    void Commit() { held_->Commit(); }

private:
    TSQLConnection connection_;
    std::unique_ptr<TSQLTransaction> held_;
};
