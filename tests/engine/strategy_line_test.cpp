#include "report/strategy_file.h"
#include "report/strategy_line.h"

#include "base/formatted_text.h"
#include "../support/sample_history.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

using namespace varkel;

namespace {

// The line as printf writes it: what every strategy file held so far.
std::string printfLine(const Bar& bar) {
    return formattedText("%s,%10.2f,%10.2f,%10.2f,%10.2f,%d,%10.4f,%10.4f\n", bar.dateText.c_str(), bar.open,
                         bar.high, bar.low, bar.close, bar.position, bar.dailyPnl, bar.cumulativePnl);
}

std::string fastLine(const Bar& bar) {
    std::string text;
    appendStrategyLine(text, bar);
    return text;
}

// `value` in every number field, so both precisions and every column see it.
Bar barOf(double value, int position = 1) {
    Bar bar;
    bar.dateText = "20240102";
    bar.open = bar.high = bar.low = bar.close = bar.dailyPnl = bar.cumulativePnl = value;
    bar.position = position;
    return bar;
}

}  // namespace

TEST(StrategyLine, WritesPrintfsTextForTheSampleHistories) {
    for (const char* file : {"USD_JPY.txt", "EUR_JPY.txt", "AUD_JPY.txt", "GBP_JPY.txt"}) {
        ProductRegistry registry = test::samplePrefix(file, "sample", 3000);
        double cumulative = 0.0;
        for (Bar& bar : registry.findProduct("sample")->bars) {
            // P&L on the scale a back-test makes: small differences of prices and their sum.
            bar.position = bar.close > bar.open ? 1 : -1;
            bar.dailyPnl = (bar.close - bar.open) / 7.0;
            cumulative += bar.dailyPnl;
            bar.cumulativePnl = cumulative;
            ASSERT_EQ(fastLine(bar), printfLine(bar)) << file << " " << bar.dateText;
        }
    }
}

TEST(StrategyLine, WritesPrintfsTextForEdgeValues) {
    const double edges[] = {
        0.0, -0.0, 0.005, -0.005, 0.125, -0.125, 0.375, 2.5, 0.00005, 0.00015, 1.005, 2.675, -2.675,  // halves
        0.004999999, -0.0049, -0.00004, 99999.995, 999999.995, 1e9, -1e9, 1e15 + 0.5, 1e17, -1e22,
        1e300, -1e300, DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN, std::numeric_limits<double>::denorm_min(),
        123456789.125, -9999999.99995,
        // 2^50 to 2^53, where the units are the mantissa shifted up, not down
        1125899906842624.25, 2251799813685248.0, -4503599627370495.5, 9007199254740991.0,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN()};
    for (const double value : edges) {
        for (const int position : {-1, 0, 1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
            const Bar bar = barOf(value, position);
            EXPECT_EQ(fastLine(bar), printfLine(bar)) << value;
        }
    }
    Bar nextDay;  // the empty next-day bar: no date
    EXPECT_EQ(fastLine(nextDay), printfLine(nextDay));
}

// Values of every magnitude, and exact binary halves at two and at four
// decimals (0.125, 0.015625), each rounded the way printf rounds them.
TEST(StrategyLine, WritesPrintfsTextForRandomValuesAndTies) {
    std::mt19937_64 random(37);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-8, 40);
    for (int i = 0; i < 20000; ++i) {
        const Bar bar = barOf(mantissa(random) * std::pow(10.0, exponent(random)));
        ASSERT_EQ(fastLine(bar), printfLine(bar));
    }
    for (int k = -4096; k <= 4096; ++k) {
        const Bar bar = barOf(k / 64.0);  // 0.125 = 8/64 and 0.015625 = 1/64 among them
        ASSERT_EQ(fastLine(bar), printfLine(bar));
    }
}

TEST(StrategyFile, RulesFindTheFirstLineWithoutEightFields) {
    const std::string bar = "20240102,1,2,3,4,1,0.5,0.5";
    struct Case {
        std::string text;
        std::optional<std::string> fault;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {bar + "\n" + bar + "\n", std::nullopt},
        {bar + "\r\n" + bar + "\r" + bar, std::nullopt},  // every line end a reader takes, last one open
        {bar + "\n,,,\n" + bar + "\n", "line 2 would not hold the eight fields of a bar"},
        {bar + "\n\n" + bar + "\n", "line 2 would not hold the eight fields of a bar"},
        {bar + "\r\n" + bar + ",\r\n", "line 2 would not hold the eight fields of a bar"},
        {bar + "\r\r" + bar, "line 2 would not hold the eight fields of a bar"},  // a lone CR ends a line
        {bar + "\n" + bar + "\n20240103,1,2", "line 3 would not hold the eight fields of a bar"},
    };
    for (const Case& c : cases) EXPECT_EQ(strategyFileRules().fault(std::nullopt, c.text), c.fault) << c.text;
}
