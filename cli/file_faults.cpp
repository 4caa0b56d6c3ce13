#include "cli/file_faults.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varkel::cli {

std::string unreadableFileReason(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return "it is a directory";
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return std::strerror(errno);
    ::close(descriptor);
    return "it cannot be read";
}

std::optional<std::string> outputFolderFault(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    if (!std::filesystem::exists(status)) return "the folder " + folder.string() + " does not exist";
    if (!std::filesystem::is_directory(status)) return folder.string() + " is not a folder";
    // Written as a temporary file beside the target and renamed: the folder must take files.
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder.string() + " cannot be written: " + std::strerror(errno);
    return std::nullopt;
}

bool outputFoldersWritable(const std::vector<std::string>& files) {
    for (const std::string& file : files)
        if (const auto fault = outputFolderFault(file)) {
            std::fprintf(stderr, "Cannot write %s: %s\n", file.c_str(), fault->c_str());
            return false;
        }
    return true;
}

}  // namespace varkel::cli
