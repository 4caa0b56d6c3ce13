#include "data/bar_range_check.h"

#include <algorithm>

namespace varkel {

namespace {

bool absurdHighLow(const Bar& bar) {
    const double top = std::max(bar.open, bar.close);
    const double bottom = std::min(bar.open, bar.close);
    return bottom > 0.0 && (bar.high > absurdRangeFactor.value * top || bar.low * absurdRangeFactor.value < bottom);
}

// An open beyond absurdRangeFactor of both the close before it and the bar's own close.
bool absurdOpen(double previousClose, const Bar& bar) {
    const double top = std::max(previousClose, bar.close);
    const double bottom = std::min(previousClose, bar.close);
    return bottom > 0.0 && (bar.open > absurdRangeFactor.value * top || bar.open * absurdRangeFactor.value < bottom);
}

}  // namespace

std::vector<DataFinding> checkBarRanges(const std::vector<Bar>& bars, const std::vector<int>& barLines) {
    std::vector<DataFinding> findings;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        if (absurdHighLow(bar)) {
            findings.push_back(barFinding(FindingKind::AbsurdHighLow, bars, barLines, i));
            continue;
        }
        if (i > 0 && absurdOpen(bars[i - 1].close, bar)) {
            DataFinding open = barFinding(FindingKind::AbsurdOpen, bars, barLines, i);
            open.previousClose = bars[i - 1].close;
            findings.push_back(std::move(open));
            continue;
        }
        if (i == 0 || i + 1 >= bars.size()) continue;
        const std::optional<double> typical = typicalChangeAround(bars, i);
        if (!typical) continue;
        const double limit = spikeFactor.value * *typical;
        const double highest = std::max(bars[i - 1].high, bars[i + 1].high);
        const double lowest = std::min(bars[i - 1].low, bars[i + 1].low);
        if (bar.high - highest > limit && bar.close <= highest) {
            DataFinding spike = barFinding(FindingKind::HighSpike, bars, barLines, i);
            spike.neighbourBound = highest;
            spike.typicalChange = *typical;
            findings.push_back(std::move(spike));
        }
        if (lowest - bar.low > limit && bar.close >= lowest) {
            DataFinding spike = barFinding(FindingKind::LowSpike, bars, barLines, i);
            spike.neighbourBound = lowest;
            spike.typicalChange = *typical;
            findings.push_back(std::move(spike));
        }
    }
    return findings;
}

}  // namespace varkel
