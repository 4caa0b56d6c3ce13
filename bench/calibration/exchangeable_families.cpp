#include "exchangeable_families.h"

#include "robustness/family_wise_p.h"
#include "robustness/robustness_verdict.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace varkel::calibration {

FamilyShares measureExchangeableFamilies(const ExchangeableFamilies& setting) {
    const auto combinations = static_cast<std::size_t>(setting.combinations);
    const auto permutations = static_cast<std::size_t>(setting.permutations);
    std::mt19937_64 random(setting.seed);
    std::normal_distribution<double> normal;
    std::vector<double> offset(combinations);
    std::vector<double> scale(combinations);
    for (std::size_t c = 0; c < combinations; ++c) {
        offset[c] = static_cast<double>(c);
        scale[c] = 1.0 + 0.25 * static_cast<double>(c);
    }
    const double rho = setting.correlation;
    const double own = std::sqrt(1.0 - rho * rho);
    const auto holds = [](double p) { return p < permutationHoldsBelow; };

    FamilyShares counts;
    std::vector<double> real(combinations);
    std::vector<std::vector<double>> permuted(combinations, std::vector<double>(permutations));
    for (int family = 0; family < setting.families; ++family) {
        for (std::size_t h = 0; h <= permutations; ++h) {
            const double z = normal(random);
            for (std::size_t c = 0; c < combinations; ++c) {
                const double value = offset[c] + scale[c] * (rho * z + own * normal(random));
                (h == permutations ? real[c] : permuted[c][h]) = value;
            }
        }
        real[0] += setting.edge * scale[0];
        const FamilyPValues p = familyWisePValues(real, permuted);
        counts.anyHoldsUp += std::any_of(p.adjusted.begin(), p.adjusted.end(), holds) ? 1 : 0;
        counts.anyRawBelow += std::any_of(p.raw.begin(), p.raw.end(), holds) ? 1 : 0;
        counts.plantedHoldsUp += holds(p.adjusted[0]) ? 1 : 0;
        counts.plantedRawBelow += holds(p.raw[0]) ? 1 : 0;
    }
    const double families = setting.families;
    return {counts.anyHoldsUp / families, counts.anyRawBelow / families, counts.plantedHoldsUp / families,
            counts.plantedRawBelow / families};
}

}  // namespace varkel::calibration
