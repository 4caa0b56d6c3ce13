#include "studies/series_stats.h"
#include "studies/window_growth.h"

#include "../support/sample_history.h"
#include "../support/vector_targets.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace varkel;

namespace {

std::vector<std::uint64_t> bitsOf(const std::vector<double>& values) {
    std::vector<std::uint64_t> bits;
    for (const double v : values) bits.push_back(std::bit_cast<std::uint64_t>(v));
    return bits;
}

// Histories shorter than any vector, one that fills a few vectors with some
// left over, and real closes with non-finite values and signed zeros in them
// (a NaN must spoil exactly the windows that hold it, and an infinity meeting
// its opposite must give the NaN the plain loop gives).
std::vector<std::pair<std::string, std::vector<double>>> histories() {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> faulty = test::sampleCloses("USD_JPY.txt", 61);
    faulty[5] = nan;
    faulty[20] = inf;
    faulty[23] = -inf;
    faulty[40] = -0.0;
    faulty[41] = 0.0;
    faulty[50] = 1e308;
    faulty[51] = 1e308;
    return {{"one bar", {101.25}},
            {"three bars", {0.1, 0.2, -0.3}},
            {"seven bars", {3, 1, 4, 1, 5, 9, 2}},
            {"closes", test::sampleCloses("USD_JPY.txt", 157)},
            {"faulty closes", faulty}};
}

}  // namespace

// Every span's averages from the shared, vector-grown window sums must be the
// plain one-span loop's to the bit, on every target, also where the plain loop
// gives no result (spans below 2 or above the history).
TEST(WindowGrowth, EveryTargetGivesEachSpanTheBitsOfTheOneSpanAverage) {
    const SeriesStats stats;
    // Named, not bound: clang 14 cannot capture a structured binding in a lambda.
    for (const auto& history : histories()) {
        const auto& values = history.second;
        SCOPED_TRACE(history.first);
        const int lastSpan = static_cast<int>(values.size()) + 2;
        test::onEveryVectorTarget([&] {
            for (const int firstSpan : {1, 3}) {
                const std::vector<std::vector<double>> averages = stats.movingAverages(values, firstSpan, lastSpan);
                ASSERT_EQ(averages.size(), static_cast<std::size_t>(lastSpan - firstSpan + 1));
                for (int span = firstSpan; span <= lastSpan; ++span)
                    EXPECT_EQ(bitsOf(averages[span - firstSpan]), bitsOf(stats.movingAverage(values, span)))
                        << "span " << span;
            }
            EXPECT_TRUE(stats.movingAverages(values, 5, 4).empty());
        });
    }
}

// The sums alone, as the stochastics' shared windows use them: each window
// takes its next value in bar order, every lane as the plain loop adds it.
TEST(WindowGrowth, EveryTargetAddsEachWindowsNextValueAsThePlainLoop) {
    for (const auto& history : histories()) {
        const auto& values = history.second;
        SCOPED_TRACE(history.first);
        const int n = static_cast<int>(values.size());
        test::onEveryVectorTarget([&] {
            std::vector<double> sums(values.size(), 0.0), expected(values.size(), 0.0);
            for (int t = 0; t < n; ++t) {
                growWindows(sums.data(), values.data() + t, n - t);
                for (int j = 0; j + t < n; ++j) expected[j] += values[j + t];
                ASSERT_EQ(bitsOf(sums), bitsOf(expected)) << "step " << t;
            }
        });
    }
}
