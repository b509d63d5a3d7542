#pragma once

#include <QPointer>
#include <functional>

class QAbstractButton;

// Keeps a command's button disabled while it lives, so that the command cannot be started again
// from inside itself while it lets the window handle its messages. The button gets back its
// state, and the focus when it had it, unless it went away meanwhile.
class DisabledWhileRunning {
public:
    explicit DisabledWhileRunning(QAbstractButton* button);
    ~DisabledWhileRunning();
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

private:
    QPointer<QAbstractButton> button_;
    bool wasEnabled_;
    bool hadFocus_;
};

class QObject;

enum class WhileRunning { Disabled, StaysEnabled };

// Runs the command through the error guard at each click of the button, for as long as context
// lives; the button is disabled while the command runs unless told otherwise.
void WireCommand(QAbstractButton* button, QObject* context, std::function<void()> command,
                 WhileRunning whileRunning = WhileRunning::Disabled);
