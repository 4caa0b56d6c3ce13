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

}  // namespace varkel
