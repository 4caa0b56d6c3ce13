#include "cli/index_options.h"

#include <cstdio>
#include <map>

namespace varkel::cli {

namespace {

const std::map<std::string, int> kindsByOption = {
    {"macd", 5}, {"tsc", 8}, {"roc", 9}, {"lreg", 10}, {"ndist", 11}, {"stoch", 12}, {"keltner", 13}};

}  // namespace

std::optional<IndexChoice> parseIndexOptions(const CliArgs& args) {
    IndexChoice choice;
    struct IndexOption {
        const char* name;
        int* kind;
        bool* use;
    };
    const IndexOption indexOptions[] = {{"base", &choice.baseKind, nullptr},
                                        {"second", &choice.secondKind, &choice.use2nd},
                                        {"third", &choice.thirdKind, &choice.use3rd}};
    for (const IndexOption& option : indexOptions) {
        const auto text = args.value(option.name);
        if (!text) continue;
        const auto found = kindsByOption.find(*text);
        if (found == kindsByOption.end()) {
            std::fprintf(stderr, "unknown index for --%s: %s\n", option.name, text->c_str());
            return std::nullopt;
        }
        *option.kind = found->second;
        if (option.use != nullptr) *option.use = true;
    }
    return choice;
}

std::string indexName(int kind) {
    switch (kind) {
        case 5: return "MACD";
        case 8: return "Time Series Correlation";
        case 9: return "Rate Of Change";
        case 10: return "Linear Regression";
        case 11: return "Normal Distribution";
        case 12: return "Stochastics";
        case 13: return "Keltner Channels";
        default: return "-";
    }
}

}  // namespace varkel::cli
