#pragma once

#include <cstddef>
#include <string_view>

namespace varkel {

// The line of `content` that begins at `start`, without its line end; `start`
// moves to the beginning of the next line. LF, CR LF and a lone CR (old Mac
// files) all end a line, so files of any origin, mixed ones included, give
// every line; a last line without a line end counts too. Walk a text with
//     for (std::size_t start = 0; start < content.size();) { auto line = nextLine(content, start); ... }
inline std::string_view nextLine(std::string_view content, std::size_t& start) {
    // A plain scan: find_first_of looks each character up in the set of two.
    std::size_t end = start;
    while (end < content.size() && content[end] != '\n' && content[end] != '\r') ++end;
    const std::string_view line = content.substr(start, end - start);
    start = end + 1;
    if (end + 1 < content.size() && content[end] == '\r' && content[end + 1] == '\n') ++start;
    return line;
}

}  // namespace varkel
