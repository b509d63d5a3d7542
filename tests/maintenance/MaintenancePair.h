#pragma once

#include "catalogue/ActivityLog.h"
#include "maintenance/DestinationMaintenance.h"
#include "platform/ErrorGuard.h"
#include "support/DatabaseFactory.h"
#include "support/ScriptedDialogs.h"
#include "support/WorkspaceFixture.h"

#include <QGuiApplication>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

// A source and a destination connected as the main window connects them, with the maintenance
// commands over them and every message box answered by the test.
class MaintenancePair : public testing::Test {
protected:
    MaintenancePair() { OpenActivityLog(); }
    ~MaintenancePair() override { CloseActivityLog(); }

    void Open(const QString& origemScript, const QString& destinoScript) {
        origem = factory.Create(QStringLiteral("origem"), origemScript);
        destino = factory.Create(QStringLiteral("destino"), destinoScript);
        Reopen();
    }

    // Both databases connected anew, as by the next run of the program.
    void Reopen() {
        maintenance.reset();
        fixture = std::make_unique<WorkspaceFixture>(origem, destino);
        fixture->workspace.StateFolder = factory.Folder();
        maintenance = std::make_unique<DestinationMaintenance>(fixture->workspace, cleanupTree);
    }

    // Runs a command as the window does: an error ends it in a stop box.
    template <typename Command>
    void Press(Command command) {
        RunGuarded([&] { (maintenance.get()->*command)(); });
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor outlived the command";
    }

    // The one message box shown since the last call, checked for text, caption and flags.
    void ExpectMessage(const QString& text, const QString& caption, int flags) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, text);
        EXPECT_EQ(dialogs.messages[0].caption, caption);
        EXPECT_EQ(dialogs.messages[0].flags, flags);
        EXPECT_FALSE(dialogs.messages[0].busyCursor);
        dialogs.messages.clear();
    }

    // The stop box of an error, whose text holds every one of the given parts.
    void ExpectError(const QStringList& parts) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].flags, MB_ICONSTOP);
        for (const QString& part : parts)
            EXPECT_TRUE(dialogs.messages[0].text.contains(part)) << dialogs.messages[0].text.toStdString();
        dialogs.messages.clear();
    }

    static QString Value(const QString& path, const QString& sql) { return DatabaseFactory::QueryValue(path, sql); }

    ScriptedDialogs dialogs;
    DatabaseFactory factory;
    QString origem;
    QString destino;
    std::unique_ptr<WorkspaceFixture> fixture;
    QTreeWidget cleanupTree;
    std::unique_ptr<DestinationMaintenance> maintenance;
};
