#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// Writes `contents` as the whole of the file at `target`.
//
// A regular file (or a new one) is replaced atomically: the bytes go to a fresh
// temporary file in the target's folder, are flushed to the disk and then
// renamed over the target, so a reader sees either the old file or the new
// one, never a half-written one. On failure the old file stays byte for byte,
// the temporary file is removed, and `error` (when given) says why.
//
// A symbolic link is followed and the file it names is replaced in its own
// folder, so the link stays a link. A character device, FIFO or socket
// (/dev/null, /dev/stdout, a pipe a program reads) is written directly and
// never replaced. A folder is refused, and so is a file nobody may write to
// ("PATH is read-only"): replacing it would give it a new owner. Temporary
// files of ours older than leftoverTemporaryAge beside the target (left by a
// writer that was killed) are removed on the way.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents,
                         std::string* error = nullptr);

// The file a write to `target` changes: symbolic links followed to the file
// they name, which need not exist yet; `target` itself when it is no link.
std::filesystem::path writeTargetOf(const std::filesystem::path& target);

// Whether `target` exists and is not a regular file (a device, FIFO or socket,
// reached through links or not): such a target is written, never replaced.
bool isSpecialFile(const std::filesystem::path& target);

inline constexpr std::chrono::hours leftoverTemporaryAge{24};

// Why a write failed with EFBIG: the session's file size limit (ulimit -f),
// which would otherwise kill the program by SIGXFSZ without a word.
inline constexpr std::string_view fileSizeLimitMessage =
    "the file size limit of this session (ulimit -f) does not let the file grow that large";

// The first half of an atomic write, for writers that must put several files
// in place together: the bytes are already in a flushed temporary file beside
// the target when prepare succeeds, so the commit is a rename that hardly ever
// fails. A pending write that is not committed removes its temporary file.
// A device, FIFO or socket target keeps the bytes and is written at commit.
class PendingWrite {
public:
    static std::optional<PendingWrite> prepare(const std::filesystem::path& target, std::string_view contents,
                                               std::string* error = nullptr);
    bool commit(std::string* error = nullptr);

    PendingWrite(PendingWrite&& other) noexcept;
    PendingWrite& operator=(PendingWrite&&) = delete;
    PendingWrite(const PendingWrite&) = delete;
    PendingWrite& operator=(const PendingWrite&) = delete;
    ~PendingWrite();

private:
    PendingWrite() = default;

    std::filesystem::path target_;
    std::filesystem::path real_;  // the target with its links followed
    std::string temporary_;       // empty once committed
    std::string contents_;        // for a target written directly
    unsigned directType_ = 0;     // the st_mode of such a target; 0 for a rename
};

// Why `target` cannot be written atomically for the length of its name alone
// (its temporary and lock files carry a longer one), before any work is done
// for it; nullopt when the name fits.
std::optional<std::string> fileNameFault(const std::filesystem::path& target);

// "PATH is read-only"
std::string readOnlyMessage(const std::filesystem::path& path);

}  // namespace varkel
