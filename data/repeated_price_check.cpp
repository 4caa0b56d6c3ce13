#include "data/repeated_price_check.h"

#include <algorithm>
#include <set>

namespace varkel {

namespace {

// The prices of a flagged bar that the finding names as wrong.
std::vector<double> wrongPricesOf(const DataFinding& finding) {
    switch (finding.kind) {
        case FindingKind::Spike: return {finding.close};
        case FindingKind::AbsurdOpen: return {finding.open};
        case FindingKind::AbsurdHighLow: {
            std::vector<double> prices;
            if (finding.high > absurdRangeFactor.value * std::max(finding.open, finding.close))
                prices.push_back(finding.high);
            if (finding.low * absurdRangeFactor.value < std::min(finding.open, finding.close))
                prices.push_back(finding.low);
            return prices;
        }
        default: return {};
    }
}

}  // namespace

std::vector<DataFinding> checkRepeatedWrongPrices(const std::vector<Bar>& bars, const std::vector<int>& barLines,
                                                  const std::vector<DataFinding>& flagged) {
    std::set<int> flaggedLines;
    for (const DataFinding& finding : flagged)
        if (flagsBarPrices(finding.kind)) flaggedLines.insert(finding.lineNumber);
    std::vector<DataFinding> repeated;
    for (const DataFinding& source : flagged) {
        const auto at = std::lower_bound(barLines.begin(), barLines.end(), source.lineNumber);
        if (at == barLines.end() || *at != source.lineNumber) continue;
        const auto j = static_cast<std::size_t>(at - barLines.begin());
        for (const double wrong : wrongPricesOf(source)) {
            for (const std::size_t i : {j - 1, j + 1}) {  // j - 1 wraps past the end for j = 0
                if (i >= bars.size() || flaggedLines.count(barLines[i]) > 0) continue;
                const Bar& bar = bars[i];
                if (bar.open != wrong && bar.high != wrong && bar.low != wrong) continue;
                // An ordinary bar opens at the close before it, a wrong one included;
                // only a price absurd against the bar's own close is the error carried on.
                if (!(wrong > absurdRangeFactor.value * bar.close || wrong * absurdRangeFactor.value < bar.close)) continue;
                DataFinding finding = barFinding(FindingKind::RepeatedWrongPrice, bars, barLines, i);
                finding.flaggedNeighbour = source.dateText;
                finding.neighbourBound = wrong;
                repeated.push_back(std::move(finding));
                flaggedLines.insert(barLines[i]);
            }
        }
    }
    return repeated;
}

}  // namespace varkel
