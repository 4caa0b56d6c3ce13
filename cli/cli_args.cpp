#include "cli/cli_args.h"

#include "base/work_control.h"
#include "cli/nearest_name.h"

#include <charconv>
#include <cstdio>

namespace varkel::cli {

bool isHelpWord(const std::string& word) { return word == "-h" || word == "--help"; }
bool isVersionWord(const std::string& word) { return word == "-V" || word == "--version"; }

namespace {

// "see 'varkel-cli build --help'": the command is the usage's first word after the program.
std::string helpHint(const char* usage) {
    const std::string text = usage;
    const std::string program = "varkel-cli ";
    const std::size_t start = text.find(program);
    if (start == std::string::npos) return "see 'varkel-cli --help'";
    const std::size_t first = start + program.size();
    const std::string command = text.substr(first, text.find_first_of(" \n", first) - first);
    return "see 'varkel-cli " + command + " --help'";
}

}  // namespace

bool CliArgs::parse(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            std::fprintf(stderr, "unexpected argument: %s\n", arg.c_str());
            return false;
        }
        arg = arg.substr(2);
        std::optional<std::string> joinedValue;
        if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
            joinedValue = arg.substr(equals + 1);
            arg.resize(equals);
        }
        // The same option twice is a slip in a script; taking the last one silently hides it.
        if (values_.count(arg) != 0) {
            std::fprintf(stderr, "option --%s is given more than once\n", arg.c_str());
            return false;
        }
        if (flags_.count(arg) != 0) {
            if (joinedValue) {
                std::fprintf(stderr, "option --%s takes no value\n", arg.c_str());
                return false;
            }
            values_[arg] = "";
        } else if (valueOptions_.count(arg) != 0) {
            if (!joinedValue && i + 1 >= argc) {
                std::fprintf(stderr, "option --%s needs a value\n", arg.c_str());
                return false;
            }
            values_[arg] = joinedValue ? *joinedValue : argv[++i];
        } else {
            std::vector<std::string> known;
            for (const auto* names : {&valueOptions_, &flags_})
                for (const std::string& name : *names) known.push_back("--" + name);
            const auto nearest = nearestName("--" + arg, known);
            std::fprintf(stderr, "unknown option: --%s%s\n", arg.c_str(),
                         nearest ? ("; did you mean " + *nearest + "?").c_str() : "");
            return false;
        }
    }
    return true;
}

std::optional<int> CliArgs::parseOrExit(int argc, char** argv, const char* usage) {
    // Help and the version win over any slip elsewhere on the line, as in git.
    for (int i = 0; i < argc; ++i) {
        if (isHelpWord(argv[i])) {
            std::fputs(usage, stdout);
            return exitOk;
        }
        if (isVersionWord(argv[i])) return printVersion();
    }
    if (!parse(argc, argv)) return usageError("", usage);
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
    std::fprintf(stderr, "%s\n", helpHint(usage).c_str());
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
