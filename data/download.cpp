#include "data/download.h"

#include "base/http_get.h"
#include "data/price_file.h"
#include "data/price_history_check.h"
#include "data/price_history_write.h"
#include "data/product.h"
#include "base/whole_file.h"

namespace varkel {

namespace {

namespace fs = std::filesystem;

PriceHistoryDownload failure(std::string message, const fs::path& target, std::string detail = {}) {
    PriceHistoryDownload result;
    result.message = std::move(message);
    result.detail = std::move(detail);
    result.targetPath = target.string();
    return result;
}

std::string extentText(const HistoryExtent& extent) {
    return std::to_string(extent.bars) + (extent.bars == 1 ? " bar" : " bars") +
           (extent.lastDate > 0 ? " up to " + std::to_string(extent.lastDate) : std::string());
}

std::string historyLossMessage(const fs::path& target, const HistoryExtent& current, const HistoryExtent& next) {
    return "The server's history holds " + extentText(next) + ", less than the " + extentText(current) + " of " +
           target.string() + "; the file was left as it was.";
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
                                          const fs::path& startDirectory, const std::atomic<bool>* cancel,
                                          const DownloadOptions& options) {
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
    // The body stays in memory until it has proved to be a price history, so
    // that nothing but a good history ever replaces the file there.
    std::string body;
    bool tooLarge = false;
    const HttpGetResult response = httpGet(*url, [&body, &tooLarge](const char* data, std::size_t size) {
        tooLarge = size > maxPriceFileBytes - body.size();
        if (!tooLarge) body.append(data, size);
        return !tooLarge;
    }, cancel, options.timeLimit);
    if (response.outcome == HttpGetOutcome::Cancelled) {
        PriceHistoryDownload cancelled = failure(std::string(downloadCancelledMessage), target);
        cancelled.cancelled = true;
        return cancelled;
    }
    if (response.outcome == HttpGetOutcome::TimedOut)
        return failure(std::string(downloadTimedOutMessage) + "it ran longer than " +
                           std::to_string(options.timeLimit.count()) + " s; the earlier file is unchanged.",
                       target, response.detail);
    // The detail names the address tried: a wrong server or path shows at once.
    if (response.outcome == HttpGetOutcome::NetworkFailed)
        return failure(std::string(downloadFailedMessage), target, response.detail + "; tried " + *url);
    if (response.status >= 300)
        return failure(std::string(downloadFailedMessage), target,
                       "HTTP status " + std::to_string(response.status) + " from " + *url);
    std::optional<std::string> fault =
        tooLarge ? "it is larger than " + std::to_string(maxPriceFileBytes / (1024 * 1024)) + " MB"
                 : priceHistoryFault(body);
    if (!fault && !response.framed) fault = unmarkedEndFault(body);
    // Every bar must load: a history the loader reads only in part would
    // pass for the server's whole history.
    if (!fault) fault = priceHistoryWriteFault(body);
    if (fault) return failure(std::string(notAPriceHistoryMessage) + *fault, target);

    // The loss of history is judged on the file as it is under its lock, so
    // that a bar appended meanwhile is counted.
    std::optional<PriceHistoryDownload> lossRefused;
    const OwnedWrite written =
        changePriceHistory(target, PriceHistoryWrite::Replace, [&](const std::optional<std::string>& local) {
            if (local && !options.replaceLongerHistory) {
                const HistoryExtent current = historyExtent(*local);
                const HistoryExtent next = historyExtent(body);
                if (losesHistory(current, next)) {
                    lossRefused = failure(historyLossMessage(target, current, next), target);
                    lossRefused->wouldLoseHistory = true;
                    return OwnedFileChange::refuse(lossRefused->message);
                }
            }
            return OwnedFileChange::to(body);
        });
    if (lossRefused) return *lossRefused;
    if (!written) return failure(written.message, target);

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
    // The last line keeps its line end (LF, CR LF or a lone CR), so the search
    // for the break before it starts in front of that line end.
    std::size_t lineEnd = content.size();
    if (content[lineEnd - 1] == '\n') --lineEnd;
    if (lineEnd > 0 && content[lineEnd - 1] == '\r') --lineEnd;
    const std::size_t previousBreak = lineEnd == 0 ? std::string::npos : content.find_last_of("\r\n", lineEnd - 1);
    const std::size_t start = previousBreak == std::string::npos ? 0 : previousBreak + 1;
    return content.substr(start, 8);
}

}  // namespace varkel
