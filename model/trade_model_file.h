#pragma once

#include "model/trade_model.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace varkel {

// A product's model file: <startDirectory>/<fileStem>.pfm (USD/JPY: USD_JPY.pfm).
std::filesystem::path performanceFilePath(const std::filesystem::path& startDirectory,
                                          std::string_view productName);

inline constexpr int tradeModelFileLines = 23;

// Writes the model as 23 text lines, one value each ("%d" or "%10.6f" with every
// digit kept, however large; the Kelly value before the Sharpe ratio; no line
// end after the last line), replacing any earlier file atomically: a failed
// write leaves the earlier file as it was. A value that is not a number is
// written "nan", infinities "inf" and "-inf". False, with the reason in `error`
// when given, when the file cannot be written.
bool saveTradeModel(const TradeModel& model, const std::filesystem::path& path, std::string* error = nullptr);

// Fills the model from such a file. Each line is read like the standard
// conversions do (leading blanks skipped, stopping at the first character that
// cannot belong to the number); LF, CR LF and lone CR line ends all work; a
// missing or empty line reads as 0. `linesRead` (when given) receives the
// number of lines the file holds. False, with the model untouched, when the
// file cannot be opened or read.
bool loadTradeModel(TradeModel& model, const std::filesystem::path& path, int* linesRead = nullptr);

}  // namespace varkel
