#pragma once

#include <cstdio>
#include <string>

namespace varkel {

// printf-style formatting into a string as long as the result: a fixed buffer
// would cut a large number ("%10.6f" of 1e100 needs 108 characters).
template <class... Values>
std::string formattedText(const char* format, Values... values) {
    const int length = std::snprintf(nullptr, 0, format, values...);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

}  // namespace varkel
