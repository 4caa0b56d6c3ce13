#pragma once

#include "model/layer.h"

#include <array>
#include <cstdint>

namespace varkel {

// A built trade model: a base index that decides each day's direction, up to two
// filter indexes, and the measures of its back-test. A new record holds the
// "not used" values: no index, parameters -1, settings and the two headline
// measures -999.0, everything else 0.
struct TradeModel {
    std::array<Layer, 3> layers{};  // the base index, the 2nd and the 3rd
    double sharpeRatio = -999.0;
    double kellyFormula = -999.0;
    double winningRate = 0.0;
    double losingRate = 0.0;
    std::int32_t winCount = 0;
    std::int32_t lossCount = 0;
    std::int32_t tradeCount = 0;
    double grossProfit = 0.0;
    double grossLoss = 0.0;
    double netProfit = 0.0;

    const Layer& base() const { return layers[0]; }
    bool operator==(const TradeModel&) const = default;
};

}  // namespace varkel
