#include "model/apply_operations.h"
#include "model/optimisers.h"
#include "model/parallel_search.h"
#include "model/pnl_table.h"
#include "model/study_scratch.h"
#include "studies/oscillators.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace varkel {

namespace {

struct StochasticsScratch {
    std::unique_ptr<StudyScratch> study;
    std::vector<double> closeLessLowSums, rangeSums, d, slowSums;
    std::vector<std::int8_t> positions;  // one row of n + 1 per slow %D span
    std::vector<const std::int8_t*> rows;
    std::vector<double> returns;
};

}  // namespace

OptimiserResult optimiseStochastics(ProductRegistry& registry, std::string_view name,
                                    const OptimiserControl& control, const StochasticsGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const int n = product->historyLength();
    const int kCount = grid.k.count(), dCount = grid.d.count(), slowCount = grid.slowD.count();
    if (n < 2 || kCount <= 0 || dCount <= 0 || slowCount <= 0) return result;
    if (grid.k.first < 3 || grid.d.first < 3 || grid.slowD.first < 3) return result;

    const PnlTable table(*product);
    const int workers = workerCountFor(control);
    std::vector<StochasticsScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.study = std::make_unique<StudyScratch>(*product);
        s.closeLessLowSums.resize(n);
        s.rangeSums.resize(n);
        s.d.resize(n);
        s.slowSums.resize(n);
        s.positions.resize(static_cast<std::size_t>(slowCount) * (n + 1));
        s.returns.resize(slowCount);
        for (int k = 0; k < slowCount; ++k) s.rows.push_back(s.positions.data() + static_cast<std::size_t>(k) * (n + 1));
    }
    const std::int64_t total = static_cast<std::int64_t>(kCount) * dCount * slowCount;

    const SearchBest best = runParallelSearch(kCount, total, control, workers, [&](int item, int worker, std::int64_t& trials) {
        StochasticsScratch& s = scratch[worker];
        const int kSpan = grid.k.first + item;
        // The %K stage depends on the %K span only: its range and close-less-low columns.
        calcStochastics(s.study->registry, name, kSpan, 3, 3);
        const std::vector<double> range = s.study->column(&Bar::stochRange);
        const std::vector<double> closeLessLow = s.study->column(&Bar::stochCloseLessLow);
        const int stride = n + 1;
        ItemBest itemBest;
        // Window sums that start at the same bar share their partial sums: adding
        // one bar per step gives every %D span's sums in plain-loop order.
        std::fill(s.closeLessLowSums.begin(), s.closeLessLowSums.end(), 0.0);
        std::fill(s.rangeSums.begin(), s.rangeSums.end(), 0.0);
        const int firstStart = kSpan - 1;
        for (int t = 0; t < grid.d.last; ++t) {
            for (int j = firstStart; j + t < n; ++j) {
                s.closeLessLowSums[j] += closeLessLow[j + t];
                s.rangeSums[j] += range[j + t];
            }
            const int dSpan = t + 1;
            if (dSpan < grid.d.first) continue;
            const double divisor = dSpan;
            std::fill(s.d.begin(), s.d.end(), 0.0);
            for (int i = kSpan + dSpan - 2; i < n; ++i) {
                const double a = s.closeLessLowSums[i - t];
                const double b = s.rangeSums[i - t];
                s.d[i] = b == 0.0 ? 0.0 : (a / divisor) / (b / divisor);
            }
            // Slow %D: the mean of %D over the slow span; positions follow %D - slow %D.
            std::fill(s.positions.begin(), s.positions.end(), std::int8_t{0});
            std::fill(s.slowSums.begin(), s.slowSums.end(), 0.0);
            const int slowStart = kSpan + dSpan - 2;
            for (int u = 0; u < grid.slowD.last; ++u) {
                for (int j = slowStart; j + u < n; ++j) s.slowSums[j] += s.d[j + u];
                const int slowSpan = u + 1;
                if (slowSpan < grid.slowD.first) continue;
                std::int8_t* row = s.positions.data() + static_cast<std::size_t>(slowSpan - grid.slowD.first) * stride;
                const double slowDivisor = slowSpan;
                for (int i = kSpan + dSpan + slowSpan + 1; i <= n - 2; ++i) {
                    const double diff = s.d[i] - s.slowSums[i - u] / slowDivisor;
                    row[i + 1] = static_cast<std::int8_t>((diff > 0.0) - (diff < 0.0));
                }
            }
            table.finalReturns(s.rows.data(), slowCount, s.returns.data());
            for (int k = 0; k < slowCount; ++k) {
                if (s.returns[k] > itemBest.bestReturn) {
                    itemBest.bestReturn = s.returns[k];
                    itemBest.trial = (dSpan - grid.d.first) * slowCount + k;
                }
            }
        }
        trials = static_cast<std::int64_t>(dCount) * slowCount;
        return itemBest;
    });

    result.cancelled = best.cancelled;
    if (best.cancelled || best.item < 0) return result;
    result.bestReturn = best.bestReturn;
    result.span1 = grid.k.first + best.item;
    result.span2 = grid.d.first + best.trial / slowCount;
    result.span3 = grid.slowD.first + best.trial % slowCount;
    result.threshold = -999.0;
    applyStochastics(registry, name, result.span1, result.span2, result.span3, 0.0);
    return result;
}

}  // namespace varkel
