#pragma once

#include "model/trade_model.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

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

// One sentence for each filter layer whose kept trial earns less in sample
// than the layers before it (the layered search keeps a filter's best trial
// even when no filter would earn more): "The ROC filter lowers the return
// from 342.85 to 332.45: the base alone earns more". `layerReturns` are the
// build's (BuildResult::layerReturns), `model` names the studies.
std::vector<std::string> filterCostTexts(const std::array<std::optional<double>, 3>& layerReturns,
                                         const TradeModel& model);

}  // namespace varkel
