#include "cli/cli_args.h"
#include "cli/commands.h"
#include "data/bar_edit.h"

#include <cstdio>

namespace varkel::cli {

namespace {

constexpr const char* editUsage =
    "usage: varkel-cli edit --file PATH --date D (--delete | --open O --high H --low L --close C)\n"
    "Corrects or deletes the bar dated D (as the file writes it) in the price file PATH,\n"
    "a bar that varkel-cli check flagged, say. Prices are whole hundredths (12031) or\n"
    "decimal prices with at most two decimals (120.31), all four in one form. Prints the\n"
    "line removed and the line written; the rest of the file stays byte for byte.\n";

}  // namespace

int runEditCommand(int argc, char** argv) {
    CliArgs args({"file", "date", "open", "high", "low", "close"}, {"delete"});
    if (const auto code = args.parseOrExit(argc, argv, editUsage)) return *code;
    for (const char* option : {"file", "date"})
        if (args.valueOr(option, "").empty()) return usageError("missing option --" + std::string(option), editUsage);
    const char* prices[] = {"open", "high", "low", "close"};
    int given = 0;
    for (const char* option : prices) given += args.has(option) ? 1 : 0;
    const bool remove = args.has("delete");
    if (remove == (given > 0) || (!remove && given != 4))
        return usageError("give either --delete or all of --open, --high, --low and --close", editUsage);

    BarEdit edit{args.valueOr("date", ""), std::nullopt};
    if (!remove)
        edit.prices = AppendRequest{"", args.valueOr("open", ""), args.valueOr("high", ""), args.valueOr("low", ""),
                                    args.valueOr("close", "")};
    const std::string path = args.valueOr("file", "");
    const BarEditResult result = editPriceBar(path, edit);
    if (result.status != BarEditStatus::Edited) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return exitFailed;
    }
    std::printf("line %d removed: %s\n", result.lineNumber, result.removedLine.c_str());
    if (!result.newLine.empty()) std::printf("line %d written: %s\n", result.lineNumber, result.newLine.c_str());
    return exitOk;
}

}  // namespace varkel::cli
