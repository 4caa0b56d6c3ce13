#include "base/owned_file.h"

#include "base/atomic_file.h"
#include "base/file_lock.h"
#include "base/whole_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <numeric>
#include <vector>

namespace varkel {

namespace {

namespace fs = std::filesystem;

struct Listener {
    std::mutex mutex;
    std::function<void(const fs::path&)> call;
};

Listener& listener() {
    static Listener instance;
    return instance;
}

void tellListener(const fs::path& path) {
    Listener& heard = listener();
    std::function<void(const fs::path&)> call;
    {
        const std::lock_guard<std::mutex> lock(heard.mutex);
        call = heard.call;
    }
    if (call) call(path);
}

// "64 MB", "64 KB"
std::string sizeText(std::size_t bytes) {
    constexpr std::size_t megabyte = 1024 * 1024;
    return bytes >= megabyte ? std::to_string(bytes / megabyte) + " MB" : std::to_string(bytes / 1024) + " KB";
}

OwnedWrite outcome(OwnedWriteStatus status, std::string message) { return {status, std::move(message)}; }

// The file's text as it is under the lock: nullopt in `text` for a file that
// does not exist; a message when it exists but cannot be read whole.
std::optional<std::string> readCurrent(const OwnedFileEdit& edit, std::optional<std::string>& text) {
    struct stat info {};
    if (::stat(edit.path.c_str(), &info) != 0) {
        const int code = errno;
        if (code == ENOENT) return std::nullopt;
        return "Cannot read " + edit.path.string() + ": " + std::strerror(code);
    }
    if (S_ISDIR(info.st_mode)) return "Cannot write " + edit.path.string() + ": " + std::strerror(EISDIR);
    // A device or FIFO is written, never read back: a FIFO read would wait
    // for a writer, /dev/zero would never end.
    if (!S_ISREG(info.st_mode)) {
        text = std::string();
        return std::nullopt;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > edit.rules->maxBytes)
        return ownedFileTooLargeMessage(edit.rules->what, edit.path, edit.rules->maxBytes);
    bool tooLarge = false;
    text = readWholeFile(edit.path, edit.rules->maxBytes, &tooLarge);
    if (text) return std::nullopt;
    return tooLarge ? ownedFileTooLargeMessage(edit.rules->what, edit.path, edit.rules->maxBytes)
                    : "Cannot read " + edit.path.string();
}

// The new text the caller computed from `current`, checked with the reader's
// rules; an outcome instead when it is refused.
std::optional<OwnedWrite> checkedChange(const OwnedFileEdit& edit, const std::optional<std::string>& current,
                                        std::string& next) {
    OwnedFileChange change = edit.change(current);
    if (!change.next) return outcome(OwnedWriteStatus::Refused, std::move(change.refusal));
    next = std::move(*change.next);
    const OwnedFileRules& rules = *edit.rules;
    if (next.size() > rules.maxBytes)
        return outcome(OwnedWriteStatus::Refused,
                       "The change would make the " + std::string(rules.what) + " " + edit.path.string() +
                           " larger than " + sizeText(rules.maxBytes) + ", more than it may hold; it was left as it was.");
    if (rules.fault)
        if (auto fault = rules.fault(current, next))
            return outcome(OwnedWriteStatus::Refused, edit.path.string() + " was left as it was: " + *fault + ".");
    return std::nullopt;
}

// Lock order: by the file each path names, so that two writers of the same
// pair never hold one lock each while waiting for the other's.
std::vector<std::size_t> lockOrder(std::span<const OwnedFileEdit> edits) {
    std::vector<std::size_t> order(edits.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&edits](std::size_t a, std::size_t b) {
        return writeTargetOf(edits[a].path) < writeTargetOf(edits[b].path);
    });
    return order;
}

// Puts back what the files held before the renames that already happened.
void restore(std::span<const OwnedFileEdit> edits, const std::vector<std::optional<std::string>>& before,
             std::size_t renamed) {
    for (std::size_t i = 0; i < renamed; ++i) {
        if (before[i]) writeFileAtomically(edits[i].path, *before[i]);
        else ::unlink(edits[i].path.c_str());
    }
}

}  // namespace

std::string ownedFileTooLargeMessage(std::string_view what, const fs::path& path, std::size_t maxBytes) {
    return "The " + std::string(what) + " " + path.string() + " is larger than " + sizeText(maxBytes) +
           " and is not read.";
}

OwnedWrite changeOwnedFile(const OwnedFileEdit& edit) { return changeOwnedFiles(std::span(&edit, 1)); }

OwnedWrite changeOwnedFiles(std::span<const OwnedFileEdit> edits) {
    std::vector<FileLock> locks;
    locks.reserve(edits.size());
    for (const std::size_t i : lockOrder(edits)) {
        std::string error;
        std::optional<FileLock> lock = FileLock::acquire(edits[i].path, &error);
        if (!lock) return outcome(OwnedWriteStatus::Failed, error);
        locks.push_back(std::move(*lock));
    }
    std::vector<std::optional<std::string>> before(edits.size());
    std::vector<PendingWrite> pending;
    pending.reserve(edits.size());
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (auto unreadable = readCurrent(edits[i], before[i]))
            return outcome(OwnedWriteStatus::Unreadable, *unreadable);
        std::string next;
        if (auto refused = checkedChange(edits[i], before[i], next)) return *refused;
        std::string error;
        std::optional<PendingWrite> prepared = PendingWrite::prepare(edits[i].path, next, &error);
        if (!prepared) return outcome(OwnedWriteStatus::Failed, error);
        pending.push_back(std::move(*prepared));
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        std::string error;
        if (!pending[i].commit(&error)) {
            restore(edits, before, i);
            return outcome(OwnedWriteStatus::Failed, error);
        }
    }
    locks.clear();
    for (const OwnedFileEdit& edit : edits) tellListener(edit.path);
    return outcome(OwnedWriteStatus::Written, {});
}

void setOwnedFileListener(std::function<void(const fs::path&)> call) {
    Listener& heard = listener();
    const std::lock_guard<std::mutex> lock(heard.mutex);
    heard.call = std::move(call);
}

}  // namespace varkel
