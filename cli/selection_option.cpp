#include "cli/selection_option.h"

namespace varkel::cli {

std::optional<TrialSelection> selectionOption(const CliArgs& args, const char* usage) {
    const std::string select = args.valueOr("select", "best");
    if (select == "best") return TrialSelection::best;
    if (select == "plateau") return TrialSelection::plateau;
    usageError("--select needs best or plateau: " + select, usage);
    return std::nullopt;
}

}  // namespace varkel::cli
