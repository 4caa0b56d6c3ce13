#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

namespace varkel {

// The bytes of the file at `path`; nullopt when it cannot be opened or read
// (a folder, say). A regular file larger than `maxBytes` is refused by its
// size before any read, and reading stops once more than `maxBytes` have
// arrived (a file that grows, a device such as /dev/zero that never ends):
// both are nullopt too, with `tooLarge` (when given) set. Never throws.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = std::numeric_limits<std::size_t>::max(),
                                         bool* tooLarge = nullptr);

}  // namespace varkel
