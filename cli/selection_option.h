#pragma once

#include "cli/cli_args.h"
#include "search/trial_selection.h"

#include <optional>

namespace varkel::cli {

// --select best|plateau: which trial every layer keeps (best when not given);
// nullopt after printing the usage error.
std::optional<TrialSelection> selectionOption(const CliArgs& args, const char* usage);

}  // namespace varkel::cli
