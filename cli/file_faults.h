#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varkel::cli {

// Why the file cannot be read, as the system says it ("No such file or
// directory", "Permission denied") or "it is a directory"; "it cannot be
// read" when opening it works now.
std::string unreadableFileReason(const std::filesystem::path& path);

// Why nothing can be written into the folder that would hold `file` (missing,
// not a folder, not writable): checked before a long search rather than after
// it. Nullopt when the folder takes files.
std::optional<std::string> outputFolderFault(const std::filesystem::path& file);

// outputFolderFault for each file, the first fault said as "Cannot write FILE: ...";
// whether every folder takes files.
bool outputFoldersWritable(const std::vector<std::string>& files);

}  // namespace varkel::cli
