#pragma once

#include "shell/TFPrincipal.h"
#include "support/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// The main window as the program shows it, with its files in a folder of the test's own and
// every dialog answered by the test.
class MainWindowTest : public testing::Test {
protected:
    MainWindowTest() {
        window.ProgramFolder = folder.path() + QLatin1Char('/');
        window.workspace.StateFolder = folder.path();
        window.show();
    }

    QString FileInFolder(const QString& name) const { return folder.filePath(name); }

    ScriptedDialogs dialogs;
    QTemporaryDir folder;
    TFPrincipal window;
};
