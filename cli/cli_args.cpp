#include "cli/cli_args.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace varkel::cli {

bool CliArgs::parse(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            std::fprintf(stderr, "unexpected argument: %s\n", arg.c_str());
            return false;
        }
        arg = arg.substr(2);
        if (arg == "help" || flags_.count(arg) != 0) {
            values_[arg] = "";
        } else if (valueOptions_.count(arg) != 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "option --%s needs a value\n", arg.c_str());
                return false;
            }
            values_[arg] = argv[++i];
        } else {
            std::fprintf(stderr, "unknown option: --%s\n", arg.c_str());
            return false;
        }
    }
    return true;
}

std::optional<int> CliArgs::parseOrExit(int argc, char** argv, const char* usage) {
    if (!parse(argc, argv)) {
        std::fputs(usage, stderr);
        return exitUsage;
    }
    if (helpRequested()) {
        std::fputs(usage, stdout);
        return exitOk;
    }
    return std::nullopt;
}

bool CliArgs::has(const std::string& name) const { return values_.count(name) != 0; }

std::optional<std::string> CliArgs::value(const std::string& name) const {
    const auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::string CliArgs::valueOr(const std::string& name, const std::string& fallback) const {
    return value(name).value_or(fallback);
}

std::optional<int> parseWholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

std::optional<std::vector<double>> parseNumberList(const std::string& text) {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string piece =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        char* end = nullptr;
        const double value = std::strtod(piece.c_str(), &end);
        if (piece.empty() || *end != '\0') return std::nullopt;
        numbers.push_back(value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return numbers;
}

}  // namespace varkel::cli
