// A termination signal closes the window, and the connections stay usable until it has.
#include "support/DatabaseFactory.h"

#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TerminationRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>

namespace {

bool ClosesWithin5Seconds(QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (window.isVisible() && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return !window.isVisible();
}

}  // namespace

TEST(TerminationRequest, ASignalBeforeAnyConnectionClosesTheWindow) {
    QWidget window;
    window.show();
    CloseOnTermination(window);
    std::raise(SIGTERM);
    EXPECT_TRUE(ClosesWithin5Seconds(window));
}

TEST(TerminationRequest, ASignalClosesTheWindowAndLeavesTheConnectionsWorking) {
    DatabaseFactory factory;
    TSQLConnection connection;
    connection.Params.SetValue(QStringLiteral("Database"), factory.Create(QStringLiteral("term")));
    connection.Open();
    QWidget window;
    window.show();
    CloseOnTermination(window);

    for (int signal : {SIGTERM, SIGINT}) {
        window.show();
        std::raise(signal);
        EXPECT_TRUE(ClosesWithin5Seconds(window)) << "signal " << signal;

        TSQLDataSet query(&connection);
        query.SetCommandText(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
        ASSERT_NO_THROW(query.Open()) << "signal " << signal;
        EXPECT_EQ(query.Fields(0)->AsString(), QStringLiteral("1"));
    }
}
