#pragma once

#include <span>
#include <vector>

namespace varkel {

// Rolling sample variance (divisor span - 1) of a series.
class NormalDistCalc {
public:
    // Empty ("no result") unless n >= 2, span >= 2 and n > span; otherwise
    // r[i] is the variance of v[i-span+1 .. i] from i = span-1 on, 0 before.
    std::vector<double> compute(std::span<const double> v, int span) const;
};

}  // namespace varkel
