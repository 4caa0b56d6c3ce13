#pragma once

#include <atomic>
#include <cstdint>

namespace varkel {

// The stages of a grid search: the per-span studies and the series the trials
// read (moving averages, the MACD line, %K and %D, EMA and ATR, the window
// sums a pass starts from); the kernel that turns a series into each trial's
// positions and return; the selection that keeps the returns, records them in
// a ledger, picks the first best and applies it.
enum class SearchStage { Studies, Kernel, Selection };

inline constexpr int searchStageCount = 3;

// Processor time of a search's stages, summed over its threads: where a full
// grid's time goes (the benchmark reports it beside the search's own time).
struct SearchStageTimes {
    std::atomic<std::int64_t> nanoseconds[searchStageCount] = {};

    double seconds(SearchStage stage) const {
        return static_cast<double>(nanoseconds[static_cast<int>(stage)].load()) * 1e-9;
    }
};

// The processor time of the calling thread, lap by lap: each lap adds the time
// since the one before (or since the clock started) to a stage. A clock
// without times reads no clock at all, so a search that is not timed pays a
// test per lap.
class StageClock {
public:
    explicit StageClock(SearchStageTimes* times);
    void lap(SearchStage stage);

private:
    SearchStageTimes* times_;
    std::int64_t last_ = 0;
};

}  // namespace varkel
