#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace varkel {

// The bytes of the file at `path`; nullopt when it cannot be opened or read
// (a folder, say). Never throws.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

}  // namespace varkel
