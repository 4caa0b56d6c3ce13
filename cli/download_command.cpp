#include "cli/cli_args.h"
#include "cli/commands.h"
#include "data/data_server.h"
#include "data/download.h"

#include <cstdio>
#include <filesystem>

namespace varkel::cli {

namespace {

constexpr const char* downloadUsage =
    "usage: varkel-cli download --product USD/JPY [--server URL] [--dir DIR]\n"
    "Downloads the product's price history into DIR/data/<USD_JPY>.txt (DIR defaults to the\n"
    "current directory). Products: USD/JPY, AUD/JPY, EUR/JPY, GBP/JPY.\n"
    "The server is --server, else $VARKEL_DATA_SERVER, else http://127.0.0.1:8000.\n";

}  // namespace

int runDownloadCommand(int argc, char** argv) {
    CliArgs args({"product", "server", "dir"}, {});
    if (const auto code = args.parseOrExit(argc, argv, downloadUsage)) return *code;
    if (!args.has("product")) return usageError("missing option --product", downloadUsage);
    std::error_code error;
    const std::filesystem::path directory =
        args.has("dir") ? std::filesystem::path(args.valueOr("dir", ""))
                        : std::filesystem::current_path(error);
    if (error) {
        std::fprintf(stderr, "cannot read the current directory: %s\n", error.message().c_str());
        return exitFailed;
    }
    const std::string server = resolveDataServer(args.valueOr("server", ""), "");
    const PriceHistoryDownload result =
        downloadPriceHistory(args.valueOr("product", ""), server, directory);
    if (!result.succeeded) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        if (!result.detail.empty()) std::fprintf(stderr, "(%s)\n", result.detail.c_str());
        return exitFailed;
    }
    std::printf("%s\n", result.targetPath.c_str());
    if (!result.message.empty()) std::printf("%s\n", result.message.c_str());
    return exitOk;
}

}  // namespace varkel::cli
