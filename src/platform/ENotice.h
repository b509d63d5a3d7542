#pragma once

#include "ECriticalError.h"

#include <QString>
#include <utility>

// Ends the current command as a critical error does, for what is no failure: the user's own stop,
// or a command that has to wait for another. Shown with its own message-box icon.
class ENotice : public ECriticalError {
public:
    ENotice(QString message, int icon) : ECriticalError(std::move(message)), icon_(icon) {}
    int Icon() const { return icon_; }

private:
    int icon_;
};
