#include "DisabledWhileRunning.h"

#include "ErrorGuard.h"

#include <QAbstractButton>
#include <optional>

DisabledWhileRunning::DisabledWhileRunning(QAbstractButton* button)
    : button_(button), wasEnabled_(button->isEnabled()), hadFocus_(button->hasFocus()) {
    button->setEnabled(false);
}

DisabledWhileRunning::~DisabledWhileRunning() {
    if (!button_) return;
    button_->setEnabled(wasEnabled_);
    // A disabled button hands the focus on: a command started from the keyboard gets it back.
    if (hadFocus_ && wasEnabled_) button_->setFocus();
}

void WireCommand(QAbstractButton* button, QObject* context, std::function<void()> command, WhileRunning whileRunning) {
    QObject::connect(button, &QAbstractButton::clicked, context, [button, command = std::move(command), whileRunning] {
        std::optional<DisabledWhileRunning> running;
        if (whileRunning == WhileRunning::Disabled) running.emplace(button);
        RunGuarded(command);
    });
}
