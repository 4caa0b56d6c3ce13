#include "report/saved_model_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace varkel;

namespace {

// USD/JPY with `bars` priced bars and the next-day bar.
Product history(int bars) {
    Product product;
    product.name = "USD/JPY";
    product.bars.resize(static_cast<std::size_t>(bars) + 1);
    return product;
}

TradeModel macd(int fast, int slow, int signal) {
    TradeModel model;
    model.layers[0].kind = StudyKind::Macd;
    model.layers[0].p.spans[0] = fast;
    model.layers[0].p.spans[1] = slow;
    model.layers[0].p.spans[2] = signal;
    return model;
}

}  // namespace

TEST(SavedModelCheck, RefusesWhatTheStudiesWouldQuietlyIgnore) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::function<void(TradeModel&)> edit;  // applied to a sound MACD 12,26,9 model
        std::string fault;                      // empty: applies
    };
    const std::vector<Case> cases{
        {"sound", [](TradeModel&) {}, ""},
        {"slow span beyond the history", [](TradeModel& m) { m.layers[0].p.spans[1] = 2147483647; },
         "The trade model's MACD slow span 2147483647 exceeds the 4,666 bars of USD/JPY"},
        {"negative fast span", [](TradeModel& m) { m.layers[0].p.spans[0] = -3; },
         "The trade model's MACD fast span -3 is below 3, the smallest the study accepts"},
        {"span of the whole history", [](TradeModel& m) { m.layers[0].p.spans[2] = 4666; }, ""},
        {"filter span beyond", [](TradeModel& m) { m.layers[1].kind = StudyKind::RateOfChange; m.layers[1].p.spans[0] = 5000; m.layers[1].p.setting = 1.0; },
         "The trade model's 2nd index Rate Of Change span 5000 exceeds the 4,666 bars of USD/JPY"},
        {"ROC span 1", [](TradeModel& m) { m.layers[2].kind = StudyKind::RateOfChange; m.layers[2].p.spans[0] = 1; m.layers[2].p.setting = 1.0; }, ""},
        {"filter threshold not a number",
         [nan](TradeModel& m) { m.layers[2].kind = StudyKind::NormalDistribution; m.layers[2].p.spans[0] = 9; m.layers[2].p.setting = -nan; },
         "The trade model's 3rd index Normal Distribution threshold nan is not a finite number"},
        {"unused filter fields", [nan](TradeModel& m) { m.layers[1].p.spans[0] = -1; m.layers[1].p.setting = nan; }, ""},
        {"TSC threshold infinite",
         [inf](TradeModel& m) { m.layers[0].kind = StudyKind::TimeSeriesCorrelation; m.layers[0].p.spans[0] = 14; m.layers[0].p.setting = -inf; },
         "The trade model's Time Series Correlation threshold -inf is not a finite number"},
        {"Keltner multiplier negative",
         [](TradeModel& m) { m.layers[0].kind = StudyKind::KeltnerChannels; m.layers[0].p.spans[2] = -1; m.layers[0].p.setting = -0.5; },
         "The trade model's Keltner Channels multiplier -0.5 is negative"},
        {"no base a model is built on", [](TradeModel& m) { m.layers[0].kind = StudyKind::RateOfChange; m.layers[0].p.spans[0] = -7; }, ""},
    };
    const Product usdJpy = history(4666);
    for (const Case& c : cases) {
        TradeModel model = macd(12, 26, 9);
        c.edit(model);
        EXPECT_EQ(savedModelFault(model, usdJpy).value_or(""), c.fault) << c.name;
    }
    EXPECT_EQ(savedModelFault(macd(12, 26, 9), history(1)).value_or(""),
              "The trade model's MACD fast span 12 exceeds the 1 bar of USD/JPY");
}
