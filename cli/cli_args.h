#pragma once

#include <filesystem>
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

// "--name value" (or "--name=value") options and "--flag" switches of one
// subcommand. Parsing fails (with a one-line message on stderr) on an unknown
// option, naming the nearest known one, a value-less option or an option
// given twice. -h/--help and -V/--version count wherever they stand.
class CliArgs {
public:
    CliArgs(std::set<std::string> valueOptions, std::set<std::string> flags)
        : valueOptions_(std::move(valueOptions)), flags_(std::move(flags)) {}

    // Parses, and answers --help (usage on stdout, exitOk), --version or a
    // usage error (usageError) with the code to exit with; nullopt to go on.
    std::optional<int> parseOrExit(int argc, char** argv, const char* usage);

    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    std::string valueOr(const std::string& name, const std::string& fallback) const;

private:
    bool parse(int argc, char** argv);

    std::set<std::string> valueOptions_;
    std::set<std::string> flags_;
    std::map<std::string, std::string> values_;
};

// Prints `message` (when not empty) and "see 'varkel-cli COMMAND --help'" to
// stderr, COMMAND read from the usage's first line; returns exitUsage.
int usageError(const std::string& message, const char* usage);

// "varkel-cli (Varkel Model) VERSION" on stdout; returns exitOk.
int printVersion();

// Whether the word asks for help or for the version, wherever it stands.
bool isHelpWord(const std::string& word);
bool isVersionWord(const std::string& word);

// "20,40" -> {20, 40}; nullopt on anything that is not a comma list of numbers,
// each written whole as a number ("2x", " 3", "+3" and "" are not).
std::optional<std::vector<double>> parseNumberList(const std::string& text);

// A decimal whole number written whole ("8"); nullopt for "2x", "", "1e3" or a
// number beyond the int range.
std::optional<int> parseWholeNumber(const std::string& text);

// --threads as a whole number from 1 to four per core, 0 (one per core) when
// it is not given; nullopt after printing the usage error.
std::optional<int> threadsOption(const CliArgs& args, const char* usage);

// Whether the two paths name the same file (the same file reached by another
// path included), so that an output never overwrites an input.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace varkel::cli
