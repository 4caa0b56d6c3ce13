#pragma once

#include "base/owned_file.h"
#include "model/trade_model.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// A product's model file: <startDirectory>/<fileStem>.pfm (USD/JPY: USD_JPY.pfm).
std::filesystem::path performanceFilePath(const std::filesystem::path& startDirectory,
                                          std::string_view productName);

inline constexpr int tradeModelFileLines = 23;

// 23 numbers take a few hundred bytes (at most about 2.5 KB with every digit of
// the largest doubles); anything much larger is not a model file.
inline constexpr std::size_t maxTradeModelFileBytes = 64 * 1024;

// Writes the model as 23 text lines, one value each ("%d" or "%10.6f" with every
// digit kept, however large; the Kelly value before the Sharpe ratio; no line
// end after the last line), replacing any earlier file atomically: a failed
// write leaves the earlier file as it was. It is written through the door
// (owned_file.h). Infinities are written "inf" and "-inf" (a Kelly value without a
// losing day) and "nan" only for the rates of a model that never traded (its
// wins and losses are 0 of 0 trades); a model holding any other value that is
// not a number (prices of zero, say) is refused, not written. When
// `expectedText` is given, the file is written only while it still holds
// exactly that text (checked under the lock): a model another program saved
// in the meantime is never overwritten with an older one. False, with the
// reason in `error` when given, when the file is not written.
bool saveTradeModel(const TradeModel& model, const std::filesystem::path& path, std::string* error = nullptr,
                    const std::string* expectedText = nullptr);

// The model as the file holds it; nothing, with the reason in `error`, for a
// model that holds a value that is not a number (see saveTradeModel).
std::optional<std::string> tradeModelText(const TradeModel& model, std::string* error = nullptr);

// The model reader's rules for the door: 23 lines, a number on each.
const OwnedFileRules& tradeModelRules();

// The change that writes `model` to `path` (saveTradeModel's rules), for a
// writer that puts it in place together with another file; nothing, with the
// reason in `error`, when the model cannot be written.
std::optional<OwnedFileEdit> tradeModelEdit(const TradeModel& model, const std::filesystem::path& path,
                                            std::string* error = nullptr,
                                            std::optional<std::string> expectedText = std::nullopt);

// The text of the model file at `path`: nothing when it is missing, not a
// regular file (a FIFO would never end) or larger than maxTradeModelFileBytes.
std::optional<std::string> readTradeModelText(const std::filesystem::path& path);

// A real value as a model file holds it, without the line's padding: six
// decimals ("4.800000" for the 4.799999999999942 a search gives), every
// digit of a large value kept, NaN without a sign. What other files that
// name a model's thresholds print, so that both agree.
std::string modelFileRealText(double value);

// Fills the model from a model file's text, as loadTradeModel does.
void parseTradeModel(TradeModel& model, std::string_view text, int* linesRead = nullptr);

// Fills the model from such a file. Each line is read like the standard
// conversions do (leading blanks skipped, stopping at the first character that
// cannot belong to the number); LF, CR LF and lone CR line ends all work; a
// missing or empty line reads as 0. `linesRead` (when given) receives the
// number of lines the file holds. False, with the model untouched, when the
// file cannot be opened or read (see readTradeModelText).
bool loadTradeModel(TradeModel& model, const std::filesystem::path& path, int* linesRead = nullptr);

}  // namespace varkel
