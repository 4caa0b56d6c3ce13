#pragma once

#include <cstdint>

namespace varkel::calibration {

// The family-wise p-values alone, on made-up return matrices whose null is
// exact: every history (the real one and the P permuted ones) draws its
// returns from the same distribution, so the real column is exchangeable
// with the others. Combination c's return on a history is
// offset_c + scale_c (rho z + sqrt(1 - rho^2) e_c), z shared by the
// combinations of that history, e_c its own, both standard normal; offsets
// and scales differ between combinations as bigger grids reach higher
// maxima in noise. A planted edge adds edge * scale_0 to combination 0's
// real return.
struct ExchangeableFamilies {
    int combinations = 20;
    int permutations = 99;
    double correlation = 0.0;  // rho
    double edge = 0.0;
    int families = 2000;
    std::uint64_t seed = 1;
};

// Shares of the families.
struct FamilyShares {
    double anyHoldsUp = 0.0;       // some combination's adjusted p below 5 %
    double anyRawBelow = 0.0;      // some combination's own p below 5 % (no family-wise control)
    double plantedHoldsUp = 0.0;   // combination 0's adjusted p below 5 %
    double plantedRawBelow = 0.0;  // combination 0's own p below 5 %
};

FamilyShares measureExchangeableFamilies(const ExchangeableFamilies& setting);

}  // namespace varkel::calibration
