#pragma once

#include <charconv>
#include <cstdio>
#include <string>

namespace varkel {

// std::vsnprintf behind a call the compiler does not see through: cutting a
// long text short in formattedText's first pass is intended, and GCC would
// warn of it at every call with a literal format.
int formatInto(char* buffer, std::size_t size, const char* format, ...);

// printf-style formatting into a string as long as the result: a fixed buffer
// would cut a large number ("%10.6f" of 1e100 needs 108 characters).
// Most texts fit a small buffer and are formatted once; only a longer one is
// formatted a second time, into a string of its length (files of thousands of
// lines spend most of their time here).
template <class... Values>
std::string formattedText(const char* format, Values... values) {
    char buffer[128];
    const int length = formatInto(buffer, sizeof buffer, format, values...);
    if (length <= 0) return {};
    if (static_cast<std::size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(length));
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

// The shortest text that reads back as exactly `value` (160.86, not
// 160.86000000000001): what a person reads in a CSV, and still exact.
inline std::string shortestText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace varkel
