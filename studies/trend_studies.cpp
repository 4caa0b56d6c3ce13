#include "studies/trend_studies.h"

#include "studies/series_stats.h"
#include "studies/study_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varkel {

void calcMovingAverage(ProductRegistry& registry, std::string_view name, int span, int slot) {
    if (span < minStudySpan || (slot != 1 && slot != 2)) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    const std::vector<double> average = SeriesStats().movingAverage(column(bars, &Bar::close), span);
    double Bar::*value = slot == 1 ? &Bar::maShort : &Bar::maLong;
    std::int32_t Bar::*period = slot == 1 ? &Bar::maShortPeriod : &Bar::maLongPeriod;
    // A history shorter than the span gets 0 everywhere, so the chart hides every point.
    for (std::size_t i = 0; i < bars.size(); ++i) {
        bars[i].*value = average.empty() ? 0.0 : average[i];
        bars[i].*period = span;
    }
}

void calcEma(ProductRegistry& registry, std::string_view name, int span) {
    if (span < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    const auto warmUp = std::min(bars.size(), static_cast<std::size_t>(span));
    for (std::size_t i = 0; i < warmUp; ++i) {
        bars[i].ema = 0.0;
        bars[i].emaPeriod = span;
    }
    // The seed needs span closes; a shorter history keeps the zeros above.
    if (bars.size() < static_cast<std::size_t>(span)) return;
    const double alpha = 2.0 / (span + 1.0);
    double seedSum = 0.0;
    for (std::size_t i = 0; i < warmUp; ++i) seedSum += bars[i].close;
    double ema = seedSum / span;
    for (std::size_t i = warmUp; i < bars.size(); ++i) {
        ema = (1.0 - alpha) * ema + alpha * bars[i].close;
        bars[i].ema = ema;
        bars[i].emaPeriod = span;
    }
}

void calcTrueRange(ProductRegistry& registry, std::string_view name) {
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    bars[0].trueRange = 0.0;
    for (std::size_t i = 1; i < bars.size(); ++i) {
        const double previousClose = bars[i - 1].close;
        bars[i].trueRange = std::max({bars[i].high - bars[i].low, std::fabs(previousClose - bars[i].high),
                                      std::fabs(previousClose - bars[i].low)});
    }
}

std::vector<std::vector<double>> atrColumns(ProductRegistry& registry, std::string_view name, int firstSpan,
                                            int lastSpan) {
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return {};
    calcTrueRange(registry, name);
    // Bar 0 has no previous close, so its true range stays out of the average.
    std::vector<std::vector<double>> averages =
        SeriesStats().movingAverages(column(bars.subspan(1), &Bar::trueRange), firstSpan, lastSpan);
    for (std::vector<double>& average : averages) {
        if (average.empty())
            average.assign(bars.size(), 0.0);
        else
            average.insert(average.begin(), 0.0);
    }
    return averages;
}

void calcAtr(ProductRegistry& registry, std::string_view name, int span) {
    if (span < minStudySpan) return;
    const std::vector<std::vector<double>> atr = atrColumns(registry, name, span, span);
    if (atr.empty()) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        bars[i].atr = atr[0][i];
        bars[i].atrPeriod = span;
    }
}

void calcKeltner(ProductRegistry& registry, std::string_view name, int atrSpan, int emaSpan,
                 double multiplier) {
    if (atrSpan < minStudySpan || emaSpan < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    calcEma(registry, name, emaSpan);
    calcAtr(registry, name, atrSpan);
    const std::int64_t start = std::max<std::int64_t>(std::int64_t{atrSpan} + 1, emaSpan);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        Bar& bar = bars[i];
        const bool warm = static_cast<std::int64_t>(i) > start;
        bar.keltnerUpper = warm ? bar.ema + multiplier * bar.atr : 0.0;
        bar.keltnerLower = warm ? bar.ema - multiplier * bar.atr : 0.0;
    }
}

}  // namespace varkel
