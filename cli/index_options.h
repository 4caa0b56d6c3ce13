#pragma once

#include "cli/cli_args.h"
#include "model/build_validation.h"

#include <optional>
#include <string>

namespace varkel::cli {

// --base, --second and --third as study kinds ("macd", "lreg", "tsc", "stoch",
// "keltner", "roc", "ndist"); nothing, after a message on stderr, for an
// unknown name. The choice itself is not validated here.
std::optional<IndexChoice> parseIndexOptions(const CliArgs& args);

// "MACD", "Rate Of Change", ... for a kind; "-" for an index not in use.
std::string indexName(int kind);

}  // namespace varkel::cli
