#include "TerminationRequest.h"

#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <ibase.h>
#include <unistd.h>

namespace {

// Both answers may run inside a signal handler: a byte on a pipe is all they do there, and the
// window reads it in its own thread.
int wakeUp[2] = {-1, -1};
bool closingOnSignal = false;

void AskToClose() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeUp[1], &byte, 1);
}

// Before the database library is loaded, the signal comes here; once it is, the library takes
// the signal over and asks this whether to shut down.
void OnSignal(int) { AskToClose(); }

int RefuseShutdownBySignal(const int reason, const int, void*) {
    if (reason != fb_shutrsn_signal) return 0;
    AskToClose();
    return 1;   // not now: the window closes its connections itself
}

}  // namespace

void CloseOnTermination(QWidget& window) {
    if (wakeUp[0] < 0) {
        if (pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) return;
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        // A terminal or an ssh session that goes away hangs up: the run ends as on a stop.
        for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
        // A reader of the program's output that went away (| head) must not end it halfway, its
        // triggers off: the write fails instead.
        signal(SIGPIPE, SIG_IGN);
        ISC_STATUS_ARRAY status{};
        fb_shutdown_callback(status, RefuseShutdownBySignal, fb_shut_confirmation, nullptr);
    }
    auto* notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[16];
        while (read(wakeUp[0], bytes, sizeof bytes) > 0) {
        }
        if (!window.isVisible()) return;
        closingOnSignal = true;
        window.close();
        closingOnSignal = false;
    });
}

bool ClosingOnTermination() { return closingOnSignal; }
