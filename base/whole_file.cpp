#include "base/whole_file.h"

#include <cstdio>
#include <memory>

namespace varkel {

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                                         bool* tooLarge) {
    if (tooLarge != nullptr) *tooLarge = false;
    // stdio rather than a stream: reading a folder through a stream buffer
    // iterator throws, and engine calls must not.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return std::nullopt;
    std::string content;
    char chunk[4096];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (count > maxBytes - content.size()) {
            if (tooLarge != nullptr) *tooLarge = true;
            return std::nullopt;
        }
        content.append(chunk, count);
    }
    if (std::ferror(file.get())) return std::nullopt;
    return content;
}

}  // namespace varkel
