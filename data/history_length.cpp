#include "data/history_length.h"

#include <algorithm>

namespace varkel {

std::optional<std::string> refuseShortHistory(std::string_view productName, int historyLength, int needed,
                                              std::string_view purpose) {
    const int bars = std::max(historyLength, 0);  // a product never loaded has no next-day bar either
    if (bars >= needed) return std::nullopt;
    return "The history of " + std::string(productName) + " has " + std::to_string(bars) +
           (bars == 1 ? " bar: " : " bars: ") + std::string(purpose) + " needs at least " +
           std::to_string(needed);
}

}  // namespace varkel
