#include "cli/study_options.h"

#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/trend_studies.h"

#include <algorithm>

namespace varkel::cli {

namespace {

int span(const std::vector<double>& values, std::size_t index) { return static_cast<int>(values[index]); }

std::int64_t wide(const std::vector<double>& values, std::size_t index) { return span(values, index); }

}  // namespace

const std::vector<StudyOption>& studyOptions() {
    using V = const std::vector<double>&;
    static const std::vector<StudyOption> options{
        {"ma", "SPAN1,SPAN2", 2, 2, 3, {{"maShort", &Bar::maShort}, {"maLong", &Bar::maLong}},
         [](ProductRegistry& r, std::string_view p, V v) {
             calcMovingAverage(r, p, span(v, 0), 1);
             calcMovingAverage(r, p, span(v, 1), 2);
         },
         [](V v) { return std::max(wide(v, 0), wide(v, 1)); }},
        {"keltner", "EMA_SPAN,ATR_SPAN,MULTIPLIER", 2, 3, 3,
         {{"ema", &Bar::ema}, {"trueRange", &Bar::trueRange}, {"atr", &Bar::atr},
          {"keltnerUpper", &Bar::keltnerUpper}, {"keltnerLower", &Bar::keltnerLower}},
         [](ProductRegistry& r, std::string_view p, V v) { calcKeltner(r, p, span(v, 1), span(v, 0), v[2]); },
         [](V v) { return std::max(wide(v, 1) + 1, wide(v, 0)) + 2; }},
        {"rsi", "SPAN", 1, 1, 3, {{"rsi", &Bar::rsi}},
         [](ProductRegistry& r, std::string_view p, V v) { calcRsi(r, p, span(v, 0)); },
         [](V v) { return wide(v, 0) + 1; }},
        {"roc", "SPAN", 1, 1, 1, {{"roc", &Bar::roc}},
         [](ProductRegistry& r, std::string_view p, V v) { calcRateOfChange(r, p, span(v, 0)); },
         [](V v) { return wide(v, 0) + 1; }},
        {"stoch", "K_SPAN,D_SPAN,SLOW_D_SPAN", 3, 3, 3,
         {{"stochK", &Bar::stochK}, {"stochD", &Bar::stochD}, {"stochSlowD", &Bar::stochSlowD}},
         [](ProductRegistry& r, std::string_view p, V v) { calcStochastics(r, p, span(v, 0), span(v, 1), span(v, 2)); },
         [](V v) { return wide(v, 0) + wide(v, 1) + wide(v, 2) - 2; }},
        {"macd", "MA1,MA2,SIGNAL", 3, 3, 3,
         {{"macdFast", &Bar::macdFast}, {"macdSlow", &Bar::macdSlow}, {"macdLine", &Bar::macdLine},
          {"macdSignal", &Bar::macdSignal}},
         [](ProductRegistry& r, std::string_view p, V v) {
             calcMacdAverage(r, p, span(v, 0), 1);
             calcMacdAverage(r, p, span(v, 1), 2);
             calcMacdSignal(r, p, span(v, 2));
         },
         [](V v) { return std::max(wide(v, 0), wide(v, 1)) + wide(v, 2); }},
        {"tsc", "SPAN", 1, 1, 3, {{"tsc", &Bar::tsc}},
         [](ProductRegistry& r, std::string_view p, V v) { calcTimeSeriesCorrelation(r, p, span(v, 0)); },
         [](V v) { return wide(v, 0); }},
        {"lreg", "SPAN", 1, 1, 3, {{"lregSlope", &Bar::lregSlope}},
         [](ProductRegistry& r, std::string_view p, V v) { calcLinearRegression(r, p, span(v, 0)); },
         [](V v) { return wide(v, 0); }},
        // The variance needs one bar more than its span.
        {"ndist", "SPAN", 1, 1, 3, {{"ndist", &Bar::ndist}},
         [](ProductRegistry& r, std::string_view p, V v) { calcNormalDistribution(r, p, span(v, 0)); },
         [](V v) { return wide(v, 0) + 1; }},
    };
    return options;
}

}  // namespace varkel::cli
