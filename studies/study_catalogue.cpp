#include "studies/study_catalogue.h"

#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/study_frame.h"
#include "studies/trend_studies.h"

#include <algorithm>

namespace varkel {

namespace {

using Spans = std::span<const int>;
using Values = std::span<const double>;

int span(Values values, std::size_t index) { return static_cast<int>(values[index]); }

// Warm-ups are added in 64 bits so that absurd spans cannot overflow.
std::int64_t wide(Spans spans, std::size_t index) { return spans[index]; }

std::vector<StudyInfo> buildCatalogue() {
    return {
        {StudyKind::MovingAverages, "ma", "Moving Averages", "Moving Averages", nullptr,
         {{"short", 20, minStudySpan}, {"long", 40, minStudySpan}}, {},
         [](Spans s) { return std::max(wide(s, 0), wide(s, 1)); },
         HistoryNeed::anyLength,
         {{"maShort", &Bar::maShort}, {"maLong", &Bar::maLong}}, {},
         [](ProductRegistry& r, std::string_view p, Values v) {
             calcMovingAverage(r, p, span(v, 0), 1);
             calcMovingAverage(r, p, span(v, 1), 2);
         },
         BuilderRole::none, {}, std::nullopt},
        // The bands start after the longer of the EMA and the ATR (which skips bar 0).
        {StudyKind::KeltnerChannels, "keltner", "Keltner Channels", "KELTNER CHANNELS", nullptr,
         {{"ema", 10, minStudySpan}, {"atr", 10, minStudySpan}}, {{"multiplier", 1.5}},
         [](Spans s) { return std::max(wide(s, 1) + 1, wide(s, 0)) + 2; },
         HistoryNeed::anyLength,
         {{"ema", &Bar::ema}, {"trueRange", &Bar::trueRange}, {"atr", &Bar::atr},
          {"keltnerUpper", &Bar::keltnerUpper}, {"keltnerLower", &Bar::keltnerLower}},
         {},
         [](ProductRegistry& r, std::string_view p, Values v) { calcKeltner(r, p, span(v, 1), span(v, 0), v[2]); },
         BuilderRole::base, {"ema", "atr", "multiplier"}, KeltnerGrid{}},
        {StudyKind::Rsi, "rsi", "RSI", "RSI", "RSI", {{"span", 14, minStudySpan}}, {},
         [](Spans s) { return wide(s, 0) + 1; },
         HistoryNeed::spanBars, {{"rsi", &Bar::rsi}}, {&Bar::rsi},
         [](ProductRegistry& r, std::string_view p, Values v) { calcRsi(r, p, span(v, 0)); },
         BuilderRole::none, {}, std::nullopt},
        {StudyKind::RateOfChange, "roc", "Rate Of Change", "Rate Of Change", "ROC", {{"span", 3, 1}}, {},
         [](Spans s) { return wide(s, 0) + 1; },
         HistoryNeed::anyLength, {{"roc", &Bar::roc}}, {&Bar::roc},
         [](ProductRegistry& r, std::string_view p, Values v) { calcRateOfChange(r, p, span(v, 0)); },
         BuilderRole::filter, {"span", "threshold"}, rocGrid()},
        {StudyKind::Stochastics, "stoch", "Stochastics", "STOCHASTICS", "STOCHASTICS",
         {{"k", 3, minStudySpan}, {"d", 3, minStudySpan}, {"slowD", 5, minStudySpan}}, {},
         [](Spans s) { return wide(s, 0) + wide(s, 1) + wide(s, 2) - 2; },
         HistoryNeed::anyLength,
         {{"stochK", &Bar::stochK}, {"stochD", &Bar::stochD}, {"stochSlowD", &Bar::stochSlowD}},
         {&Bar::stochD, &Bar::stochSlowD},
         [](ProductRegistry& r, std::string_view p, Values v) {
             calcStochastics(r, p, span(v, 0), span(v, 1), span(v, 2));
         },
         BuilderRole::base, {"k", "d", "slowD"}, StochasticsGrid{}},
        // The line starts one bar after the longer average, the signal its span later.
        {StudyKind::Macd, "macd", "MACD", "MACD", "MACD",
         {{"fast", 9, minStudySpan}, {"slow", 14, minStudySpan}, {"signal", 9, minStudySpan}}, {},
         [](Spans s) { return std::max(wide(s, 0), wide(s, 1)) + wide(s, 2); },
         HistoryNeed::spanBars,
         {{"macdFast", &Bar::macdFast}, {"macdSlow", &Bar::macdSlow}, {"macdLine", &Bar::macdLine},
          {"macdSignal", &Bar::macdSignal}},
         {&Bar::macdLine, &Bar::macdSignal},
         [](ProductRegistry& r, std::string_view p, Values v) {
             // The signal reads both average spans from the bars, so it comes last.
             calcMacdAverage(r, p, span(v, 0), 1);
             calcMacdAverage(r, p, span(v, 1), 2);
             calcMacdSignal(r, p, span(v, 2));
         },
         BuilderRole::base, {"fast", "slow", "signal"}, MacdGrid{}},
        {StudyKind::TimeSeriesCorrelation, "tsc", "Time Series Correlation", "Time Series Correlation", "RCI",
         {{"span", 14, minStudySpan}}, {},
         [](Spans s) { return wide(s, 0); },
         HistoryNeed::spanBars, {{"tsc", &Bar::tsc}}, {&Bar::tsc},
         [](ProductRegistry& r, std::string_view p, Values v) { calcTimeSeriesCorrelation(r, p, span(v, 0)); },
         BuilderRole::baseOrFilter, {"span", "threshold"}, tscGrid()},
        {StudyKind::LinearRegression, "lreg", "Linear Regression", "Linear Regression", "LREG",
         {{"span", 9, minStudySpan}}, {},
         [](Spans s) { return wide(s, 0); },
         HistoryNeed::spanBars, {{"lregSlope", &Bar::lregSlope}}, {&Bar::lregSlope},
         [](ProductRegistry& r, std::string_view p, Values v) { calcLinearRegression(r, p, span(v, 0)); },
         BuilderRole::baseOrFilter, {"span", "threshold"}, lregGrid()},
        // The variance needs one bar more than its span.
        {StudyKind::NormalDistribution, "ndist", "Normal Distribution", "Normal Distribution", "NDIST",
         {{"span", 9, minStudySpan}}, {},
         [](Spans s) { return wide(s, 0) + 1; },
         HistoryNeed::moreThanSpan, {{"ndist", &Bar::ndist}}, {&Bar::ndist},
         [](ProductRegistry& r, std::string_view p, Values v) { calcNormalDistribution(r, p, span(v, 0)); },
         BuilderRole::filter, {"span", "threshold"}, ndistGrid()},
    };
}

template <class Matches>
const StudyInfo* findWhere(Matches matches) {
    for (const StudyInfo& study : studyCatalogue())
        if (matches(study)) return &study;
    return nullptr;
}

std::vector<const StudyInfo*> studiesOf(std::initializer_list<StudyKind> kinds) {
    std::vector<const StudyInfo*> studies;
    for (StudyKind kind : kinds) studies.push_back(findStudy(kind));
    return studies;
}

}  // namespace

bool StudyInfo::acceptsSpans(std::span<const int> values) const {
    if (values.size() != spans.size()) return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] < spans[i].smallest) return false;
    return true;
}

