#include "cli/cli_args.h"

#include <cstdio>

namespace varkel::cli {

int printVersion() {
    std::printf("varkel-cli (Varkel Model) %s\n", VARKEL_VERSION);
    return exitOk;
}

}  // namespace varkel::cli
