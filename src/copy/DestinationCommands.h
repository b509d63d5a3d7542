#pragma once

#include "catalogue/Workspace.h"

#include <functional>

struct CopyContext;

// The window's commands on the destination beside the copy (the cleanup, the triggers, the
// generators, the refresh). Each is one run of the import's waits on the server, and each of its
// steps that waits on a database (Workspace::OnDestination) runs on a thread of its own while the
// window handles its messages: "Parar", or the program ending, cancels the step, or gives up a
// server that answers nothing (the source's too), and the command ends as an import would, with
// "Processo Parado!" or with the lost connection and what to do. A step begins only while no stop
// was asked.
// Threads: the main thread runs all of it but the steps.
class DestinationCommands {
public:
    // Becomes the workspace's DestinationWait.
    explicit DestinationCommands(CopyContext& context);
    ~DestinationCommands();
    DestinationCommands(const DestinationCommands&) = delete;
    DestinationCommands& operator=(const DestinationCommands&) = delete;

    void Run(const std::function<void()>& command);
    // A command is under way (one run inside another counts once).
    bool Running() const { return running_ > 0; }

private:
    void Step(const std::function<void()>& work, Workspace::SourceUse source);

    CopyContext& context_;
    int running_ = 0;
    bool stoppedBefore_ = false;   // a stop was asked, or the program was ending, as the command began
};
