#include "search/stage_times.h"

#include <ctime>

namespace varkel {

namespace {

std::int64_t threadProcessorNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

StageClock::StageClock(SearchStageTimes* times) : times_(times) {
    if (times_ != nullptr) last_ = threadProcessorNanoseconds();
}

void StageClock::lap(SearchStage stage) {
    if (times_ == nullptr) return;
    const std::int64_t now = threadProcessorNanoseconds();
    times_->nanoseconds[static_cast<int>(stage)].fetch_add(now - last_, std::memory_order_relaxed);
    last_ = now;
}

}  // namespace varkel
