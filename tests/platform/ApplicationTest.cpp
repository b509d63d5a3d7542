#include "platform/Application.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <chrono>

namespace {

uint32_t SteadyMillisecondsLow32() {
    const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace

// The copy takes elapsed times as 32-bit unsigned differences, which stay right across the wrap
// only when the count is the plain low 32 bits of a steady millisecond clock.
TEST(Application, TickCountIsTheSteadyClockInMillisecondsModulo32Bits) {
    const uint32_t before = SteadyMillisecondsLow32();
    const uint32_t tick = GetTickCount();
    const uint32_t after = SteadyMillisecondsLow32();
    EXPECT_LE(uint32_t(tick - before), uint32_t(after - before));

    Sleep(30);
    EXPECT_GE(uint32_t(GetTickCount() - tick), 30u);
}

TEST(Application, ExecutableFolderEndsWithASeparator) {
    EXPECT_TRUE(ExecutableFolder().endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(ExecutableFolder()).isDir());
}

TEST(Application, BusyCursorShowsWhileHeldAndNestedHoldersGiveBackWhatTheyTook) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        BusyCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            BusyCursor inner;
        }
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr) << "the outer command is still running";
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
