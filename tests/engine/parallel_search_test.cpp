// The optimisers' search over items on the thread pool: the first best trial
// in loop order, whatever the thread count; nothing chosen, or cancelled.
#include "search/parallel_chunks.h"
#include "search/parallel_search.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <vector>

using namespace varkel;

namespace {

// Each item's trials' returns, in the item's own loop order.
using Grid = std::vector<std::vector<double>>;

SearchBest searchGrid(const Grid& grid, int threads, const std::atomic<bool>* cancel = nullptr,
                      std::int64_t* lastDone = nullptr) {
    OptimiserControl control;
    control.cancel = cancel;
    std::int64_t total = 0;
    for (const auto& item : grid) total += static_cast<std::int64_t>(item.size());
    if (lastDone != nullptr) control.onProgress = [lastDone](int, std::int64_t done, std::int64_t) { *lastDone = done; };
    return runParallelSearch(static_cast<int>(grid.size()), total, control, threads,
                             [&](int item, int, std::int64_t& trials) {
                                 ItemBest best;
                                 const auto& returns = grid[static_cast<std::size_t>(item)];
                                 trials = static_cast<std::int64_t>(returns.size());
                                 for (std::size_t t = 0; t < returns.size(); ++t)
                                     if (returns[t] > best.bestReturn) best = {returns[t], static_cast<int>(t)};
                                 return best;
                             });
}

}  // namespace

TEST(ParallelSearch, KeepsTheFirstBestInLoopOrderAtAnyThreadCount) {
    struct Case {
        Grid grid;
        std::optional<std::array<int, 2>> chosen;  // item, trial
    };
    const Case cases[] = {
        {{{1.0, 3.0}, {3.0, 2.0}, {0.5}}, std::array{0, 1}},  // a tie goes to the earlier item
        {{{}, {-2.0, -1.0, -1.0}, {-5.0}}, std::array{1, 1}},  // and to the earlier trial
        {{{-999999.0}, {-1e7}}, std::nullopt},  // nothing beats the start value
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        for (int threads = 1; threads <= 3; ++threads) {
            std::int64_t lastDone = -1;
            const SearchBest best = searchGrid(c.grid, threads, nullptr, &lastDone);
            EXPECT_FALSE(best.cancelled);
            ASSERT_EQ(best.chosen.has_value(), c.chosen.has_value()) << threads << " threads";
            if (!best.chosen) continue;
            EXPECT_EQ(best.chosen->item, (*c.chosen)[0]);
            EXPECT_EQ(best.chosen->trial, (*c.chosen)[1]);
            EXPECT_EQ(best.chosen->bestReturn, c.grid[(*c.chosen)[0]][(*c.chosen)[1]]);
            std::int64_t total = 0;
            for (const auto& item : c.grid) total += static_cast<std::int64_t>(item.size());
            EXPECT_EQ(lastDone, total);
        }
    }
}

TEST(ParallelSearch, ACancelledSearchChoosesNothing) {
    const std::atomic<bool> cancel{true};
    const SearchBest best = searchGrid({{1.0}, {2.0}}, 2, &cancel);
    EXPECT_TRUE(best.cancelled);
    EXPECT_FALSE(best.chosen);
}

// Out of memory in any worker reaches the caller once every thread has ended
// (an exception escaping a thread would end the program instead).
TEST(ParallelSearch, AWorkersExceptionReachesTheCaller) {
    for (const int failingChunk : {0, 5, 9}) {
        std::atomic<int> ran{0};
        EXPECT_THROW(runChunks(10, 3, nullptr,
                               [&](int chunk, int) {
                                   ++ran;
                                   if (chunk == failingChunk) throw std::bad_alloc();
                               }),
                     std::bad_alloc)
            << "chunk " << failingChunk;
        EXPECT_LE(ran.load(), 10);
    }
}
