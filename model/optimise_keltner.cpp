#include "model/apply_operations.h"
#include "model/optimisers.h"
#include "model/parallel_search.h"
#include "model/pnl_table.h"
#include "model/price_columns.h"
#include "model/study_scratch.h"
#include "studies/trend_studies.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace varkel {

namespace {

struct KeltnerScratch {
    std::vector<std::int8_t> positions;  // one row of n + 1 per multiplier
    std::vector<const std::int8_t*> rows;
    std::vector<double> returns;
};

// Positions of the band-breakout rule for one multiplier: long when the whole
// bar (high and low) lies above the lower band and the high breaks the upper
// one, short in the mirror case; bars without bands (lower band exactly 0) stay flat.
void bandPositions(const PriceColumns& prices, const std::vector<double>& ema, const std::vector<double>& atr,
                   int start, double multiplier, std::int8_t* row) {
    const int n = prices.n;
    std::fill(row, row + n + 1, std::int8_t{0});
    for (int i = start + 1; i <= n - 2; ++i) {
        const double width = multiplier * atr[i];
        const double upper = ema[i] + width;
        const double lower = ema[i] - width;
        const bool up = prices.high[i] > upper && prices.low[i] > lower;
        const bool down = prices.low[i] < lower && prices.high[i] < upper;
        row[i + 1] = lower == 0.0 ? 0 : static_cast<std::int8_t>(down ? -1 : (up ? 1 : 0));
    }
}

}  // namespace

OptimiserResult optimiseKeltner(ProductRegistry& registry, std::string_view name,
                                const OptimiserControl& control, const KeltnerGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const PriceColumns prices(*product);
    const int n = prices.n;
    const std::vector<double> multipliers = grid.multiplier.values();
    const int emaCount = grid.ema.count(), atrCount = grid.atr.count();
    const int multiplierCount = static_cast<int>(multipliers.size());
    if (n < 2 || emaCount <= 0 || atrCount <= 0 || multiplierCount <= 0) return result;
    if (grid.ema.first < 3 || grid.atr.first < 3) return result;

    // The EMA depends on its span only and the ATR on its span only: each is
    // computed once, by the same computations the bands use.
    StudyScratch study(*product);
    std::vector<std::vector<double>> emas, atrs;
    for (int span = grid.ema.first; span <= grid.ema.last; ++span) {
        calcEma(study.registry, name, span);
        emas.push_back(study.column(&Bar::ema));
    }
    for (int span = grid.atr.first; span <= grid.atr.last; ++span) {
        calcAtr(study.registry, name, span);
        atrs.push_back(study.column(&Bar::atr));
    }

    const PnlTable table(*product);
    const int workers = workerCountFor(control);
    std::vector<KeltnerScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.positions.resize(static_cast<std::size_t>(multiplierCount) * (n + 1));
        s.returns.resize(multiplierCount);
        for (int k = 0; k < multiplierCount; ++k)
            s.rows.push_back(s.positions.data() + static_cast<std::size_t>(k) * (n + 1));
    }
    const std::int64_t total = static_cast<std::int64_t>(emaCount) * atrCount * multiplierCount;

    const SearchBest best = runParallelSearch(emaCount * atrCount, total, control, workers,
                                              [&](int item, int worker, std::int64_t& trials) {
        KeltnerScratch& s = scratch[worker];
        const int emaSpan = grid.ema.first + item / atrCount;
        const int atrSpan = grid.atr.first + item % atrCount;
        const int start = std::max(atrSpan + 1, emaSpan);
        const auto& ema = emas[item / atrCount];
        const auto& atr = atrs[item % atrCount];
        for (int k = 0; k < multiplierCount; ++k)
            bandPositions(prices, ema, atr, start, multipliers[k], s.positions.data() + static_cast<std::size_t>(k) * (n + 1));
        table.finalReturns(s.rows.data(), multiplierCount, s.returns.data());
        trials = multiplierCount;
        ItemBest itemBest;
        for (int k = 0; k < multiplierCount; ++k) {
            if (s.returns[k] > itemBest.bestReturn) {
                itemBest.bestReturn = s.returns[k];
                itemBest.trial = k;
            }
        }
        return itemBest;
    });

    result.cancelled = best.cancelled;
    if (best.cancelled || best.item < 0) return result;
    result.bestReturn = best.bestReturn;
    result.span1 = grid.ema.first + best.item / atrCount;
    result.span2 = grid.atr.first + best.item % atrCount;
    result.threshold = multipliers[best.trial];
    applyKeltner(registry, name, result.span1, result.span2, result.threshold);
    return result;
}

}  // namespace varkel
