#include "ErrorGuard.h"

#include "Dialogs.h"
#include "Exceptions.h"

#include <QGuiApplication>

void ShowException(const std::exception& error) {
    Dialogs().MessageBox(MessageOf(error), QGuiApplication::applicationDisplayName(), MB_ICONSTOP);
}

void RunGuarded(const std::function<void()>& command) {
    try {
        try {
            command();
        } catch (const std::exception& error) {
            ShowException(error);
        } catch (...) {
            ShowException(Exception(QStringLiteral("Erro desconhecido")));
        }
    } catch (...) {
        // Showing the error failed as well (out of memory): there is no one left to tell.
    }
}
