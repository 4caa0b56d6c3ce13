#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using varkel::test::runCli;
using varkel::test::TempDirectory;

}  // namespace

// A history with no bars (an empty file, or one whose every line is refused)
// gives no figures: each command says so, exits 1 and writes nothing.
TEST(CliEmptyHistory, EveryCommandRefusesIt) {
    const TempDirectory dir;
    const auto model = dir / "USD_JPY.pfm";
    const std::string modelText = "10\n3\n-1\n-1\n0.000000\n-999\n-1\n-1\n-999.000000\n-999\n-1\n-1\n"
                                  "-999.000000\n-999.000000\n-999.000000\n0\n0\n0\n0\n0\n0\n0\n0";
    varkel::test::writeFile(model, modelText);
    const auto empty = dir / "empty.txt";
    varkel::test::writeFile(empty, "");
    const auto titleOnly = dir / "title.txt";
    varkel::test::writeFile(titleOnly, "Date,Open,High,Low,Close\n");
    const std::string d = dir.path().string();
    struct Case {
        std::vector<std::string> arguments;
        const char* purpose;
    };
    for (const auto& file : {empty.string(), titleOnly.string()}) {
        const Case cases[] = {
            {{"signal", "--product", "USD/JPY", "--file", file, "--dir", d}, "the daily signal"},
            {{"view", "--product", "USD/JPY", "--file", file, "--dir", d, "--sharpe-csv", d + "/s.csv"},
             "the performance viewer"},
            {{"studies", "--product", "USD/JPY", "--file", file, "--rsi", "14", "--out", d + "/st.csv"},
             "a study"},
            {{"build", "--product", "USD/JPY", "--file", file, "--base", "lreg", "--dir", d}, "a build"},
        };
        for (const Case& c : cases) {
            const auto run = runCli(c.arguments);
            EXPECT_EQ(run.exitCode, 1) << c.arguments[0] << " " << file;
            EXPECT_NE(run.err.find("The history of USD/JPY has 0 bars: " + std::string(c.purpose) +
                                   " needs at least "),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(run.out, "") << c.arguments[0];
        }
    }
    EXPECT_EQ(varkel::test::readFile(model), modelText);
    EXPECT_FALSE(std::filesystem::exists(dir / "strategy"));
    EXPECT_FALSE(std::filesystem::exists(dir / "s.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "st.csv"));
}
