#pragma once

#include <string>

namespace varkel {

// A measure of a model (winning rate, Kelly value, Sharpe ratio) printed with
// `format`. A model that never traded has no rates: its measures read
// "no trades"; any other measure without a value (a Kelly value without a
// single losing trade to weigh, say) reads "none". Never "nan".
std::string measureText(const char* format, double value, int tradeCount);

}  // namespace varkel
