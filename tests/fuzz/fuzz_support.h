#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace varkel::fuzz {

// A file in memory with a path the engine can open: the readers under test
// take paths, and a file on disk per input would make the disk the bottleneck.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("varkel-fuzz", 0)) {
        if (fd_ < 0) std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the content; the path then reads exactly these bytes.
    void set(std::string_view content) {
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, content.data(), content.size(), 0) !=
                                            static_cast<ssize_t>(content.size()))
            std::abort();
    }
    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

// A folder for files the code under test writes: in memory (/dev/shm) where
// there is one, so that flushing to the disk costs nothing.
inline std::filesystem::path scratchDirectory(const char* name) {
    const std::filesystem::path shm = "/dev/shm";
    std::error_code error;
    const auto base = std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
    const auto dir = base / ("varkel-fuzz-" + std::string(name) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir, error);
    return dir;
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Fails the run the way a crash does, so that libFuzzer keeps the input.
inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace varkel::fuzz
