#include "EDatabaseError.h"

#include <utility>

EDatabaseError::EDatabaseError(QString message, int sqlCode, QString sqlState)
    : Exception(std::move(message)), sqlCode_(sqlCode), sqlState_(std::move(sqlState)) {}

EDatabaseError EDatabaseError::While(const QString& doing) const {
    return EDatabaseError(QStringLiteral("Erro %1:\n%2").arg(doing, Message()), sqlCode_, sqlState_);
}
