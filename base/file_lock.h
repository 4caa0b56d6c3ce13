#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace varkel {

// How long a writer waits for another program to finish with a file before it
// gives up: long enough for an append or a model save, short enough that a
// daily job never hangs behind a stuck program.
inline constexpr std::chrono::milliseconds fileLockWait{3000};

// "PATH is being changed by another program"
std::string beingChangedMessage(const std::filesystem::path& path);

// One writer at a time: an advisory lock (flock) on a hidden lock file beside
// the file a path names (symbolic links followed, so every path to one file
// shares its lock). The lock file is not the target itself, so the rename of
// an atomic write does not take the lock away; it is removed when the lock is
// released, and a writer that finds it removed under its feet starts again.
// Hold the lock for a whole read-modify-write. flock locks belong to an open
// file, so two threads of one program exclude each other too; a holder must
// not take the same lock twice.
class FileLock {
public:
    // Waits up to `wait` for the lock of `target`. Nothing, with the reason in
    // `error` (beingChangedMessage after the wait), when it cannot be had.
    static std::optional<FileLock> acquire(const std::filesystem::path& target, std::string* error = nullptr,
                                           std::chrono::milliseconds wait = fileLockWait);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

private:
    FileLock(int fd, std::filesystem::path lockPath) : fd_(fd), lockPath_(std::move(lockPath)) {}
    void release();

    int fd_ = -1;
    std::filesystem::path lockPath_;
};

}  // namespace varkel
