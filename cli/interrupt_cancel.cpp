#include "cli/interrupt_cancel.h"

#include <csignal>

namespace varkel::cli {

namespace {

std::atomic<bool> interrupted{false};

void interrupt(int) { interrupted = true; }

}  // namespace

InterruptCancel::InterruptCancel() {
    interrupted = false;
    previous_ = std::signal(SIGINT, interrupt);
}

InterruptCancel::~InterruptCancel() { std::signal(SIGINT, previous_); }

const std::atomic<bool>* InterruptCancel::flag() const { return &interrupted; }

}  // namespace varkel::cli
