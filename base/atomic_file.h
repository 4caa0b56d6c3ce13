#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace varkel {

// Writes `contents` as the whole of the file at `target`: the bytes go to a
// fresh temporary file in the target's folder, are flushed to the disk and
// then renamed over the target, so a reader sees either the old file or the
// new one, never a half-written one. On failure the old file stays byte for
// byte, the temporary file is removed, and `error` (when given) says why.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents,
                         std::string* error = nullptr);

}  // namespace varkel
