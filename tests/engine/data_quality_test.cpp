// The data check on real histories: the clean samples' market events are
// unusual moves, the faulty test histories' known errors stay likely wrong
// prices; and the history figures, named on histories built to show each
// fault and on none of the clean ones.
#include "../support/files.h"
#include "data/price_check.h"
#include "report/flagged_return.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace varkel;

namespace {

const DataFinding* findingOn(const PriceCheck& check, const std::string& date, FindingVerdict verdict) {
    for (const DataFinding& finding : check.findings)
        if (finding.dateText == date && findingRule(finding.kind).verdict == verdict) return &finding;
    return nullptr;
}

bool flaggedAsWrong(const PriceCheck& check, const std::string& date) {
    for (const FlaggedBar& bar : flaggedBarsOf(check.findings))
        if (bar.date == date) return true;
    return false;
}

}  // namespace

TEST(DataQuality, TheSamplesMarketEventsAreUnusualMovesNotWrongPrices) {
    struct Event {
        const char* file;
        const char* date;
        double low;  // the day's low, as the history's README names it
    };
    const Event events[] = {
        {"USD_JPY.txt", "20110316", 76.40},  // the yen's record after the earthquake
        {"USD_JPY.txt", "20160624", 98.96},  // the referendum result
        {"USD_JPY.txt", "20190103", 104.74},  // the flash crash
        {"GBP_JPY.txt", "20161007", 122.38},  // the pound's flash crash
    };
    for (const Event& event : events) {
        SCOPED_TRACE(std::string(event.file) + " " + event.date);
        const PriceCheck check = checkPriceFile(std::string(VARKEL_SAMPLES_DIR) + "/" + event.file, "PRICE");
        ASSERT_TRUE(check.readable);
        const DataFinding* unusual = findingOn(check, event.date, FindingVerdict::UnusualMove);
        ASSERT_NE(unusual, nullptr);
        EXPECT_DOUBLE_EQ(unusual->low, event.low);
        EXPECT_EQ(findingOn(check, event.date, FindingVerdict::LikelyWrongPrice), nullptr);
        EXPECT_FALSE(flaggedAsWrong(check, event.date));
    }
}

TEST(DataQuality, TheCleanSamplesShowNoHistoryFinding) {
    for (const char* file : {"USD_JPY.txt", "EUR_JPY.txt", "GBP_JPY.txt", "AUD_JPY.txt"}) {
        SCOPED_TRACE(file);
        const PriceCheck check = checkPriceFile(std::string(VARKEL_SAMPLES_DIR) + "/" + file, "PRICE");
        ASSERT_TRUE(check.history.has_value());
        EXPECT_TRUE(check.historyFindings.empty());
        // The figures their README gives (to its three decimals), recomputed independently.
        EXPECT_LT(check.history->varianceBetweenBars, 0.04);
        EXPECT_LT(check.history->openAtCloseShare, 0.02);
    }
    // An ordinary bar opening at a flagged close near the market is no repeated wrong price.
    const PriceCheck usdJpy = checkPriceFile(std::string(VARKEL_SAMPLES_DIR) + "/USD_JPY.txt", "USD/JPY");
    EXPECT_TRUE(flaggedAsWrong(usdJpy, "20140113"));
    EXPECT_FALSE(flaggedAsWrong(usdJpy, "20140114"));
}

