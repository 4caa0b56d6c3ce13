#include "base/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace varkel {

namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                                         bool* tooLarge) {
    if (tooLarge != nullptr) *tooLarge = false;
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) return std::nullopt;
    // A regular file says its size: one read of that many bytes and one that
    // finds the end, instead of a read per 4 KB. A file already over the cap
    // is refused before anything is read. Devices and FIFOs say nothing
    // useful and are read piece by piece, up to the cap.
    const std::size_t stated = S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0;
    if (stated > maxBytes) {
        if (tooLarge != nullptr) *tooLarge = true;
        return std::nullopt;
    }
    // One byte beyond the cap is enough to tell a file that is too large.
    const std::size_t limit = maxBytes == std::numeric_limits<std::size_t>::max() ? maxBytes : maxBytes + 1;
    std::string content(std::min(limit, std::max<std::size_t>(stated + 1, 4096)), '\0');
    std::size_t used = 0;
    while (true) {
        if (used == content.size()) {
            if (used == limit) {
                if (tooLarge != nullptr) *tooLarge = true;
                return std::nullopt;
            }
            content.resize(std::min(limit, content.size() * 2));
        }
        const ssize_t count = ::read(file.fd, content.data() + used, content.size() - used);
        if (count < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;  // a folder reads as EISDIR
        }
        if (count == 0) break;
        used += static_cast<std::size_t>(count);
    }
    content.resize(used);
    return content;
}

}  // namespace varkel
