#include "platform/FbApi.h"
#include "platform/TSQLConnection.h"
#include "support/SilentServer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(ClientShutdown, AnAttachToAServerThatNeverAnswersDoesNotHoldTheProgramsEnd) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SilentServer server;
            std::thread([&server] {
                TSQLConnection connection;
                connection.Params.SetValue(QStringLiteral("DATABASE"), QString::fromLatin1(server.Database()));
                try {
                    connection.Open();
                } catch (...) {
                }
            }).detach();
            server.WaitForClient();
            ShutDownDatabaseClient(7);
            std::exit(0);
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