TEST(DataQuality, TheFaultyHistoriesKnownErrorsStayLikelyWrong) {
    struct Known {
        const char* file;
        const char* date;
        FindingKind kind;
    };
    const Known known[] = {
        {"AUD_JPY.txt", "20061225", FindingKind::Spike},               // a close of 543.09 among closes near 93
        {"AUD_JPY.txt", "20061226", FindingKind::RepeatedWrongPrice},  // 54309,54309,9312,9322: the same error
        {"EUR_JPY.txt", "20080317", FindingKind::AbsurdHighLow},       // a low of 7.16
        {"EUR_JPY.txt", "20120127", FindingKind::AbsurdHighLow},       // a low of 58.92
    };
    for (const Known& fault : known) {
        SCOPED_TRACE(std::string(fault.file) + " " + fault.date);
        const PriceCheck check = checkPriceFile(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/" + fault.file, "PRICE");
        const DataFinding* wrong = findingOn(check, fault.date, FindingVerdict::LikelyWrongPrice);
        ASSERT_NE(wrong, nullptr);
        EXPECT_EQ(wrong->kind, fault.kind);
        EXPECT_TRUE(flaggedAsWrong(check, fault.date));
        // Not listed as a market move on top: the move back from 543.09 is the same error.
        EXPECT_EQ(findingOn(check, fault.date, FindingVerdict::UnusualMove), nullptr);
    }
    const PriceCheck audJpy = checkPriceFile(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/AUD_JPY.txt", "AUD/JPY");
    const DataFinding* repeated = findingOn(audJpy, "20061226", FindingVerdict::LikelyWrongPrice);
    ASSERT_NE(repeated, nullptr);
    EXPECT_EQ(repeated->flaggedNeighbour, "20061225");
    EXPECT_DOUBLE_EQ(repeated->neighbourBound, 543.09);
}

TEST(DataQuality, TheFaultyUsdJpyHistoryShowsEveryHistoryFinding) {
    const PriceCheck check = checkPriceFile(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt", "USD/JPY");
    ASSERT_TRUE(check.history.has_value());
    EXPECT_EQ(check.historyFindings,
              (std::vector<HistoryFindingKind>{HistoryFindingKind::VarianceBetweenBars, HistoryFindingKind::OpensAtClose,
                                               HistoryFindingKind::Lag1Autocorrelation}));
    // From 2014 on most bars open at their own close: 29 % of all bars.
    EXPECT_NEAR(check.history->openAtCloseShare, 0.29, 0.005);
    // The spikes that reverse make most of the negative autocorrelation.
    EXPECT_LT(check.history->lag1Autocorrelation, check.history->lag1WithoutFlagged);
}

namespace {

// A history of `count` consecutive days: closes follow a random walk of moves
// up to 0.5 % (a fixed linear congruential sequence), each bar opens within
// 0.02 % of the close before, its high and low cover open and close. The
// faults change what their names say.
struct Synthetic {
    bool opensFollowTheClose = true;  // false: the bar opens within 0.3 % of its own close, the move overnight
    int openAtCloseEvery = 0;         // every n-th bar a flat day: open = close = the close before
    bool movesReverse = false;        // each move takes back half the one before: lag-1 autocorrelation -0.4
};

std::string syntheticHistory(const Synthetic& fault, int count) {
    std::uint64_t state = 12345;
    const auto uniform = [&state] {  // in [-1, 1)
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0;
    };
    std::string text;
    double close = 100.0, shock = 0.0;
    for (int i = 0; i < count; ++i) {
        const double previous = close;
        const double fresh = 0.005 * uniform();
        const double move = fault.movesReverse ? fresh - 0.6 * shock : fresh;
        shock = fresh;
        close = previous * (1.0 + move);
        double open = fault.opensFollowTheClose ? previous * (1.0 + 0.0002 * uniform()) : close * (1.0 + 0.003 * uniform());
        if (fault.openAtCloseEvery > 0 && i % fault.openAtCloseEvery == 0) open = close = previous;
        const long o = std::lround(open * 100), c = std::lround(close * 100);
        close = c / 100.0;
        const long high = std::max(o, c) + 5, low = std::min(o, c) - 5;
        const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::year{2000} / 1 / 3} + std::chrono::days{i}};
        char line[96];
        std::snprintf(line, sizeof line, "%04d%02u%02u,%ld,%ld,%ld,%ld\n", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), o, high, low, c);
        text += line;
    }
    return text;
}

}  // namespace

TEST(DataQuality, HistoryFindingsOnHistoriesBuiltToShowThem) {
    struct Case {
        const char* name;
        Synthetic fault;
        std::vector<HistoryFindingKind> expected;
    };
    const Case cases[] = {
        {"clean", {}, {}},
        {"opens misaligned", {.opensFollowTheClose = false}, {HistoryFindingKind::VarianceBetweenBars}},
        {"opens copied from the closes", {.openAtCloseEvery = 10}, {HistoryFindingKind::OpensAtClose}},
        {"moves that reverse", {.movesReverse = true}, {HistoryFindingKind::Lag1Autocorrelation}},
    };
    const test::TempDirectory dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir / "history.txt", syntheticHistory(c.fault, 1000));
        const PriceCheck check = checkPriceFile((dir / "history.txt").string(), "PRICE");
        ASSERT_TRUE(check.history.has_value());
        EXPECT_EQ(check.historyFindings, c.expected);
    }
    // Too short a history to judge: no figures at all.
    test::writeFile(dir / "short.txt", syntheticHistory({.movesReverse = true}, 100));
    EXPECT_FALSE(checkPriceFile((dir / "short.txt").string(), "PRICE").history.has_value());
}
