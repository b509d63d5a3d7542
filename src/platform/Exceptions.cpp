#include "Exceptions.h"

#include <utility>

Exception::Exception(QString message)
    : message_(std::move(message)), utf8_(message_.toStdString()) {}

EDatabaseError::EDatabaseError(QString message, int sqlCode, QString sqlState)
    : Exception(std::move(message)), sqlCode_(sqlCode), sqlState_(std::move(sqlState)) {}

void ErroCritico(const QString& message) { throw ECriticalError(message); }

