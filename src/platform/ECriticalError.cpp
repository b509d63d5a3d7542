#include "ECriticalError.h"

void ErroCritico(const QString& message) { throw ECriticalError(message); }
