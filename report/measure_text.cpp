#include "report/measure_text.h"

#include "base/formatted_text.h"

#include <cmath>

namespace varkel {

std::string measureText(const char* format, double value, int tradeCount) {
    if (tradeCount == 0) return "no trades";
    if (!std::isfinite(value)) return "none";
    return formattedText(format, value);
}

}  // namespace varkel
