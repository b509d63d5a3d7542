#pragma once

#include "Exception.h"

#include <QString>

// An error reported by the Firebird client or server: the whole status vector as text.
class EDatabaseError : public Exception {
public:
    EDatabaseError(QString message, int sqlCode = 0, QString sqlState = {});
    int SqlCode() const { return sqlCode_; }
    const QString& SqlState() const { return sqlState_; }
    // The same error, its message led by what the program was doing when it came.
    EDatabaseError While(const QString& doing) const;

private:
    int sqlCode_;
    QString sqlState_;
};
