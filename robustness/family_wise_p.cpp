#include "robustness/family_wise_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace varkel {
namespace {

void checkFamily(const std::vector<double>& real, const std::vector<std::vector<double>>& permuted) {
    if (permuted.size() != real.size())
        throw std::invalid_argument("family-wise p: " + std::to_string(real.size()) + " real returns but " +
                                    std::to_string(permuted.size()) + " rows of permuted returns");
    for (std::size_t c = 0; c < real.size(); ++c) {
        if (permuted[c].size() != permuted.front().size())
            throw std::invalid_argument("family-wise p: combination " + std::to_string(c) +
                                        " was not built on the same number of permuted histories as the first");
        if (std::isnan(real[c]) || std::any_of(permuted[c].begin(), permuted[c].end(),
                                               [](double r) { return std::isnan(r); }))
            throw std::invalid_argument("family-wise p: combination " + std::to_string(c) + " has a return that is not a number");
    }
}

// The ranks, from the top, of one combination's permuted histories: ranks[k]
// is 1 + the number of the other P histories (the real one among them) with a
// return at least as high, so that history k's p = rank / (P + 1). One sort of
// (return, k) from the highest down; each run of equal returns then has as
// many permuted returns at least as high as the run's end position.
void rankPermutedHistories(double real, const std::vector<double>& permuted, std::vector<std::int64_t>& ranks) {
    std::vector<std::pair<double, std::size_t>> descending(permuted.size());
    for (std::size_t k = 0; k < permuted.size(); ++k) descending[k] = {permuted[k], k};
    std::sort(descending.begin(), descending.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    ranks.resize(permuted.size());
    for (std::size_t first = 0; first < descending.size();) {
        const double value = descending[first].first;
        std::size_t end = first;
        while (end < descending.size() && descending[end].first == value) ++end;
        // The permuted ones at least as high include history k itself; the
        // real history is one of the others.
        const auto others = static_cast<std::int64_t>(end) - 1 + (real >= value ? 1 : 0);
        for (std::size_t i = first; i < end; ++i) ranks[descending[i].second] = 1 + others;
        first = end;
    }
}

}  // namespace

double bestAdjustedPWithinReach(const std::vector<double>& real, const std::vector<std::vector<double>>& permuted) {
    if (real.empty()) return 1.0;
    const std::size_t histories = permuted.front().size();
    // The permuted history that is first in each combination, when one is:
    // above every other permuted one and above the real return.
    std::vector<std::optional<std::size_t>> first(real.size());
    std::vector<int> firstIn(histories, 0);
    for (std::size_t c = 0; c < real.size(); ++c) {
        const std::vector<double>& returns = permuted[c];
        if (returns.empty()) continue;
        const auto top = std::max_element(returns.begin(), returns.end());
        const bool alone = std::count(returns.begin(), returns.end(), *top) == 1;
        if (!alone || *top <= real[c]) continue;
        first[c] = static_cast<std::size_t>(top - returns.begin());
        ++firstIn[*first[c]];
    }
    const auto counted = static_cast<std::int64_t>(std::count_if(firstIn.begin(), firstIn.end(), [](int n) { return n > 0; }));
    std::int64_t fewest = counted;
    // A combination above every permuted history takes away the one it had first, unless another has it first too.
    for (const std::optional<std::size_t>& k : first)
        if (k && firstIn[*k] == 1) fewest = std::min(fewest, counted - 1);
    return static_cast<double>(1 + fewest) / static_cast<double>(histories + 1);
}

std::vector<std::size_t> stepdownOrder(const std::vector<double>& raw) {
    std::vector<std::size_t> order(raw.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&raw](std::size_t a, std::size_t b) { return raw[a] < raw[b]; });
    return order;
}

FamilyPValues familyWisePValues(const std::vector<double>& real, const std::vector<std::vector<double>>& permuted) {
    checkFamily(real, permuted);
    const std::size_t combinations = real.size();
    const std::size_t histories = combinations == 0 ? 0 : permuted.front().size();
    const double denominator = static_cast<double>(histories + 1);

    // Ranks stand for p-values throughout: every p shares the denominator
    // P + 1, so comparing ranks compares p-values exactly.
    std::vector<std::int64_t> realRank(combinations);
    FamilyPValues family;
    family.raw.resize(combinations);
    for (std::size_t c = 0; c < combinations; ++c) {
        realRank[c] = 1 + std::count_if(permuted[c].begin(), permuted[c].end(), [&](double r) { return r >= real[c]; });
        family.raw[c] = static_cast<double>(realRank[c]) / denominator;
    }

    // Walking the stepdown order backwards, smallestRank[k] is permuted
    // history k's smallest rank over the current and every later combination.
    const std::vector<std::size_t> order = stepdownOrder(family.raw);
    std::vector<std::int64_t> smallestRank(histories, static_cast<std::int64_t>(histories) + 1);
    std::vector<std::int64_t> ranks;
    std::vector<double> share(combinations);
    for (std::size_t i = combinations; i-- > 0;) {
        const std::size_t c = order[i];
        rankPermutedHistories(real[c], permuted[c], ranks);
        std::int64_t atMost = 1;  // the real history
        for (std::size_t k = 0; k < histories; ++k) {
            smallestRank[k] = std::min(smallestRank[k], ranks[k]);
            if (smallestRank[k] <= realRank[c]) ++atMost;
        }
        share[i] = static_cast<double>(atMost) / denominator;
    }

    family.adjusted.resize(combinations);
    double runningMaximum = 0.0;
    for (std::size_t i = 0; i < combinations; ++i) {
        runningMaximum = std::max(runningMaximum, share[i]);
        family.adjusted[order[i]] = runningMaximum;
    }
    return family;
}

}  // namespace varkel
