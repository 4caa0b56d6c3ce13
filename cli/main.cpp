#include "cli/cli_args.h"
#include "cli/commands.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

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
    {"permute", varkel::cli::runPermuteCommand, "could the search have found the model in shuffled prices?"},
};

// The manual page and the shell completion read the command list from here:
// one command per line, its name after two spaces.
void printUsage(std::FILE* out) {
    std::fprintf(out, "usage: varkel-cli <command> [options]   (varkel-cli <command> --help)\n"
                      "       varkel-cli --help | --version\n\ncommands:\n");
    for (const Command& command : commands)
        if (command.run != nullptr) std::fprintf(out, "  %-12s %s\n", command.name, command.summary);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? varkel::cli::exitUsage : varkel::cli::exitOk;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("varkel-cli (Varkel Model) %s\n", VARKEL_VERSION);
        return varkel::cli::exitOk;
    }
    for (const Command& command : commands) {
        if (command.run == nullptr || std::strcmp(argv[1], command.name) != 0) continue;
        // Memory runs out on a huge input or a search too large for the
        // machine: a failed command with a reason, never an abort.
        try {
            return command.run(argc - 2, argv + 2);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "Not enough memory for %s\n", command.name);
            return varkel::cli::exitFailed;
        }
    }
    std::fprintf(stderr, "unknown command: %s\n", argv[1]);
    printUsage(stderr);
    return varkel::cli::exitUsage;
}
