#pragma once

#include <atomic>

namespace varkel::cli {

// While it lives, Ctrl-C does not end the program but sets flag(), which long
// work watches (its control's cancel): the work stops between trials, as the
// windows' Cancel button stops it. The previous handler comes back after.
// One at a time.
class InterruptCancel {
public:
    InterruptCancel();
    ~InterruptCancel();
    InterruptCancel(const InterruptCancel&) = delete;
    InterruptCancel& operator=(const InterruptCancel&) = delete;

    const std::atomic<bool>* flag() const;

private:
    void (*previous_)(int);
};

}  // namespace varkel::cli
