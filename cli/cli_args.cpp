#include "cli/cli_args.h"

#include "base/work_control.h"

#include <charconv>
#include <cstdio>

namespace varkel::cli {

bool CliArgs::parse(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            std::fprintf(stderr, "unexpected argument: %s\n", arg.c_str());
            return false;
        }
        arg = arg.substr(2);
        // The same option twice is a slip in a script; taking the last one silently hides it.
        if (values_.count(arg) != 0) {
            std::fprintf(stderr, "option --%s is given more than once\n", arg.c_str());
            return false;
        }
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

int usageError(const std::string& message, const char* usage) {
    if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
    std::fputs(usage, stderr);
    return exitUsage;
}

std::optional<int> threadsOption(const CliArgs& args, const char* usage) {
    const auto text = args.value("threads");
    if (!text) return 0;
    const auto count = parseWholeNumber(*text);
    if (!count || *count < 1 || *count > maxWorkerThreads()) {
        usageError("--threads needs a whole number from 1 to " + std::to_string(maxWorkerThreads()) +
                       " (four per core): " + *text,
                   usage);
        return std::nullopt;
    }
    return *count;
}

std::optional<std::vector<double>> parseNumberList(const std::string& text) {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        double value = 0.0;
        const auto [last, error] = std::from_chars(text.data() + start, text.data() + end, value);
        if (end == start || error != std::errc() || last != text.data() + end) return std::nullopt;
        numbers.push_back(value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return numbers;
}

std::optional<int> parseWholeNumber(const std::string& text) {
    int value = 0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || last != text.data() + text.size()) return std::nullopt;
    return value;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    // A file not written yet: compare where the paths lead.
    const auto normal = [](const std::filesystem::path& path) {
        std::error_code ignored;
        const auto resolved = std::filesystem::weakly_canonical(path, ignored);
        return ignored ? std::filesystem::absolute(path, ignored).lexically_normal() : resolved;
    };
    return normal(a) == normal(b);
}

}  // namespace varkel::cli
