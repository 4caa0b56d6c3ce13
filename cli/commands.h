#pragma once

namespace varkel::cli {

// One function per subcommand; argv holds the arguments after the subcommand's name.
struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

int runAppendCommand(int argc, char** argv);
int runDownloadCommand(int argc, char** argv);
// varkel-cli studies: runs technical studies on a price file and prints them as CSV.
int runStudiesCommand(int argc, char** argv);

}  // namespace varkel::cli
