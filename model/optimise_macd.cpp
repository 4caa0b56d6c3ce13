#include "model/apply_operations.h"
#include "model/optimisers.h"
#include "model/parallel_search.h"
#include "model/pnl_table.h"
#include "model/price_columns.h"
#include "model/trial_lanes.h"
#include "studies/series_stats.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace varkel {

namespace {

using lanes::Doubles;
using lanes::Ints;

// One work item: a fast span and eight consecutive slow spans, one per lane.
struct SlowGroup {
    int fast;
    int firstSlow;
};

struct MacdScratch {
    std::vector<Doubles> line;        // the MACD line of each lane's pair
    std::vector<Doubles> windowSums;  // signal-window sums by the window's first bar
    std::vector<double> returns;      // [lane][signal]
};

constexpr int spansPerPass = 4;

// The final returns of signal spans span .. span+3 for the eight pairs, in one
// pass over the bars (four independent sums keep the adder busy). The sign of
// line - sum / span decides a position; a quotient rounded from the reciprocal
// settles it wherever the two sides are clearly apart. When some bar is too
// close to call, the pass reports false and is run again dividing exactly.
bool signalPass(const PnlTable& table, const MacdScratch& s, Ints slow, int firstSlow, int span, bool exact,
                Doubles (&sums)[spansPerPass]) {
    Doubles reciprocal[spansPerPass], divisor[spansPerPass];
    Ints lastSilent[spansPerPass], previous[spansPerPass];
    for (int p = 0; p < spansPerPass; ++p) {
        divisor[p] = lanes::broadcast(static_cast<double>(span + p));
        reciprocal[p] = 1.0 / divisor[p];
        lastSilent[p] = slow + (span + p);
        sums[p] = Doubles{};
        previous[p] = Ints{};
    }
    Ints uncertain = {};
    const int n = table.historyLength();
    const Doubles* line = s.line.data();
    const Doubles* windows = s.windowSums.data();
    for (int i = 1; i < n; ++i) {
        const int k = i - 1;  // the bar whose values decide bar i
        const double* row = table.row(i);
        const Doubles low = lanes::load(row), high = lanes::load(row + lanes::width);
        Ints current[spansPerPass] = {};
        if (k > firstSlow + span) {
            // Windows of span + p bars ending at k, each summed oldest first.
            Doubles window = windows[k - span + 1];
            for (int p = 0; p < spansPerPass; ++p) {
                if (p > 0) {
                    window = windows[k - span + 1 - p];
                    for (int q = p; q > 0; --q) window += line[k - q + 1];
                }
                const Ints active = lanes::broadcast(std::int64_t{k}) > lastSilent[p];
                if (exact) {
                    current[p] = lanes::sign(line[k] - window / divisor[p]) & active;
                } else {
                    const Doubles mean = window * reciprocal[p];
                    const Doubles d = line[k] - mean;
                    const Doubles magnitude = d < 0.0 ? -d : d;
                    const Doubles scale = mean < 0.0 ? -mean : mean;
                    uncertain |= (magnitude <= scale * 1e-14 + 1e-300) & active;
                    current[p] = lanes::sign(d) & active;
                }
            }
        }
        for (int p = 0; p < spansPerPass; ++p) {
            sums[p] += __builtin_shuffle(low, high, previous[p] * 3 + current[p] + 4);
            previous[p] = current[p];
        }
    }
    for (int lane = 0; lane < lanes::width; ++lane)
        if (uncertain[lane] != 0) return false;
    return true;
}

}  // namespace

