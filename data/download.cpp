#include "data/download.h"

#include "data/http_get.h"
#include "data/product.h"
#include "data/whole_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace varkel {

namespace {

namespace fs = std::filesystem;

// The body of one download on its way to disk: a hidden file beside the target,
// created exclusively so that two downloads never share one.
class PartFile {
public:
    explicit PartFile(const fs::path& target) {
        static std::atomic<unsigned> downloadsStarted{0};
        const auto clock =
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
            char suffix[48];
            std::snprintf(suffix, sizeof suffix, ".part-%llx-%x", clock, downloadsStarted++);
            path_ = target.parent_path() / ("." + target.filename().string() + suffix);
            file_ = std::fopen(path_.c_str(), "wbx");
            error_ = file_ == nullptr ? errno : 0;
            if (file_ == nullptr && error_ != EEXIST) break;
        }
        created_ = file_ != nullptr;
    }
    ~PartFile() {
        if (file_ != nullptr) std::fclose(file_);
        if (created_ && !kept_) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool opened() const { return file_ != nullptr; }
    const fs::path& path() const { return path_; }
    std::string errorText() const { return std::strerror(error_); }

    bool write(const char* data, std::size_t size) {
        if (std::fwrite(data, 1, size, file_) == size) return true;
        error_ = errno;
        return false;
    }

    // False (with the reason kept) when the last buffered bytes cannot be written.
    bool close() {
        const int closed = std::fclose(file_);
        file_ = nullptr;
        if (closed != 0) error_ = errno;
        return closed == 0;
    }

    std::error_code replace(const fs::path& target) {
        std::error_code error;
        fs::rename(path_, target, error);
        kept_ = !error;
        return error;
    }

private:
    fs::path path_;
    std::FILE* file_ = nullptr;
    int error_ = 0;
    bool created_ = false;
    bool kept_ = false;
};

PriceHistoryDownload failure(std::string message, const fs::path& target, std::string detail = {}) {
    PriceHistoryDownload result;
    result.message = std::move(message);
    result.detail = std::move(detail);
    result.targetPath = target.string();
    return result;
}

}  // namespace

std::optional<std::string_view> serverPathForProduct(std::string_view productText) {
    for (const DownloadProduct& product : downloadProducts)
        if (product.name == productText) return product.serverPath;
    return std::nullopt;
}

fs::path downloadTargetPath(const fs::path& startDirectory, std::string_view productText) {
    return startDirectory / "data" / (fileStem(productText) + ".txt");
}

PriceHistoryDownload downloadPriceHistory(std::string_view productText, std::string_view baseAddress,
                                          const fs::path& startDirectory) {
    if (productText.empty()) return failure(std::string(noProductSelectedMessage), {});
    const fs::path target = downloadTargetPath(startDirectory, productText);
    const auto serverPath = serverPathForProduct(productText);
    // The address is checked before the product, so a bad address is reported
    // whatever was chosen.
    const auto url = httpUrlForPath(baseAddress, serverPath.value_or("/"));
    if (!url) return failure(std::string(unresolvedUrlMessage), target);
    if (!serverPath) return failure(std::string(productNotSupportedMessage), target);

    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error)
        return failure("Failed to create directory " + target.parent_path().string() + ": " +
                           error.message(),
                       target);
    PartFile part(target);
    if (!part.opened())
        return failure("Failed to create file " + part.path().string() + ": " + part.errorText(),
                       target);

    const HttpGetResult response =
        httpGet(*url, [&part](const char* data, std::size_t size) { return part.write(data, size); });
    if (response.outcome == HttpGetOutcome::SinkRefused)
        return failure("Failed to write file " + part.path().string() + ": " + part.errorText(), target);
    if (response.outcome == HttpGetOutcome::NetworkFailed)
        return failure(std::string(downloadFailedMessage), target, response.detail);
    if (response.status >= 300)
        return failure(std::string(downloadFailedMessage), target,
                       "HTTP status " + std::to_string(response.status));
    if (!part.close())
        return failure("Failed to write file " + part.path().string() + ": " + part.errorText(), target);
    if (const std::error_code moved = part.replace(target))
        return failure("Failed to replace file " + target.string() + ": " + moved.message(), target);

    PriceHistoryDownload result;
    result.succeeded = true;
    result.targetPath = target.string();
    if (const auto lastUpdate = lastUpdateText(target)) result.message = "Last update = " + *lastUpdate;
    return result;
}

std::optional<std::string> lastUpdateText(const fs::path& path) {
    const auto read = readWholeFile(path);
    if (!read) return std::nullopt;
    const std::string& content = *read;
    if (content.empty()) return std::string();
    // The last line keeps its line end, so the search for the break before it
    // starts in front of the file's last character.
    const std::size_t lastCharacter = content.size() - 1;
    const std::size_t previousBreak =
        lastCharacter == 0 ? std::string::npos : content.rfind('\n', lastCharacter - 1);
    const std::size_t start = previousBreak == std::string::npos ? 0 : previousBreak + 1;
    return content.substr(start, 8);
}

}  // namespace varkel
