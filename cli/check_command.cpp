#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/file_faults.h"
#include "cli/product_option.h"
#include "data/price_check_texts.h"
#include "data/price_file.h"

#include <cstdio>

namespace varkel::cli {

namespace {

constexpr int exitFindings = 3;

const char* const checkUsage =
    "usage: varkel-cli check --file PATH [--product NAME]\n"
    "\n"
    "Checks a price file and prints one line per finding, then a summary: lines not\n"
    "loaded (unreadable, repeated or out-of-order dates), impossible dates, gaps of\n"
    "more than 5 calendar days and runs of 5 or more identical bars.\n"
    "Likely wrong prices: high below low or open/close outside high..low, a close\n"
    "that leaves both neighbours and comes back the next day (spike), a high or low\n"
    "absurd against the bar's own open and close, and a bar that repeats such a\n"
    "price of its neighbour. Unusual moves, which real markets make and which are\n"
    "not offered for correction: a long wick far beyond the neighbouring bars with\n"
    "the close within them, and a large move that does not come back. History\n"
    "findings: the share of the variance between one close and the next open, the\n"
    "share of bars that open at their own close and the lag-1 autocorrelation of\n"
    "daily moves, when far from clean daily FX. Lines with a price of zero or below,\n"
    "a price more than 100 times the median close (or below 1/100 of it) and a\n"
    "cut-short last line are not loaded; dates that are not eight digits are\n"
    "reported. Changes nothing; varkel-cli edit corrects or deletes a bar. Exit\n"
    "code 0 when clean, 3 when something was found, 1 when the file cannot be read\n"
    "or holds no bar.\n";

}  // namespace

int runCheckCommand(int argc, char** argv) {
    CliArgs args({"file", "product"}, {});
    if (const auto code = args.parseOrExit(argc, argv, checkUsage)) return *code;
    const std::string path = args.valueOr("file", "");
    if (path.empty()) return usageError("check needs --file", checkUsage);
    // Without --product the bars are checked under a name of no pair.
    const std::string product = args.valueOr("product", "PRICE");
    if (args.has("product"))
        if (const auto fault = productFault(product)) return usageError(*fault, checkUsage);
    const PriceCheck check = checkPriceFile(path, product);
    if (check.tooLarge) {
        std::fprintf(stderr, "%s\n", priceFileTooLargeMessage(path).c_str());
        return exitFailed;
    }
    if (!check.readable) {
        std::fprintf(stderr, "Cannot read price file %s: %s\n", path.c_str(), unreadableFileReason(path).c_str());
        return exitFailed;
    }
    for (const DataFinding& finding : check.findings) std::printf("%s\n", describeFinding(finding).c_str());
    for (const std::string& line : describeHistoryFindings(check)) std::printf("%s\n", line.c_str());
    // A file without a single bar is no price history, whatever else it holds.
    if (check.barsLoaded == 0) {
        std::fprintf(stderr, "%s holds no price bars (%d %s read)\n", path.c_str(), check.linesRead,
                     check.linesRead == 1 ? "line" : "lines");
        return exitFailed;
    }
    std::printf("%s: %s\n", path.c_str(), checkSummary(check).c_str());
    return check.findings.empty() && check.historyFindings.empty() ? exitOk : exitFindings;
}

}  // namespace varkel::cli
