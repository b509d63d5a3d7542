#pragma once

#include <exception>
#include <functional>
#include <utility>

// Undoes a step half done when the scope is left by an exception, and only then: the holder that
// takes the place of a catch block that cleans up and raises again. What the undo raises is
// dropped: the exception under way is the one to report.
class OnFailure {
public:
    explicit OnFailure(std::function<void()> undo) : undo_(std::move(undo)) {}
    ~OnFailure() {
        if (std::uncaught_exceptions() <= raisedBefore_) return;
        try {
            undo_();
        } catch (...) {
        }
    }
    OnFailure(const OnFailure&) = delete;
    OnFailure& operator=(const OnFailure&) = delete;

private:
    std::function<void()> undo_;
    const int raisedBefore_ = std::uncaught_exceptions();
};
