#include "cli/cli_args.h"
#include "cli/commands.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

using varkel::cli::Command;

// Each subcommand lives in its own file, declared in cli/commands.h.
constexpr Command commands[] = {
    {"studies", varkel::cli::runStudiesCommand, "run technical studies on a price file, print CSV"},
    {"build", varkel::cli::runBuildCommand, "search the best trade model for a price file and save it"},
    {"append", varkel::cli::runAppendCommand, "append one bar typed by hand to a price file"},
    {"download", varkel::cli::runDownloadCommand, "download a product's price history from the data server"},
    {"signal", varkel::cli::runSignalCommand, "next trading day's signal from the saved trade model"},
    {"view", varkel::cli::runViewCommand, "the saved trade model's studies, parameters and figures"},
    {"check", varkel::cli::runCheckCommand, "report what a price file holds that a trader should know"},
    {"edit", varkel::cli::runEditCommand, "correct or delete one bar of a price file"},
    {"import", varkel::cli::runImportCommand, "convert a broker export or an OHLC CSV into a price file"},
    {"walkforward", varkel::cli::runWalkForwardCommand, "build on each train window, test on the bars after it"},
};

void printUsage(std::FILE* out) {
    std::fprintf(out, "usage: varkel-cli <command> [options]   (varkel-cli <command> --help)\n\ncommands:\n");
    for (const Command& command : commands)
        if (command.run != nullptr) std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? varkel::cli::exitUsage : varkel::cli::exitOk;
    }
    for (const Command& command : commands) {
        if (command.run != nullptr && std::strcmp(argv[1], command.name) == 0)
            return command.run(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "unknown command: %s\n", argv[1]);
    printUsage(stderr);
    return varkel::cli::exitUsage;
}
