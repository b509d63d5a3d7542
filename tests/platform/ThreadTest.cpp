#include "platform/Application.h"
#include "platform/TThread.h"

#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// Hands one routine to the main thread and notes where it ran and what came back.
class Handing : public TThread {
public:
    std::function<void()> routine = [] {};
    std::atomic<bool> bodyRan{false};
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> failed{false};

    ~Handing() override { WaitFor(); }

protected:
    void Execute() override {
        bodyRan = true;
        try {
            Synchronize([this] {
                ranOnMain = IsMainThread();
                routine();
            });
        } catch (const std::runtime_error&) {
            failed = true;
        }
    }
};

}  // namespace

TEST(Thread, AHandedRoutineRunsOnTheMainThreadWhenItProcessesMessages) {
    Handing thread;
    thread.Resume();
    for (int i = 0; i < 500 && !thread.ranOnMain; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ProcessMessages();
    }
    EXPECT_TRUE(thread.ranOnMain);
}

TEST(Thread, WaitingForTheEndRunsWhatTheThreadHandsOverWithoutProcessingMessages) {
    Handing thread;
    thread.Resume();
    thread.WaitFor();   // would never return if the hand-over waited for a message loop
    EXPECT_TRUE(thread.bodyRan);
    EXPECT_TRUE(thread.ranOnMain);
}

TEST(Thread, AnErrorOfTheHandedRoutineIsRaisedAgainInTheThread) {
    Handing thread;
    thread.routine = [] { throw std::runtime_error("falhou"); };
    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(thread.failed);
}

TEST(Thread, AThreadNeverStartedNeverRunsItsBody) {
    Handing thread;
    thread.WaitFor();
    EXPECT_FALSE(thread.bodyRan);
    thread.Resume();   // terminated: nothing starts any more
    thread.WaitFor();
    EXPECT_FALSE(thread.bodyRan);
}

TEST(Thread, OnTheMainThreadSynchronizeIsAPlainCall) {
    Handing thread;
    bool ran = false;
    thread.Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Thread, SlowWorkRunsApartWhileTheWindowKeepsHandlingItsMessages) {
    std::atomic<bool> release{false};
    bool handled = false;
    QTimer::singleShot(0, [&] {
        handled = true;
        release = true;   // the work can only end once a message has been handled meanwhile
    });
    RunWhileProcessingMessages([&] {
        EXPECT_FALSE(IsMainThread());
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    EXPECT_TRUE(handled);
    EXPECT_THROW(RunWhileProcessingMessages([] { throw std::runtime_error("falhou"); }), std::runtime_error);
}

// A command the window runs as the wait begins (closing the window during a copy, say) may itself
// wait for the work: the work is already under way, or the two would wait for each other.
TEST(Thread, ACommandHandledAsTheWaitBeginsCanWaitForTheWork) {
    std::atomic<bool> working{false};
    bool sawTheWork = false;
    QTimer::singleShot(0, [&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!working && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawTheWork = working;
    });
    RunWhileProcessingMessages([&] { working = true; });
    EXPECT_TRUE(sawTheWork);
}
