// Every study does nothing at all on a bad argument, and none of them touches
// the trailing next-day bar.
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/trend_studies.h"

#include "study_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace varkel;
using namespace varkel::test;

namespace {

constexpr const char* sampleName = "USD/JPY";

using StudyCall = std::function<void(ProductRegistry&, std::string_view name)>;

struct NamedCall {
    std::string label;
    StudyCall run;
};

// Every study with the study dialogs' default spans.
std::vector<NamedCall> everyStudy() {
    return {
        {"moving averages", [](auto& r, auto n) { calcMovingAverage(r, n, 20, 1); calcMovingAverage(r, n, 40, 2); }},
        {"keltner", [](auto& r, auto n) { calcKeltner(r, n, 10, 10, 1.5); }},
        {"rsi", [](auto& r, auto n) { calcRsi(r, n, 14); }},
        {"roc", [](auto& r, auto n) { calcRateOfChange(r, n, 3); }},
        {"stochastics", [](auto& r, auto n) { calcStochastics(r, n, 3, 3, 5); }},
        {"macd", [](auto& r, auto n) {
             calcMacdAverage(r, n, 9, 1);
             calcMacdAverage(r, n, 14, 2);
             calcMacdSignal(r, n, 9);
         }},
        {"tsc", [](auto& r, auto n) { calcTimeSeriesCorrelation(r, n, 14); }},
        {"lreg", [](auto& r, auto n) { calcLinearRegression(r, n, 9); }},
        {"ndist", [](auto& r, auto n) { calcNormalDistribution(r, n, 9); }},
    };
}

std::vector<NamedCall> badArguments() {
    return {
        {"ma span 2", [](auto& r, auto n) { calcMovingAverage(r, n, 2, 1); }},
        {"ma slot 0", [](auto& r, auto n) { calcMovingAverage(r, n, 20, 0); }},
        {"ma slot 3", [](auto& r, auto n) { calcMovingAverage(r, n, 20, 3); }},
        {"ema span 2", [](auto& r, auto n) { calcEma(r, n, 2); }},
        {"atr span 2", [](auto& r, auto n) { calcAtr(r, n, 2); }},
        {"keltner atr span 2", [](auto& r, auto n) { calcKeltner(r, n, 2, 10, 1.5); }},
        {"keltner ema span 2", [](auto& r, auto n) { calcKeltner(r, n, 10, 2, 1.5); }},
        {"rsi span 2", [](auto& r, auto n) { calcRsi(r, n, 2); }},
        {"roc span 0", [](auto& r, auto n) { calcRateOfChange(r, n, 0); }},
        {"roc span -1", [](auto& r, auto n) { calcRateOfChange(r, n, -1); }},
        {"stoch k span 2", [](auto& r, auto n) { calcStochastics(r, n, 2, 3, 3); }},
        {"stoch d span 2", [](auto& r, auto n) { calcStochastics(r, n, 3, 2, 3); }},
        {"stoch slow d span 2", [](auto& r, auto n) { calcStochastics(r, n, 3, 3, 2); }},
        {"macd span 2", [](auto& r, auto n) { calcMacdAverage(r, n, 2, 1); }},
        {"macd slot 3", [](auto& r, auto n) { calcMacdAverage(r, n, 12, 3); }},
        {"macd signal span 2", [](auto& r, auto n) { calcMacdSignal(r, n, 2); }},
        {"tsc span 2", [](auto& r, auto n) { calcTimeSeriesCorrelation(r, n, 2); }},
        {"lreg span 2", [](auto& r, auto n) { calcLinearRegression(r, n, 2); }},
        {"ndist span 2", [](auto& r, auto n) { calcNormalDistribution(r, n, 2); }},
        {"ndist negative span", [](auto& r, auto n) { calcNormalDistribution(r, n, -9); }},
    };
}

// The sample with every study computed once, so that a change would show.
void computeEverything(ProductRegistry& registry, std::string_view name) {
    for (const auto& [label, run] : everyStudy()) run(registry, name);
}

}  // namespace

TEST(StudyGuards, SpansBelowTheMinimumAndBadSlotsChangeNothing) {
    ProductRegistry registry;
    const Product& product = loadSample(registry, sampleName, "USD_JPY.txt");
    computeEverything(registry, sampleName);
    const auto before = studyFields(product);
    for (const auto& [label, run] : badArguments()) {
        run(registry, sampleName);
        ASSERT_EQ(studyFields(product), before) << label;
    }
}

TEST(StudyGuards, UnknownOrEmptyNamesChangeNothing) {
    ProductRegistry registry;
    const Product& product = loadSample(registry, sampleName, "USD_JPY.txt");
    const auto before = studyFields(product);
    for (const auto& [label, run] : everyStudy()) {
        run(registry, "EUR/JPY");
        run(registry, "");
        run(registry, "USD/JPY ");
        calcTrueRange(registry, "EUR/JPY");
        ASSERT_EQ(studyFields(product), before) << label;
    }
}

TEST(StudyGuards, ProductsWithoutPricedBarsAreLeftAlone) {
    ProductRegistry registry;
    Product& justTheNextDay = *registry.addProduct("EMPTY");
    justTheNextDay.bars.emplace_back();
    Product& neverLoaded = *registry.addProduct("NONE");
    for (const auto& [label, run] : everyStudy()) {
        run(registry, "EMPTY");
        run(registry, "NONE");
        ASSERT_EQ(justTheNextDay.barCount(), 1) << label;
        ASSERT_EQ(studyFields(justTheNextDay.bars[0]), studyFields(Bar{})) << label;
        ASSERT_EQ(neverLoaded.barCount(), 0) << label;
    }
}

TEST(StudyGuards, TheTrailingNextDayBarStaysZero) {
    ProductRegistry registry;
    const Product& product = loadSample(registry, sampleName, "USD_JPY.txt");
    for (const auto& [label, run] : everyStudy()) {
        run(registry, sampleName);
        ASSERT_EQ(studyFields(product.bars.back()), studyFields(Bar{})) << label;
        ASSERT_EQ(product.barCount(), 4667) << label;
    }
    calcTrueRange(registry, sampleName);
    calcAtr(registry, sampleName, 3);
    calcEma(registry, sampleName, 3);
    EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
}

TEST(StudyGuards, OneBarHistoryIsComputedWithoutReadingPastIt) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, {110.5});
    for (const auto& [label, run] : everyStudy()) run(registry, historyName);
    calcRateOfChange(registry, historyName, 1);
    EXPECT_EQ(product.bars[0].maShortPeriod, 20);  // too short: hidden, with its span
    EXPECT_EQ(product.bars[0].maShort, 0.0);
    EXPECT_EQ(product.bars[0].roc, 0.0);
    EXPECT_EQ(product.bars[0].rocPeriod, 1);
    EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
}
