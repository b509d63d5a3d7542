#include "ErrorGuard.h"

#include "Dialogs.h"
#include "ENotice.h"
#include "Exception.h"

#include <QGuiApplication>

QString ErrorMessage(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->Message();
    return QString::fromUtf8(error.what());
}

void ShowException(const std::exception& error) {
    const auto* notice = dynamic_cast<const ENotice*>(&error);
    Dialogs().MessageBox(ErrorMessage(error), QGuiApplication::applicationDisplayName(),
                         notice ? notice->Icon() : MB_ICONSTOP);
}

bool RunGuarded(const std::function<void()>& command) {
    try {
        try {
            command();
            return true;
        } catch (const std::exception& error) {
            ShowException(error);
        } catch (...) {
            ShowException(Exception(QStringLiteral("Erro desconhecido")));
        }
    } catch (...) {
        // Showing the error failed as well (out of memory): there is no one left to tell.
    }
    return false;
}
