#include "cli/cli_args.h"
#include "cli/commands.h"
#include "data/data_server.h"
#include "data/download.h"

#include <cstdio>
#include <filesystem>

namespace varkel::cli {

namespace {

constexpr const char* downloadUsage =
    "usage: varkel-cli download --product USD/JPY [--server URL] [--dir DIR] [--replace]\n"
    "                           [--timeout SECONDS]\n"
    "Downloads the product's price history into DIR/data/<USD_JPY>.txt (DIR defaults to the\n"
    "current directory). Products: USD/JPY, AUD/JPY, EUR/JPY, GBP/JPY.\n"
    "The server is --server, else $VARKEL_DATA_SERVER, else http://127.0.0.1:8000.\n"
    "A history with fewer bars than the file there, or ending earlier, replaces it only\n"
    "with --replace. The whole download may take --timeout seconds (default 300).\n";

}  // namespace

int runDownloadCommand(int argc, char** argv) {
    CliArgs args({"product", "server", "dir", "timeout"}, {"replace"});
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
    DownloadOptions options;
    options.replaceLongerHistory = args.has("replace");
    if (const auto timeout = args.value("timeout")) {
        const auto seconds = parseWholeNumber(*timeout);
        if (!seconds || *seconds < 1)
            return usageError("--timeout needs a whole number of seconds, at least 1: " + *timeout, downloadUsage);
        options.timeLimit = std::chrono::seconds(*seconds);
    }
    const std::string server = resolveDataServer(args.valueOr("server", ""), "");
    const PriceHistoryDownload result =
        downloadPriceHistory(args.valueOr("product", ""), server, directory, nullptr, options);
    if (!result.succeeded) {
        std::fprintf(stderr, "%s%s\n", result.message.c_str(),
                     result.wouldLoseHistory ? " Add --replace to replace it all the same." : "");
        if (!result.detail.empty()) std::fprintf(stderr, "(%s)\n", result.detail.c_str());
        return exitFailed;
    }
    std::printf("%s\n", result.targetPath.c_str());
    if (!result.message.empty()) std::printf("%s\n", result.message.c_str());
    return exitOk;
}

}  // namespace varkel::cli
