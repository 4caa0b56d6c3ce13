#include "cli/cli_args.h"
#include "cli/commands.h"
#include "data/append_bar.h"

#include <cstdio>

namespace varkel::cli {

namespace {

constexpr const char* appendUsage =
    "usage: varkel-cli append --file PATH --date D --open O --high H --low L --close C\n"
    "Appends the bar \"D,O,H,L,C\" to the price file PATH (created when missing).\n"
    "Prices are whole numbers in hundredths without a decimal point (12031 for 120.31).\n";

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
    const AppendResult result = appendPriceLine(path, request);
    if (result.status != AppendStatus::Appended) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return exitFailed;
    }
    std::printf("%s\n", result.line.c_str());
    return exitOk;
}

}  // namespace varkel::cli
