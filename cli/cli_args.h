#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace varkel::cli {

// Exit codes shared by every subcommand.
inline constexpr int exitOk = 0;
inline constexpr int exitFailed = 1;  // bad input or a failed operation
inline constexpr int exitUsage = 2;

// "--name value" options and "--flag" switches of one subcommand. Parsing fails
// (with a message on stderr) on an unknown option or a value-less option.
class CliArgs {
public:
    CliArgs(std::set<std::string> valueOptions, std::set<std::string> flags)
        : valueOptions_(std::move(valueOptions)), flags_(std::move(flags)) {}

    bool parse(int argc, char** argv);
    // Parses, and answers a usage error (usage on stderr, exitUsage) or --help
    // (usage on stdout, exitOk) with the code to exit with; nullopt to go on.
    std::optional<int> parseOrExit(int argc, char** argv, const char* usage);

    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    std::string valueOr(const std::string& name, const std::string& fallback) const;
    bool helpRequested() const { return has("help"); }

private:
    std::set<std::string> valueOptions_;
    std::set<std::string> flags_;
    std::map<std::string, std::string> values_;
};

// "250" -> 250; nullopt unless the whole text is a decimal whole number that fits an int.
std::optional<int> parseWholeNumber(const std::string& text);

// "20,40" -> {20, 40}; nullopt on anything that is not a comma list of numbers.
std::optional<std::vector<double>> parseNumberList(const std::string& text);

}  // namespace varkel::cli
