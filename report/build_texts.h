#pragma once

#include <string>

namespace varkel {

// How the builder's window and the command line show a build's numbers.
// A layer's best return: "Return = %10.4f".
std::string layerReturnText(double bestReturn);
// A measure of the built model (Sharpe ratio, Kelly value, winning rate): "%10.4f".
std::string buildMeasureText(double value);

}  // namespace varkel
