#include "robustness/family_wise_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <string>

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
// return at least as high, so that history k's p = rank / (P + 1).
void rankPermutedHistories(double real, const std::vector<double>& permuted, std::vector<std::int64_t>& ranks) {
    std::vector<double> ascending = permuted;
    std::sort(ascending.begin(), ascending.end());
    const auto atLeast = [&ascending](double value) {
        const auto first = std::lower_bound(ascending.begin(), ascending.end(), value);
        return static_cast<std::int64_t>(ascending.end() - first);
    };
    ranks.resize(permuted.size());
    for (std::size_t k = 0; k < permuted.size(); ++k) {
        // The permuted ones at least as high include history k itself; the
        // real history is one of the others.
        const std::int64_t others = atLeast(permuted[k]) - 1 + (real >= permuted[k] ? 1 : 0);
        ranks[k] = 1 + others;
    }
}

}  // namespace

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
