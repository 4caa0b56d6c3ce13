// varkel-cli scan from outside: a whole scan and its shards merged print the
// same bytes and write the same CSV, parts that do not make one scan are
// refused, and option values are usage errors.
#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using varkel::test::readFile;
using varkel::test::runCli;
using varkel::test::samplePrefixFile;
using varkel::test::TempDirectory;

std::vector<std::string> scanArguments(const std::string& history, std::vector<std::string> more) {
    std::vector<std::string> arguments = {"scan",    "--product",      "USD/JPY",       "--file",  history,
                                          "--bases", "lreg",           "--filters",     "roc,ndist",
                                          "--permutations", "5", "--seed", "3"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(CliScan, ShardsMergeToTheWholeScansReportAndCsv) {
    const TempDirectory dir;
    const std::string history = samplePrefixFile(dir, 400);
    const auto whole = runCli(scanArguments(history, {"--csv", (dir / "whole.csv").string()}));
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    // lreg alone, with roc or ndist, and with both in either order.
    EXPECT_EQ(whole.out.rfind("Scan of USD/JPY: --bases lreg --filters roc,ndist --select best\n"
                              "5 combinations, 5 permutations (seed 3; their overnight moves and day shapes shuffled "
                              "separately)\nRank  Product  Combination",
                              0),
              0u)
        << whole.out;
    EXPECT_NE(whole.out.find("after the whole family is taken into account"), std::string::npos) << whole.out;
    EXPECT_NE(whole.out.find("With 5 shuffled histories no build can reach p below 0.05"), std::string::npos);
    std::vector<std::string> parts;
    for (const char* shard : {"1/2", "2/2"}) {
        const auto run = runCli(scanArguments(history, {"--shard", shard, "--dir", dir.path().string()}));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        parts.push_back((dir / (std::string("scan-") + shard[0] + "-of-2.part")).string());
    }
    const auto merged = runCli({"scan", "--merge", parts[1], parts[0], "--csv", (dir / "merged.csv").string()});
    ASSERT_EQ(merged.exitCode, 0) << merged.err;
    EXPECT_EQ(merged.out, whole.out);
    EXPECT_EQ(readFile(dir / "merged.csv"), readFile(dir / "whole.csv"));
    const std::string csv = readFile(dir / "whole.csv");
    EXPECT_EQ(csv.rfind("Rank,Product,Combination,Options,In-sample net,Trades,p,Adjusted p,On flagged bars\n1,USD/JPY,", 0),
              0u)
        << csv;

    const auto missing = runCli({"scan", "--merge", parts[0]});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Shard 2/2 is missing: permutations 1, 3, 5, ... are not covered\n");
    const auto foreign = runCli({"scan", "--merge", history});
    EXPECT_EQ(foreign.exitCode, 1);
    EXPECT_EQ(foreign.err, history + " is not a scan part file: line 1: not a scan part file\n");
}

TEST(CliScan, OptionValuesAreUsageErrors) {
    const TempDirectory dir;
    const std::string history = samplePrefixFile(dir, 100);
    struct Case {
        std::vector<std::string> arguments;
        std::string firstLine;
    };
    const std::vector<Case> cases = {
        {{"scan", "--product", "USD/JPY"}, "scan needs --product and --file for each product, in pairs"},
        {{"scan", "--product", "USD/JPY", "--file", history, "--bases", "lerg"},
         "--bases takes macd, lreg, tsc, stoch, keltner, not lerg; did you mean lreg?"},
        {{"scan", "--product", "USD/JPY", "--file", history, "--filters", "macd"},
         "--filters takes lreg, tsc, roc, ndist, not macd"},
        {{"scan", "--product", "USD/JPY", "--file", history, "--walkforward", "300"},
         "--walkforward needs TRAIN,TEST, two whole numbers of bars: 300"},
        {{"scan", "--product", "USD/JPY", "--file", history, "--permutations", "4", "--shard", "1/2", "--csv", "a.csv"},
         "--csv goes with a whole scan or --merge, not with --shard"},
        {{"scan", "--product", "USD/JPY", "--file", history, "--shard", "1/2"},
         "A scan is cut into shards by its permutations: give some"},
        {{"scan", "--merge", "a.part", "--product", "USD/JPY"},
         "--merge reads the products from the parts: drop --product and --file"},
    };
    for (const Case& c : cases) {
        const auto run = runCli(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.firstLine);
    }
}

}  // namespace
