#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// Downloaded text is trusted as a price history only when it reads as one.
inline constexpr int maxRefusedLinesOfAHistory = 3;

// Why `content` is not a price history, or nullopt when it reads as one: at
// least one bar loads (lines read as the price-file reader reads them), at most
// maxRefusedLinesOfAHistory lines are refused, and every eight-digit date is
// later than the eight-digit date of the bar before it. The reason reads after
// "not a price history: " ("no line holds a bar", ...).
std::optional<std::string> priceHistoryFault(std::string_view content);

// Why a body whose end the server did not mark (no Content-Length, no chunked
// framing) may have been cut short: it does not end with a line end, or its
// last line is not a whole bar. Nullopt when it ends with a whole bar.
std::optional<std::string> unmarkedEndFault(std::string_view content);

// What a price history holds, as the loader reads it.
struct HistoryExtent {
    int bars = 0;
    int lastDate = 0;  // the last eight-digit date loaded; 0 when none
};
HistoryExtent historyExtent(std::string_view content);

// Whether replacing `current` by `next` would lose bars: fewer of them, or an
// earlier last date.
bool losesHistory(const HistoryExtent& current, const HistoryExtent& next);

}  // namespace varkel
