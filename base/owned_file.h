#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varkel {

// The one way a file the program owns (a price history, a model, a strategy
// file, a part file) is changed. Every writer goes through here, so each gets
// the same guarantees without its own copy of them:
// - the file's lock (file_lock.h) is held from the read to the rename, so two
//   writers never lose each other's change;
// - the caller computes the new text from the text read under that lock;
// - the new text is checked with the reader's own rules and size cap before
//   anything is written, so no writer leaves a file its reader refuses;
// - the write is atomic (atomic_file.h): on any failure the file stays as it
//   was and no temporary file is left;
// - the listener (setOwnedFileListener) hears of every file changed, so open
//   views show what the file holds now.

// How the reader of one kind of file reads it.
struct OwnedFileRules {
    std::string_view what;  // "price file", "trade model file": names the file in messages
    std::size_t maxBytes = 0;  // larger files are not read
    // Why `next` would not read back as the reader wants it, nullopt when it
    // does; `current` is the text it replaces (nullopt for a new file), so a
    // rule can tolerate faults the file had before the change. The door
    // reports a fault as "PATH was left as it was: FAULT."
    std::function<std::optional<std::string>(const std::optional<std::string>& current, std::string_view next)>
        fault;
};

// The caller's answer to the current text: the new text, or why not.
struct OwnedFileChange {
    std::optional<std::string> next;
    std::string refusal;

    static OwnedFileChange to(std::string text) { return {std::move(text), {}}; }
    static OwnedFileChange refuse(std::string why) { return {std::nullopt, std::move(why)}; }
};

// One file to change: its path, its reader's rules, and the change itself,
// called with the text read under the lock (nullopt: the file does not exist).
struct OwnedFileEdit {
    std::filesystem::path path;
    const OwnedFileRules* rules = nullptr;
    std::function<OwnedFileChange(const std::optional<std::string>& current)> change;
};

// Written; Refused: the caller's change or the reader's rules said no;
// Unreadable: the file there could not be read (too large, say); Failed: the
// lock or the write failed. Nothing is written unless Written.
enum class OwnedWriteStatus { Written, Refused, Unreadable, Failed };

struct OwnedWrite {
    OwnedWriteStatus status = OwnedWriteStatus::Failed;
    std::string message;  // why not; empty when written

    explicit operator bool() const { return status == OwnedWriteStatus::Written; }
};

OwnedWrite changeOwnedFile(const OwnedFileEdit& edit);

// Several files that must agree (a model and the strategy file derived from
// it) changed together: every lock is taken (in one order, so two such
// writers never wait on each other), every change computed and checked, every
// new text flushed beside its file, and only then are they put in place.
// Either all are written or none: a failure part-way puts back the ones
// already renamed.
OwnedWrite changeOwnedFiles(std::span<const OwnedFileEdit> edits);

// Told the path of every file changed through the door, on the writer's
// thread, after the change is in place. One listener; an empty one stops it.
void setOwnedFileListener(std::function<void(const std::filesystem::path&)> listener);

// "The price file PATH is larger than 64 MB and is not read."
std::string ownedFileTooLargeMessage(std::string_view what, const std::filesystem::path& path,
                                     std::size_t maxBytes);

}  // namespace varkel
