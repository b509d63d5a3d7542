#include "Application.h"

#include "IdleWait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <chrono>
#include <thread>

namespace {

int handling = 0;   // nested calls handling the messages for something under way

// GUI thread only.
struct Handling {
    Handling() { ++handling; }
    ~Handling() { --handling; }
};

}  // namespace

void ProcessMessages() {
    const Handling meanwhile;
    QCoreApplication::processEvents();
}

void WaitForMessages(uint32_t milliseconds) {
    const Handling meanwhile;
    // The timer's own event ends the wait when nothing else comes.
    QTimer alarm;
    alarm.setSingleShot(true);
    alarm.start(int(milliseconds));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool HandlingMessagesMeanwhile() { return handling > 0; }

void RunWhileProcessingMessages(const std::function<void()>& work, const std::function<void()>& meanwhile) {
    // The messages at once, as a wait on them would (the caller may have been busy a while), but
    // with the work under way: a command they run may wait for it, which it could not do for work
    // that starts only once that command has returned.
    RunCallingIdle(
        work,
        [&meanwhile] {
            ProcessMessages();
            if (meanwhile) meanwhile();
        },
        true);
}

uint32_t GetTickCount() {
    const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    // Keeping only the low 32 bits is the wrap the callers expect.
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

QString ExecutableFolder() { return QCoreApplication::applicationDirPath() + QLatin1Char('/'); }

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