void StudyInfo::compute(ProductRegistry& registry, std::string_view product, std::span<const double> values) const {
    if (values.size() != spans.size() + settings.size()) return;
    std::vector<int> whole;
    for (std::size_t i = 0; i < spans.size(); ++i) whole.push_back(static_cast<int>(values[i]));
    if (acceptsSpans(whole)) calculate(registry, product, values);
}

int StudyInfo::smallestSpan() const {
    int smallest = spans.front().smallest;
    for (const SpanParameter& parameter : spans) smallest = std::min(smallest, parameter.smallest);
    return smallest;
}

const std::vector<StudyInfo>& studyCatalogue() {
    static const std::vector<StudyInfo> catalogue = buildCatalogue();
    return catalogue;
}

const StudyInfo* findStudy(StudyKind kind) {
    return findWhere([kind](const StudyInfo& study) { return study.kind == kind; });
}

const StudyInfo* findStudyByOption(std::string_view option) {
    return findWhere([option](const StudyInfo& study) { return option == study.option; });
}

const StudyInfo* findStudyByName(std::string_view name) {
    return findWhere([name](const StudyInfo& study) { return name == study.name; });
}

const std::vector<const StudyInfo*>& baseStudies() {
    static const std::vector<const StudyInfo*> studies =
        studiesOf({StudyKind::Macd, StudyKind::LinearRegression, StudyKind::TimeSeriesCorrelation,
                   StudyKind::Stochastics, StudyKind::KeltnerChannels});
    return studies;
}

const std::vector<const StudyInfo*>& filterStudies() {
    static const std::vector<const StudyInfo*> studies =
        studiesOf({StudyKind::LinearRegression, StudyKind::TimeSeriesCorrelation, StudyKind::RateOfChange,
                   StudyKind::NormalDistribution});
    return studies;
}

}  // namespace varkel
