#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using varkel::test::readFile;
using varkel::test::runCli;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

const std::string prices = "20240102,12031,12110,12009,12100\n20240103,12100,12150,12050,12120\n"
                           "20240104,12120,12200,12100,12180\n20240105,12180,12190,12010,12020\n";
const std::string model = "10\n3\n-1\n-1\n  0.000000\n-999\n-1\n-1\n-999.000000\n-999\n-1\n-1\n-999.000000\n"
                          "-999.000000\n-999.000000\n  0.000000\n  0.000000\n0\n0\n0\n  0.000000\n  0.000000\n"
                          "  0.000000";

}  // namespace

// Every usage error exits 2 with a one-line message and where to find help,
// before anything is read or written; numbers in options are taken only when written whole.
TEST(UsageErrors, ExitTwoWithTheUsageAndTouchNothing) {
    const TempDirectory dir;
    const std::string d = dir.path().string();
    const std::string file = (dir / "prices.txt").string();
    const std::string modelFile = (dir / "USD_JPY.pfm").string();
    writeFile(file, prices);
    writeFile(modelFile, model);
    const std::vector<std::string> build{"build", "--product", "USD/JPY", "--file", file, "--base", "lreg", "--dir", d};
    const std::vector<std::string> studies{"studies", "--product", "USD/JPY", "--file", file};
    const std::vector<std::string> signal{"signal", "--product", "USD/JPY", "--dir", d};
    const std::vector<std::string> view{"view", "--product", "USD/JPY", "--file", file, "--dir", d};
    const auto with = [](std::vector<std::string> words, std::initializer_list<std::string> more) {
        words.insert(words.end(), more);
        return words;
    };
    const std::vector<std::vector<std::string>> cases{
        with(build, {"--threads", "99999999999"}),
        with(build, {"--threads", "2x"}),
        with(build, {"--threads", "0"}),
        with(build, {"--threads", "1000000"}),
        with(build, {"--threads", ""}),
        {"build", "--product", "", "--file", file, "--base", "lreg", "--dir", d},
        {"build", "--product", "USD/JPY", "--file", modelFile, "--base", "lreg", "--dir", d},
        with(studies, {"--ma", "-3,5"}),
        with(studies, {"--rsi", "0x10"}),
        with(studies, {"--rsi", " 14"}),
        with(studies, {"--rsi", "14,"}),
        with(studies, {"--rsi", "3", "--out", file}),
        with(studies, {"--rsi", "3", "--out", d + "/./prices.txt"}),
        {"studies", "--product", "", "--file", file, "--rsi", "3"},
        with(signal, {"--file", modelFile}),
        with(signal, {"--file", (dir / "strategy/USD_JPY.csv").string()}),
        {"signal", "--product", "", "--file", file, "--dir", d},
        with(view, {"--sharpe-csv", modelFile}),
        with(view, {"--sharpe-csv", file}),
        {"view", "--product", "", "--file", file, "--dir", d},
        {"append", "--file", "", "--date", "20240108", "--open", "1", "--high", "1", "--low", "1", "--close", "1"},
        {"download", "--server", "http://127.0.0.1:1"},
        {"download", "--product", "USD/JPY", "--timeout", "0", "--dir", d},
        // Strict where a slip used to pass: an option twice, a span written
        // as a fraction or an exponent, a multiplier a model would refuse, a
        // product whose model file name cannot be written.
        with(studies, {"--rsi", "3", "--rsi", "4"}),
        with(build, {"--base", "macd"}),
        with(studies, {"--ma", "1e1,20"}),
        with(studies, {"--rsi", "3.0"}),
        with(studies, {"--keltner", "3,3,-5"}),
        {"build", "--product", std::string(240, 'P'), "--file", file, "--base", "lreg", "--dir", d},
        {"signal", "--product", std::string(240, 'P'), "--file", file, "--dir", d},
    };
    for (const auto& words : cases) {
        std::string line;
        for (const auto& word : words) line += " '" + word + "'";
        const auto run = runCli(words);
        EXPECT_EQ(run.exitCode, 2) << line << "\n" << run.err;
        // One line that says what is wrong, one that says where help is.
        EXPECT_TRUE(run.err.ends_with("\nsee 'varkel-cli " + words[0] + " --help'\n")) << line << "\n" << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << line << "\n" << run.err;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_EQ(readFile(file), prices);
    EXPECT_EQ(readFile(modelFile), model);
    EXPECT_FALSE(std::filesystem::exists(dir / "strategy"));

    // The same command lines with sound values run.
    EXPECT_EQ(runCli(with(studies, {"--rsi", "3", "--out", (dir / "rsi.csv").string()})).exitCode, 0);
    EXPECT_EQ(runCli(with(view, {"--sharpe-csv", (dir / "sharpe.csv").string()})).exitCode, 0);
}
