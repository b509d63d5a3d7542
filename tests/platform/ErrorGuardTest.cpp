#include "platform/ErrorGuard.h"

#include "platform/ECriticalError.h"
#include "platform/EDatabaseError.h"
#include "support/ScriptedDialogs.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <stdexcept>

TEST(ErrorGuard, ShowsEveryKindOfErrorAsAStopBoxAndSwallowsIt) {
    ScriptedDialogs dialogs;
    bool after = false;
    RunGuarded([&] {
        ErroCritico(QStringLiteral("Caminhos devem ser diferentes!"));
        after = true;
    });
    EXPECT_FALSE(after) << "a critical error ends the command";
    RunGuarded([] { throw EDatabaseError(QStringLiteral("I/O error during \"open\"\n-No such file or directory")); });
    RunGuarded([] { throw std::runtime_error("falhou ção"); });
    RunGuarded([] { throw 42; });

    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Caminhos devem ser diferentes!"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("I/O error during \"open\"\n-No such file or directory"))
        << "every line of the server's message";
    EXPECT_EQ(dialogs.messages[2].text, QStringLiteral("falhou ção"));
    EXPECT_FALSE(dialogs.messages[3].text.isEmpty());
    for (const auto& message : dialogs.messages) {
        EXPECT_EQ(message.flags, MB_ICONSTOP);
        EXPECT_EQ(message.caption, QGuiApplication::applicationDisplayName());
    }
}

TEST(ErrorGuard, ShowsNothingWhenTheCommandSucceeds) {
    ScriptedDialogs dialogs;
    bool ran = false;
    RunGuarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(dialogs.messages.empty());
}
