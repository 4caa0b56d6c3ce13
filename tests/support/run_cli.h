#pragma once

#include "files.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace varkel::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs varkel-cli with `arguments` (each passed as one word) and collects its
// exit code, stdout and stderr.
inline CliRun runCli(const std::vector<std::string>& arguments) {
    const TempDirectory capture;
    const auto quoted = [](const std::string& word) {
        std::string text = "'";
        for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return text + "'";
    };
    std::string command = quoted(VARKEL_CLI_PATH);
    for (const auto& argument : arguments) command += " " + quoted(argument);
    command += " >" + quoted((capture / "out").string()) + " 2>" + quoted((capture / "err").string());
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(capture / "out");
    run.err = readFile(capture / "err");
    return run;
}

// The first `days` lines of the faulty USD/JPY test history as usd.txt in `dir`: a short
// history for commands that search.
inline std::string samplePrefixFile(const TempDirectory& dir, int days) {
    std::ifstream sample(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt");
    const auto path = dir / "usd.txt";
    std::ofstream out(path);
    std::string line;
    for (int i = 0; i < days && std::getline(sample, line); ++i) out << line << '\n';
    return path.string();
}

}  // namespace varkel::test
