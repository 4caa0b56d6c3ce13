#include "cli/cli_args.h"
#include "cli/commands.h"
#include "data/append_bar.h"

#include <cstdio>

namespace varkel::cli {

namespace {

constexpr const char* appendUsage =
    "usage: varkel-cli append --file PATH --date D --open O --high H --low L --close C\n"
    "Appends the bar \"D,O,H,L,C\" to the price file PATH (created when missing).\n"
    "D is a calendar date of eight digits (20240716). Prices are whole hundredths (12031)\n"
    "or decimal prices with at most two decimals (120.31, 120.3 for 12030), all four in one form.\n";

}  // namespace

int runAppendCommand(int argc, char** argv) {
    CliArgs args({"file", "date", "open", "high", "low", "close"}, {});
    if (const auto code = args.parseOrExit(argc, argv, appendUsage)) return *code;
    for (const char* option : {"file", "date", "open", "high", "low", "close"}) {
        if (!args.has(option)) return usageError("missing option --" + std::string(option), appendUsage);
    }
    const AppendRequest request{args.valueOr("date", ""), args.valueOr("open", ""),
                                args.valueOr("high", ""), args.valueOr("low", ""),
                                args.valueOr("close", "")};
    const std::string path = args.valueOr("file", "");
    if (path.empty()) return usageError("option --file needs a path", appendUsage);
    const std::optional<double> lastClose = lastFileClose(path);
    const AppendResult result = appendPriceLine(path, request);
    if (result.status != AppendStatus::Appended) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return exitFailed;
    }
    // Appended all the same: scripts feed real closes, but a slip should be seen.
    if (const AppendCheck typed = checkAppendRequest(request); lastClose && closeJumpsFar(*lastClose, typed.values->close))
        std::fprintf(stderr, "note: the close %s lies more than 10 %% from the file's last close %s\n",
                     priceInYen(typed.values->close).c_str(), priceInYen(*lastClose).c_str());
    std::printf("%s\n", result.line.c_str());
    return exitOk;
}

}  // namespace varkel::cli
