#pragma once

#include "model/trade_model.h"

#include <string>

namespace varkel {

// How the builder's window and the command line show a build's numbers.
// A layer's best return: "Return = %10.4f".
std::string layerReturnText(double bestReturn);
// A measure of the built model (Sharpe ratio, Kelly value, winning rate):
// "%10.4f", or in words when it has no value (measureText).
std::string buildMeasureText(double value, int tradeCount);
// The parameters the build chose for a layer, named as the catalogue names
// them: "fast 12, slow 26, signal 9", "span 20, threshold 1.5"; empty for a
// layer not in use.
std::string layerParameterText(const Layer& layer);

}  // namespace varkel
