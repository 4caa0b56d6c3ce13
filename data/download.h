#pragma once

#include <array>
#include <atomic>
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
};

// Fetches the product's whole history from the data server at `baseAddress` and
// stores it as its price file in startDirectory/data (created when missing).
// The body replaces the target (atomically) only after a complete response
// with a status below 300 whose body reads as a price history (see
// priceHistoryFault) and is at most maxPriceFileBytes long: a failed, broken or
// nonsensical download leaves an earlier file as it was, and so does one
// stopped by setting `cancel`.
PriceHistoryDownload downloadPriceHistory(std::string_view productText, std::string_view baseAddress,
                                          const std::filesystem::path& startDirectory,
                                          const std::atomic<bool>* cancel = nullptr);

// The first eight characters of the file's last line (a shorter line whole, its
// line end included); empty for an empty file, nullopt when it cannot be read.
std::optional<std::string> lastUpdateText(const std::filesystem::path& path);

}  // namespace varkel
