#include "base/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <utility>

namespace varkel {

namespace {

namespace fs = std::filesystem;

// What our temporary files are called: ".<name>.varkel-XXXXXX".
constexpr std::string_view temporaryMark = ".varkel-";

bool fail(std::string* error, const std::string& what, int code) {
    if (error != nullptr)
        *error = what + ": " + (code == EFBIG ? std::string(fileSizeLimitMessage) : std::string(std::strerror(code)));
    return false;
}

// Every byte of `data`, retrying short writes and interruptions.
bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The mode a plain new file would get (0666 less the umask), or the target's
// own mode when it exists, so replacing a file keeps its permissions.
mode_t modeFor(const fs::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

fs::path folderOf(const fs::path& path) { return path.has_parent_path() ? path.parent_path() : fs::path("."); }

// A reader that goes away while we write, or a file size limit (ulimit -f)
// that a write would pass, must give a failed write with its reason (EPIPE,
// EFBIG), not kill the program: SIGPIPE and SIGXFSZ are held back for this
// thread and pending ones dropped.
class WriteSignalsHeld {
public:
    WriteSignalsHeld() {
        sigemptyset(&held_);
        sigaddset(&held_, SIGPIPE);
        sigaddset(&held_, SIGXFSZ);
        ::pthread_sigmask(SIG_BLOCK, &held_, &previous_);
    }
    ~WriteSignalsHeld() {
        const timespec noWait{0, 0};
        while (::sigtimedwait(&held_, nullptr, &noWait) > 0) {
        }
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    WriteSignalsHeld(const WriteSignalsHeld&) = delete;
    WriteSignalsHeld& operator=(const WriteSignalsHeld&) = delete;

private:
    sigset_t held_{};
    sigset_t previous_{};
};

// A unix socket takes bytes only through a connection.
int connectToSocket(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.native().size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int code = errno;
        ::close(fd);
        errno = code;
        return -1;
    }
    return fd;
}

// A device, FIFO or socket gets the bytes as they are; it is never replaced.
// A FIFO nobody reads is refused at once instead of waiting for a reader.
bool writeDirectly(const fs::path& target, mode_t type, std::string_view contents, std::string* error) {
    const WriteSignalsHeld held;
    int fd = S_ISSOCK(type) ? connectToSocket(target)
                            : ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO && S_ISFIFO(type)) {
            if (error != nullptr) *error = "Cannot write " + target.string() + ": no program reads from it";
            return false;
        }
        return fail(error, "Cannot write " + target.string(), errno);
    }
    // Blocking again: a slow reader is waited for, not an error.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const bool written = writeAll(fd, contents);
    const int code = errno;
    ::close(fd);
    return written || fail(error, "Cannot write " + target.string(), code);
}

// Our own temporary files for `target` that a killed writer left behind.
void removeLeftovers(const fs::path& target) {
    const std::string prefix = "." + target.filename().string() + std::string(temporaryMark);
    std::error_code error;
    const std::time_t oldest = std::time(nullptr) - std::chrono::seconds(leftoverTemporaryAge).count();
    for (fs::directory_iterator it(folderOf(target), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            info.st_mtime < oldest)
            ::unlink(it->path().c_str());
    }
}

}  // namespace

std::string readOnlyMessage(const fs::path& path) { return path.string() + " is read-only"; }

std::optional<std::string> fileNameFault(const fs::path& target) {
    // ".<name>.varkel-XXXXXX" beside the target; ".<name>.lock" is shorter.
    const std::size_t extra = 1 + temporaryMark.size() + 6;
    const std::size_t longest = NAME_MAX - extra;
    const std::size_t length = writeTargetOf(target).filename().native().size();
    if (length <= longest) return std::nullopt;
    return "the file name of " + target.string() + " has " + std::to_string(length) + " characters; at most " +
           std::to_string(longest) + " can be written";
}

fs::path writeTargetOf(const fs::path& target) {
    fs::path path = target;
    // As many links as the system itself follows before it gives up.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX), '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0) return path;
        link.resize(static_cast<std::size_t>(length));
        const fs::path next(link);
        path = next.is_absolute() ? next : folderOf(path) / next;
    }
    return path;
}

bool isSpecialFile(const fs::path& target) {
    struct stat info {};
    return ::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

std::optional<PendingWrite> PendingWrite::prepare(const fs::path& target, std::string_view contents,
                                                  std::string* error) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        fail(error, "Cannot write " + target.string(), EISDIR);
        return std::nullopt;
    }
    PendingWrite pending;
    pending.target_ = target;
    if (exists && !S_ISREG(existing.st_mode)) {
        // Written directly when committed: there is nothing to rename.
        pending.contents_ = std::string(contents);
        pending.directType_ = existing.st_mode;
        return pending;
    }
    const fs::path real = writeTargetOf(target);
    // Root may write any file: the mode bits say what its owner meant.
    if (exists && ((existing.st_mode & 0222) == 0 || (::access(real.c_str(), W_OK) != 0 && errno != ENOENT))) {
        if (error != nullptr) *error = readOnlyMessage(target);
        return std::nullopt;
    }

    const fs::path folder = folderOf(real);
    removeLeftovers(real);
    std::string temporary = (folder / ("." + real.filename().string() + std::string(temporaryMark) + "XXXXXX")).string();
    const WriteSignalsHeld held;
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        fail(error, "Cannot create a file in " + folder.string(), errno);
        return std::nullopt;
    }
    pending.real_ = real;
    pending.temporary_ = temporary;
    bool ok = writeAll(fd, contents);
    int code = errno;
    if (ok && (::fchmod(fd, modeFor(real)) != 0 || ::fsync(fd) != 0)) {
        ok = false;
        code = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        fail(error, "Cannot write " + target.string(), code);
        return std::nullopt;  // the destructor removes the temporary file
    }
    return pending;
}

bool PendingWrite::commit(std::string* error) {
    if (directType_ != 0) return writeDirectly(target_, std::exchange(directType_, 0), contents_, error);
    if (::rename(temporary_.c_str(), real_.c_str()) != 0) return fail(error, "Cannot write " + target_.string(), errno);
    temporary_.clear();
    return true;
}

PendingWrite::PendingWrite(PendingWrite&& other) noexcept
    : target_(std::move(other.target_)),
      real_(std::move(other.real_)),
      temporary_(std::exchange(other.temporary_, {})),
      contents_(std::move(other.contents_)),
      directType_(std::exchange(other.directType_, 0)) {}

PendingWrite::~PendingWrite() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool writeFileAtomically(const fs::path& target, std::string_view contents, std::string* error) {
    std::optional<PendingWrite> pending = PendingWrite::prepare(target, contents, error);
    return pending && pending->commit(error);
}

}  // namespace varkel
