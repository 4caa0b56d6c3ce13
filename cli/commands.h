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
// varkel-cli build: searches the best trade model for a price history and saves it.
int runBuildCommand(int argc, char** argv);
// varkel-cli signal: the next trading day's signal from the saved trade model.
int runSignalCommand(int argc, char** argv);
// varkel-cli view: the performance viewer's texts, and the rolling Sharpe ratio.
int runViewCommand(int argc, char** argv);
// varkel-cli check: the data-quality report of a price file.
int runCheckCommand(int argc, char** argv);
// varkel-cli edit: corrects or deletes one bar of a price file.
int runEditCommand(int argc, char** argv);
// varkel-cli import: converts a broker export or an OHLC CSV into a price file.
int runImportCommand(int argc, char** argv);
// varkel-cli walkforward: builds fold by fold and tests each model on the bars after its train window.
int runWalkForwardCommand(int argc, char** argv);
// varkel-cli permute: the permutation test of a build, whole or in shards, and the merge of its parts.
int runPermuteCommand(int argc, char** argv);
// varkel-cli scan: every base and filter combination built and tested as one family, whole or in shards.
int runScanCommand(int argc, char** argv);

}  // namespace varkel::cli
