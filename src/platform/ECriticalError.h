#pragma once

#include "Exception.h"

#include <QString>

// A failure the user must act on; raised by ErroCritico and shown with the critical icon.
class ECriticalError : public Exception {
public:
    using Exception::Exception;
};

// Reports a critical error to the user and ends the current command: it never returns.
[[noreturn]] void ErroCritico(const QString& message);
