#pragma once

namespace varkel::cli {

// One function per subcommand; argv holds the arguments after the subcommand's name.
struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

int runSignalCommand(int argc, char** argv);
int runViewCommand(int argc, char** argv);

}  // namespace varkel::cli
