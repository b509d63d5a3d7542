#include "Exceptions.h"

#include <utility>

Exception::Exception(QString message)
    : message_(std::move(message)), utf8_(message_.toStdString()) {}

EDatabaseError::EDatabaseError(QString message, int sqlCode, QString sqlState)
    : Exception(std::move(message)), sqlCode_(sqlCode), sqlState_(std::move(sqlState)) {}

EDatabaseError EDatabaseError::While(const QString& doing) const {
    return EDatabaseError(QStringLiteral("Erro %1:\n%2").arg(doing, Message()), sqlCode_, sqlState_);
}

void ErroCritico(const QString& message) { throw ECriticalError(message); }

