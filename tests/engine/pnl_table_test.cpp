#include "search/pnl_table.h"

#include "model/backtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace varkel;

namespace {

struct Prices {
    double open;
    double close;
};

}  // namespace

// The searches add up table entries instead of back-testing each trial: every
// one of the nine (yesterday, today) cases must be what the back-test itself
// books for that bar, to the bit, on rising, falling and gapping bars alike.
TEST(PnlTable, EveryCaseIsWhatTheBacktestBooks) {
    const std::vector<std::vector<Prices>> histories = {
        {{100.0, 100.0}, {100.5, 101.0}, {101.7, 100.9}},   // up, then a gap up that falls back
        {{120.0, 119.5}, {118.25, 117.0}, {116.5, 118.75}},  // down, then a gap down that rallies
        {{0.9, 0.91}, {0.905, 0.9}, {0.9, 0.9}},             // small prices, a flat last day
    };
    for (const auto& prices : histories) {
        for (int yesterday = -1; yesterday <= 1; ++yesterday) {
            for (int today = -1; today <= 1; ++today) {
                SCOPED_TRACE(testing::Message() << "first open " << prices[0].open << ", position " << yesterday
                                                << " then " << today);
                ProductRegistry registry;
                Product& product = *registry.addProduct("USD/JPY");
                for (const Prices& day : prices) {
                    Bar& bar = product.bars.emplace_back();
                    bar.open = day.open;
                    bar.close = day.close;
                    bar.high = std::max(day.open, day.close);
                    bar.low = std::min(day.open, day.close);
                }
                product.bars.emplace_back();  // the next-day bar
                product.bars[1].position = yesterday;
                product.bars[2].position = today;
                const PnlTable table(product);
                runBacktest(registry, "USD/JPY");
                EXPECT_EQ(table.row(2)[3 * (yesterday + 1) + (today + 1)], product.bars[2].dailyPnl);
            }
        }
    }
}
