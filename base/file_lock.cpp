#include "base/file_lock.h"

#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace varkel {

namespace {

namespace fs = std::filesystem;

bool fail(std::string* error, std::string message) {
    if (error != nullptr) *error = std::move(message);
    return false;
}

// Whether the lock file we hold is still the one the path names: a holder
// that released it removed it, and a new one may stand there now.
bool stillInPlace(int fd, const fs::path& lockPath) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

// Why the lock file could not be opened, naming it: a link or a folder in its
// place is someone else's doing, and only the user can remove it.
std::string lockRefusal(const fs::path& lockPath, int code) {
    struct stat info {};
    if (::lstat(lockPath.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            return "Cannot use the lock file " + lockPath.string() + ": it is a symbolic link; remove it";
        if (!S_ISREG(info.st_mode))
            return "Cannot use the lock file " + lockPath.string() + ": it is not a regular file; remove it";
    }
    return "Cannot create the lock file " + lockPath.string() + ": " + std::strerror(code);
}

}  // namespace

std::string beingChangedMessage(const fs::path& path) {
    return path.string() + " is being changed by another program";
}

std::optional<FileLock> FileLock::acquire(const fs::path& target, std::string* error, std::chrono::milliseconds wait) {
    // A device or a FIFO is written, never replaced: there is nothing to guard.
    if (isSpecialFile(target)) return FileLock(-1, {});
    const fs::path real = writeTargetOf(target);
    const fs::path lockPath =
        (real.has_parent_path() ? real.parent_path() : fs::path(".")) / ("." + real.filename().string() + ".lock");
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        // Never through a link: a planted ".NAME.lock" link would make us
        // create or lock whatever file it names.
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int code = errno;
            fail(error, lockRefusal(lockPath, code));
            return std::nullopt;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            fail(error, "Cannot use the lock file " + lockPath.string() + ": it is not a regular file; remove it");
            return std::nullopt;
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            if (code == EINTR) continue;
            if (code != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                fail(error, code == EWOULDBLOCK ? beingChangedMessage(target)
                                                : "Cannot lock " + lockPath.string() + ": " + std::strerror(code));
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (stillInPlace(fd, lockPath)) return FileLock(fd, lockPath);
        ::close(fd);
    }
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_), lockPath_(std::move(other.lockPath_)) {
    other.fd_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        lockPath_ = std::move(other.lockPath_);
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() { release(); }

void FileLock::release() {
    if (fd_ < 0) return;
    // Removed while still held, so that no one can lock this file after us
    // and believe it is still the lock.
    ::unlink(lockPath_.c_str());
    ::close(fd_);
    fd_ = -1;
}

}  // namespace varkel
