#pragma once

#include <charconv>
#include <string>

namespace varkel {

// The shortest decimal text that reads back to the same double, bit for bit
// ("0.1", "1e+100", "-0"): for files whose numbers must survive a round trip.
inline std::string shortestText(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

}  // namespace varkel
