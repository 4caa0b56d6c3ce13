#pragma once

#include <array>
#include "base/http_get.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

inline constexpr std::string_view noProductSelectedMessage = "No Trade Product Selected.";
inline constexpr std::string_view unresolvedUrlMessage = "Failed to resolve URL";
inline constexpr std::string_view productNotSupportedMessage = "Product not supported";
inline constexpr std::string_view downloadFailedMessage =
    "Product not supported yet or network connection down.";
// Followed by the reason: "it is empty", "none of its 12 lines holds a bar", ...
inline constexpr std::string_view downloadCancelledMessage = "Download cancelled: the earlier file is unchanged.";
inline constexpr std::string_view notAPriceHistoryMessage = "The server's answer is not a price history: ";

inline constexpr std::string_view downloadTimedOutMessage = "The download took too long and was stopped: ";

// A download of a shorter history than the file holds is refused unless
// `replaceLongerHistory` (the windows ask, the command line wants --replace).
struct DownloadOptions {
    bool replaceLongerHistory = false;
    std::chrono::seconds timeLimit = defaultHttpTimeLimit;
};

// A product the data server offers, and where its history lies on the server.
struct DownloadProduct {
    std::string_view name;
    std::string_view serverPath;
};

inline constexpr std::array<DownloadProduct, 4> downloadProducts{{
    {"USD/JPY", "/Ledger-Vane/1483/data/usd.txt"},
    {"AUD/JPY", "/Ledger-Vane/1483/data/aud.txt"},
    {"EUR/JPY", "/Ledger-Vane/1483/data/eur.txt"},
    {"GBP/JPY", "/Ledger-Vane/1483/data/gbp.txt"},
}};

// The server path for a product text matched exactly (case and whole text);
// nullopt for any other text.
std::optional<std::string_view> serverPathForProduct(std::string_view productText);

// startDirectory/data/<fileStem>.txt
std::filesystem::path downloadTargetPath(const std::filesystem::path& startDirectory,
                                         std::string_view productText);

struct PriceHistoryDownload {
    bool succeeded = false;
    bool cancelled = false;  // stopped by the caller; nothing was written
    // What to tell the user: "Last update = ..." after a download, the reason
    // after a failure; empty when the download succeeded but the stored file
    // could not be read back.
    std::string message;
    std::string detail;      // a technical reason beside a failure message, may be empty
    std::string targetPath;  // the price file written (or that would have been)
    // Not written: the download holds fewer bars, or ends earlier, than the
    // file there (message says both); may be tried again replacing it.
    bool wouldLoseHistory = false;
};

// Fetches the product's whole history from the data server at `baseAddress` and
// stores it as its price file in startDirectory/data (created when missing).
// The body replaces the target (atomically) only after a complete response
// with a status below 300 whose body reads as a price history (see
// priceHistoryFault) whose every bar the loader takes (priceHistoryWriteFault,
// the first line it would refuse named), is at most maxPriceFileBytes long and, when the server
// did not say where it ends, ends with a whole bar (unmarkedEndFault): a
// failed, broken or nonsensical download leaves an earlier file as it was, and
// so does one stopped by setting `cancel` or by the time limit. Under the
// file's lock, a body that would lose bars of the file there (losesHistory)
// replaces it only with options.replaceLongerHistory.
PriceHistoryDownload downloadPriceHistory(std::string_view productText, std::string_view baseAddress,
                                          const std::filesystem::path& startDirectory,
                                          const std::atomic<bool>* cancel = nullptr,
                                          const DownloadOptions& options = {});

// The first eight characters of the file's last line (a shorter line whole, its
// line end included); empty for an empty file, nullopt when it cannot be read.
std::optional<std::string> lastUpdateText(const std::filesystem::path& path);

}  // namespace varkel
