#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/nearest_name.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

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
    {"scan", varkel::cli::runScanCommand, "which of all base and filter combinations holds up, as a family?"},
};

// The manual page and the shell completion read the command list from here:
// one command per line, its name after two spaces.
void printUsage(std::FILE* out) {
    std::fprintf(out, "usage: varkel-cli <command> [options]   (varkel-cli help <command>)\n"
                      "       varkel-cli -h | --help | help [<command>]\n"
                      "       varkel-cli -V | --version | version\n\ncommands:\n");
    for (const Command& command : commands)
        if (command.run != nullptr) std::fprintf(out, "  %-12s %s\n", command.name, command.summary);
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : commands)
        if (command.run != nullptr && name == command.name) return &command;
    return nullptr;
}

int unknownCommand(const std::string& name) {
    std::vector<std::string> names{"help", "version"};
    for (const Command& command : commands)
        if (command.run != nullptr) names.emplace_back(command.name);
    const auto nearest = varkel::cli::nearestName(name, names);
    std::fprintf(stderr, "unknown command: %s%s\nsee 'varkel-cli --help'\n", name.c_str(),
                 nearest ? ("; did you mean " + *nearest + "?").c_str() : "");
    return varkel::cli::exitUsage;
}

int runCommand(const Command& command, int argc, char** argv) {
    // Memory runs out on a huge input or a search too large for the
    // machine: a failed command with a reason, never an abort.
    try {
        return command.run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Not enough memory for %s\n", command.name);
        return varkel::cli::exitFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    using varkel::cli::isHelpWord;
    using varkel::cli::isVersionWord;
    if (argc < 2) {
        printUsage(stderr);
        return varkel::cli::exitUsage;
    }
    const std::string first = argv[1];
    // "help" and "version" answer for themselves after "help" too.
    const std::string topic = first == "help" && argc > 2 ? argv[2] : first;
    if (isHelpWord(topic) || topic == "help") {
        printUsage(stdout);
        return varkel::cli::exitOk;
    }
    if (isVersionWord(topic) || topic == "version") return varkel::cli::printVersion();
    const Command* command = findCommand(topic);
    if (command == nullptr) return unknownCommand(topic);
    if (first == "help") {
        // "help build" is "build --help".
        char helpWord[] = "--help";
        char* words[] = {helpWord};
        return runCommand(*command, 1, words);
    }
    return runCommand(*command, argc - 2, argv + 2);
}