OptimiserResult optimiseMacd(ProductRegistry& registry, std::string_view name,
                             const OptimiserControl& control, const MacdGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const PriceColumns columns(*product);
    const int n = columns.n;
    const int signals = grid.signal.count();
    if (n < 2 || signals <= 0 || grid.signal.first < 3) return result;

    // Each moving average is computed once per span; a span the computation
    // refuses on this history has no average and its trials are not tried.
    const SeriesStats stats;
    const int firstSpan = grid.fast.first;
    std::vector<std::vector<double>> averages;
    for (int span = firstSpan; span <= grid.slowLast; ++span)
        averages.push_back(span >= 3 ? stats.movingAverage(columns.close, span) : std::vector<double>{});
    auto hasAverage = [&](int span) { return span >= firstSpan && span <= grid.slowLast && !averages[span - firstSpan].empty(); };

    std::vector<SlowGroup> groups;
    std::int64_t total = 0;
    for (int fast = grid.fast.first; fast <= grid.fast.last; ++fast) {
        if (!hasAverage(fast)) continue;
        for (int slow = fast + 1; slow <= grid.slowLast; slow += lanes::width) {
            groups.push_back({fast, slow});
            for (int lane = 0; lane < lanes::width; ++lane) total += hasAverage(slow + lane) ? signals : 0;
        }
    }

    const PnlTable table(*product);
    const int workers = workerCountFor(control);
    std::vector<MacdScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.line.resize(n);
        s.windowSums.resize(n);
        s.returns.resize(static_cast<std::size_t>(lanes::width) * signals);
    }

    const SearchBest best = runParallelSearch(
        static_cast<int>(groups.size()), total, control, workers,
        [&](int item, int worker, std::int64_t& trials) {
            MacdScratch& s = scratch[worker];
            const SlowGroup group = groups[item];
            const std::vector<double>& fastAverage = averages[group.fast - firstSpan];
            Ints slow;
            bool valid[lanes::width];
            for (int lane = 0; lane < lanes::width; ++lane) {
                slow[lane] = group.firstSlow + lane;
                valid[lane] = hasAverage(group.firstSlow + lane);
                trials += valid[lane] ? signals : 0;
            }
            // The line is fast minus slow from the bar of the longer span on.
            for (int i = 0; i < n; ++i) {
                for (int lane = 0; lane < lanes::width; ++lane) {
                    const int slowSpan = group.firstSlow + lane;
                    s.line[i][lane] = valid[lane] && i >= slowSpan
                                          ? fastAverage[i] - averages[slowSpan - firstSpan][i]
                                          : 0.0;
                }
            }
            // The signal is the mean of the line over its span, summed oldest
            // first. Sums that start at the same bar share their partial sums:
            // windowSums[j] holds line[j] + ... + line[j + length - 1], grown one
            // bar at a time, and the next three spans' windows ending at bar k
            // extend it by the bars up to k, in the order of a plain loop. Only
            // bars after slow + span decide a position, so windows start at
            // firstSlow + 2 or later.
            const int firstStart = group.firstSlow + 2;
            std::fill(s.windowSums.begin(), s.windowSums.end(), Doubles{});
            int length = 0;
            for (int span = grid.signal.first; span <= grid.signal.last; span += spansPerPass) {
                for (; length < span; ++length)
                    for (int j = firstStart; j + length < n; ++j) s.windowSums[j] += s.line[j + length];
                Doubles sums[spansPerPass];
                if (!signalPass(table, s, slow, group.firstSlow, span, false, sums))
                    signalPass(table, s, slow, group.firstSlow, span, true, sums);
                for (int p = 0; p < spansPerPass && span + p <= grid.signal.last; ++p)
                    for (int lane = 0; lane < lanes::width; ++lane)
                        s.returns[static_cast<std::size_t>(lane) * signals + (span + p - grid.signal.first)] =
                            sums[p][lane];
            }
            ItemBest itemBest;
            for (int lane = 0; lane < lanes::width; ++lane) {
                if (!valid[lane]) continue;
                for (int k = 0; k < signals; ++k) {
                    const double value = s.returns[static_cast<std::size_t>(lane) * signals + k];
                    if (value > itemBest.bestReturn) {
                        itemBest.bestReturn = value;
                        itemBest.trial = lane * signals + k;
                    }
                }
            }
            return itemBest;
        });

    result.cancelled = best.cancelled;
    if (best.cancelled || best.item < 0) return result;
    result.bestReturn = best.bestReturn;
    result.span1 = groups[best.item].fast;
    result.span2 = groups[best.item].firstSlow + best.trial / signals;
    result.span3 = grid.signal.first + best.trial % signals;
    result.threshold = -999.0;
    applyMacd(registry, name, result.span1, result.span2, result.span3, 0.0);
    return result;
}

}  // namespace varkel
