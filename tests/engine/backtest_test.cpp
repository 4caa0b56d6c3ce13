#include "model/backtest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace varkel;

namespace {

struct Day {
    double open;
    double close;
    int position;
};

// A product whose real bars are `days`, followed by the empty next-day bar.
Product& productWith(ProductRegistry& registry, const std::vector<Day>& days, int nextPosition = 0) {
    Product& product = *registry.addProduct("USD/JPY");
    for (const Day& day : days) {
        Bar& bar = product.bars.emplace_back();
        bar.open = day.open;
        bar.close = day.close;
        bar.position = day.position;
    }
    product.bars.emplace_back().position = nextPosition;
    return product;
}

}  // namespace

// Yesterday closes at 100, today opens at 101 and closes at 102. With the
// defaults a fill costs 0.2 in price, 1.0 of P&L after the 5 units.
TEST(Backtest, EveryTransitionOfTheTable) {
    struct Case {
        int p, q;
        double expected;
    };
    const Case cases[] = {
        {0, 0, 0.0},
        {0, +1, (102 - 101) * 5 - 1.0},
        {0, -1, (101 - 102) * 5 - 1.0},
        {+1, +1, (102 - 100) * 5},
        {+1, 0, (101 - 100) * 5 - 1.0},
        {+1, -1, (101 - 100) * 5 + (101 - 102) * 5 - 2.0},  // exit and entry both charged
        {-1, -1, (100 - 102) * 5},
        {-1, 0, (100 - 101) * 5 - 1.0},
        {-1, +1, (100 - 101) * 5 + (102 - 101) * 5 - 2.0},
    };
    for (const Case& c : cases) {
        ProductRegistry registry;
        Product& product = productWith(registry, {{99.0, 100.0, c.p}, {101.0, 102.0, c.q}});
        runBacktest(registry, "USD/JPY");
        EXPECT_NEAR(product.bars[1].dailyPnl, c.expected, 1e-9) << c.p << " -> " << c.q;
        EXPECT_NEAR(product.bars[1].cumulativePnl, c.expected, 1e-9) << c.p << " -> " << c.q;
        EXPECT_NEAR(finalReturn(registry, "USD/JPY"), c.expected, 1e-9);
    }
}

TEST(Backtest, CostAndUnitsComeFromTheProduct) {
    ProductRegistry registry;
    Product& product = productWith(registry, {{99.0, 100.0, 0}, {101.0, 102.0, 1}});
    product.pipSize = 0.001;
    product.tradeUnits = 10;
    runBacktest(registry, "USD/JPY");
    EXPECT_NEAR(product.bars[1].dailyPnl, (102 - 101.02) * 10, 1e-9);
}

TEST(Backtest, RunningSumInBarOrderLeavesBarZeroAndTheNextDayBarAlone) {
    ProductRegistry registry;
    Product& product = productWith(registry, {{100.0, 100.0, 0},
                                              {100.0, 101.0, 1},
                                              {101.5, 103.0, 1},
                                              {102.0, 102.5, 2},  // not a position: day kept
                                              {102.0, 101.0, 0}});
    product.bars[0].dailyPnl = 3.0;     // never written, never summed
    product.bars[3].dailyPnl = 7.25;
    product.bars[5].dailyPnl = 42.0;    // the next-day bar
    product.bars[5].cumulativePnl = 43.0;
    runBacktest(registry, "USD/JPY");

    const double d1 = (101.0 - 100.2) * 5;
    const double d2 = (103.0 - 101.0) * 5;
    // Position 2 on bar 3 makes both bar 3 (1 -> 2) and bar 4 (2 -> 0) no transition.
    EXPECT_EQ(product.bars[0].dailyPnl, 3.0);
    EXPECT_EQ(product.bars[0].cumulativePnl, 0.0);
    EXPECT_NEAR(product.bars[1].dailyPnl, d1, 1e-12);
    EXPECT_NEAR(product.bars[2].dailyPnl, d2, 1e-12);
    EXPECT_EQ(product.bars[3].dailyPnl, 7.25);
    EXPECT_EQ(product.bars[4].dailyPnl, 0.0);
    EXPECT_NEAR(product.bars[4].cumulativePnl, d1 + d2 + 7.25, 1e-12);
    EXPECT_EQ(product.bars[5].dailyPnl, 42.0);
    EXPECT_EQ(product.bars[5].cumulativePnl, 43.0);
    double sum = 0.0;
    for (int i = 1; i < 5; ++i) {
        sum += product.bars[i].dailyPnl;
        EXPECT_EQ(product.bars[i].cumulativePnl, sum) << i;
    }
    EXPECT_EQ(finalReturn(registry, "USD/JPY"), sum);
}

TEST(Backtest, TooShortHistoriesAndUnknownProducts) {
    ProductRegistry registry;
    Product& product = productWith(registry, {{100.0, 101.0, 1}});
    product.bars[0].cumulativePnl = 2.5;
    runBacktest(registry, "USD/JPY");
    EXPECT_EQ(product.bars[0].cumulativePnl, 2.5);
    EXPECT_EQ(finalReturn(registry, "USD/JPY"), 2.5);
    EXPECT_EQ(finalReturn(registry, "EUR/JPY"), 0.0);
    registry.addProduct("EUR/JPY");
    EXPECT_EQ(finalReturn(registry, "EUR/JPY"), 0.0);
    runBacktest(registry, "GBP/JPY");  // nothing to do, nothing to crash on
}

TEST(Transition, EveryPairAndItsText) {
    struct Case {
        int last, next;
        TransitionCode code;
        const char* text;
    };
    const Case cases[] = {
        {0, 1, TransitionCode::TakeLong, "Take Long"},
        {1, 1, TransitionCode::LongHold, "Long Hold"},
        {1, 0, TransitionCode::CloseLong, "Close Long"},
        {1, -1, TransitionCode::LongToShort, "Long 2 Short"},
        {0, -1, TransitionCode::TakeShort, "Take Short"},
        {-1, -1, TransitionCode::ShortHold, "Short Hold"},
        {-1, 0, TransitionCode::CloseShort, "Close Short"},
        {-1, 1, TransitionCode::ShortToLong, "Short 2 Long"},
        {0, 0, TransitionCode::NoAction, "No Action"},
        {2, 1, TransitionCode::NoAction, "No Action"},
    };
    for (const Case& c : cases) {
        ProductRegistry registry;
        productWith(registry, {{1.0, 1.0, 1}, {1.0, 1.0, c.last}}, c.next);
        const TransitionCode code = classifyTransition(registry, "USD/JPY");
        EXPECT_EQ(code, c.code) << c.last << " -> " << c.next;
        EXPECT_STREQ(transitionText(code), c.text);
    }
}

TEST(Transition, NoProductNoBarsOrOnlyTheNextDayBar) {
    ProductRegistry registry;
    EXPECT_EQ(classifyTransition(registry, "USD/JPY"), TransitionCode::Unavailable);
    EXPECT_STREQ(transitionText(TransitionCode::Unavailable), "No Action");
    registry.addProduct("USD/JPY");
    EXPECT_EQ(classifyTransition(registry, "USD/JPY"), TransitionCode::Unavailable);
    registry.appendEmptyBar("USD/JPY");
    registry.findProduct("USD/JPY")->bars[0].position = 1;
    EXPECT_EQ(classifyTransition(registry, "USD/JPY"), TransitionCode::NoAction);
}
