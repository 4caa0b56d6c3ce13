#pragma once

#include "cli/cli_args.h"
#include "search/build_validation.h"
#include "studies/study_kind.h"

#include <optional>
#include <string>

namespace varkel::cli {

// --base, --second and --third as the kinds of the studies the builder uses,
// by their command-line names ("macd", "roc", ...); nothing, after a message
// on stderr, for another name. The choice itself is not validated here.
std::optional<IndexChoice> parseIndexOptions(const CliArgs& args);

// "MACD", "Rate Of Change", ... for a kind; "-" for an index not in use.
std::string indexName(StudyKind kind);

}  // namespace varkel::cli
