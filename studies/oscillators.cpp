#include "studies/oscillators.h"

#include "studies/series_stats.h"
#include "studies/study_frame.h"

#include <algorithm>
#include <cstdint>

namespace varkel {

namespace {

// First-valid indices are computed in 64 bits so that absurd spans cannot overflow.
bool before(std::size_t i, std::int64_t first) { return static_cast<std::int64_t>(i) < first; }

}  // namespace

void calcRsi(ProductRegistry& registry, std::string_view name, int span) {
    if (span < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    writeResult(bars, SeriesStats().upRatio(column(bars, &Bar::close), span), span, &Bar::rsi,
                &Bar::rsiPeriod);
}

void calcRateOfChange(ProductRegistry& registry, std::string_view name, int span) {
    if (span < 1) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    const auto lag = static_cast<std::size_t>(span);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        // Relative to today's close, not the earlier one.
        double ratio = 0.0;
        if (i >= lag && bars[i].close != 0.0) ratio = (bars[i].close - bars[i - lag].close) / bars[i].close;
        bars[i].roc = ratio * 100.0;
        bars[i].rocPeriod = span;
    }
}

void calcStochastics(ProductRegistry& registry, std::string_view name, int kSpan, int dSpan,
                     int slowDSpan) {
    if (kSpan < minStudySpan || dSpan < minStudySpan || slowDSpan < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;

    const std::int64_t firstK = std::int64_t{kSpan} - 1;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        Bar& bar = bars[i];
        bar.stochKPeriod = kSpan;
        if (before(i, firstK)) {
            bar.stochK = bar.stochRange = bar.stochCloseLessLow = 0.0;
            continue;
        }
        // Start from the window's own oldest bar rather than from fixed
        // sentinels, so that no price level is out of range.
        const std::size_t oldest = i + 1 - static_cast<std::size_t>(kSpan);
        double highest = bars[oldest].high;
        double lowest = bars[oldest].low;
        for (std::size_t k = oldest + 1; k <= i; ++k) {
            if (bars[k].high > highest) highest = bars[k].high;
            if (bars[k].low < lowest) lowest = bars[k].low;
        }
        bar.stochRange = highest - lowest;
        bar.stochCloseLessLow = bar.close - lowest;
        bar.stochK = bar.stochRange == 0.0 ? 0.0 : bar.stochCloseLessLow / bar.stochRange;
    }

    // %D is the ratio of the summed distances, not the mean of %K.
    const std::int64_t firstD = std::int64_t{kSpan} + dSpan - 2;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        Bar& bar = bars[i];
        bar.stochDPeriod = dSpan;
        if (before(i, firstD)) {
            bar.stochD = 0.0;
            continue;
        }
        double closeLessLow = 0.0;
        double range = 0.0;
        for (std::size_t k = i + 1 - static_cast<std::size_t>(dSpan); k <= i; ++k) {
            closeLessLow += bars[k].stochCloseLessLow;
            range += bars[k].stochRange;
        }
        bar.stochD = range == 0.0 ? 0.0 : (closeLessLow / dSpan) / (range / dSpan);
    }

    const std::int64_t firstSlowD = std::int64_t{kSpan} + dSpan + slowDSpan - 3;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        Bar& bar = bars[i];
        bar.stochSlowDPeriod = slowDSpan;
        if (before(i, firstSlowD)) {
            bar.stochSlowD = 0.0;
            continue;
        }
        double sum = 0.0;
        for (std::size_t k = i + 1 - static_cast<std::size_t>(slowDSpan); k <= i; ++k) sum += bars[k].stochD;
        bar.stochSlowD = sum / slowDSpan;
    }
}

void calcMacdAverage(ProductRegistry& registry, std::string_view name, int span, int slot) {
    if (span < minStudySpan || (slot != 1 && slot != 2)) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    writeResult(bars, SeriesStats().movingAverage(column(bars, &Bar::close), span), span,
                slot == 1 ? &Bar::macdFast : &Bar::macdSlow,
                slot == 1 ? &Bar::macdFastPeriod : &Bar::macdSlowPeriod);
}

void calcMacdSignal(ProductRegistry& registry, std::string_view name, int signalSpan) {
    if (signalSpan < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    // The line starts one bar after the longer average first has a value.
    const std::int64_t firstLine = std::max(bars[0].macdFastPeriod, bars[0].macdSlowPeriod);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        bars[i].macdLine = before(i, firstLine) ? 0.0 : bars[i].macdFast - bars[i].macdSlow;
        bars[i].macdSignalPeriod = signalSpan;
    }
    // Bars before the first full window are cleared, so that nothing is left
    // over from an earlier run with shorter spans.
    const std::int64_t firstSignal = firstLine + signalSpan - 1;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        if (before(i, firstSignal)) {
            bars[i].macdSignal = 0.0;
            continue;
        }
        double sum = 0.0;
        for (std::size_t k = i + 1 - static_cast<std::size_t>(signalSpan); k <= i; ++k) sum += bars[k].macdLine;
        bars[i].macdSignal = sum / signalSpan;
    }
}

}  // namespace varkel
