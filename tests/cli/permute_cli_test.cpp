// varkel-cli permute from outside: the report of a whole run and of its
// shards merged are the same bytes, parts that do not make one run are
// refused, and option values are usage errors.
#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

using varkel::test::runCli;
using varkel::test::samplePrefixFile;
using varkel::test::TempDirectory;
using varkel::test::readFile;

std::vector<std::string> runArguments(const std::string& history) {
    return {"permute", "--product", "USD/JPY", "--file", history, "--base", "lreg", "--second", "roc",
            "--permutations", "7", "--seed", "99"};
}

// The arguments with `more` added; an option given in both takes the value of `more`
// (the command refuses an option given twice).
std::vector<std::string> with(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    for (std::size_t i = 0; i < more.size(); ++i) {
        const auto given = std::find(arguments.begin(), arguments.end(), more[i]);
        if (more[i].rfind("--", 0) == 0 && i + 1 < more.size() && more[i + 1].rfind("--", 0) != 0 &&
            given != arguments.end() && given + 1 != arguments.end()) {
            *(given + 1) = more[++i];
            continue;
        }
        arguments.push_back(more[i]);
    }
    return arguments;
}

}  // namespace

TEST(CliPermute, ShardsMergeToTheWholeRunsReportAndCsv) {
    const TempDirectory dir;
    const std::string history = samplePrefixFile(dir, 500);
    const auto whole = runCli(with(runArguments(history), {"--csv", (dir / "whole.csv").string()}));
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_EQ(whole.out.rfind("Permutation test of USD/JPY: --base lreg --second roc --select best\n"
                              "7 permutations, seed 99\n",
                              0),
              0u)
        << whole.out;
    EXPECT_NE(whole.out.find("On 7 histories with their overnight moves and day shapes shuffled separately, the search"),
              std::string::npos);
    // Seven histories can never give a p below 0.05 (at best 1/8): the report says so.
    EXPECT_NE(whole.out.find("With 7 shuffled histories no build can reach p below 0.05: the test needs at least 20."),
              std::string::npos)
        << whole.out;
    const std::string csv = readFile(dir / "whole.csv");
    EXPECT_EQ(csv.rfind("Permutation,Base Index,2nd Index\n1,", 0), 0u) << csv;

    for (const int count : {1, 2, 4}) {
        std::vector<std::string> merge = {"permute", "--merge"};
        for (int number = 1; number <= count; ++number) {
            const std::string shard = std::to_string(number) + "/" + std::to_string(count);
            const auto part = runCli(with(runArguments(history), {"--shard", shard, "--dir", dir.path().string()}));
            ASSERT_EQ(part.exitCode, 0) << part.err;
            merge.push_back(
                (dir / ("permute-" + std::to_string(number) + "-of-" + std::to_string(count) + ".part")).string());
        }
        const auto merged = runCli(with(merge, {"--csv", (dir / "merged.csv").string()}));
        ASSERT_EQ(merged.exitCode, 0) << merged.err;
        // The merge reads no price file, so it has no data-quality note to add after the report.
        EXPECT_EQ(merged.out, whole.out.substr(0, whole.out.find("The history has"))) << count;
        EXPECT_EQ(readFile(dir / "merged.csv"), csv) << count;
    }

    const std::string part1 = (dir / "permute-1-of-4.part").string();
    const std::string part2 = (dir / "permute-2-of-4.part").string();
    const std::string part3 = (dir / "permute-3-of-4.part").string();
    const std::string part4 = (dir / "permute-4-of-4.part").string();
    const auto other = runCli(with(runArguments(history), {"--seed", "98", "--shard", "4/4", "--part",
                                                           (dir / "other.part").string()}));
    ASSERT_EQ(other.exitCode, 0) << other.err;
    struct Refusal {
        std::vector<std::string> parts;
        std::string message;
    };
    const Refusal refusals[] = {
        {{part1, part2, part4}, "Shard 3/4 is missing: permutations 2, 6, ... are not covered\n"},
        {{part1, part2, part2, part3, part4}, "Shard 2/4 is given twice: " + part2 + " and " + part2 + "\n"},
        {{part1, part2, part3, (dir / "other.part").string()},
         dir.path().string() + "/other.part is not a part of the same run as " + part1 + ": its seed is 98, not 99\n"},
        {{part1, history}, history + " is not a permutation part file: line 1: not a permutation part file\n"},
    };
    for (const Refusal& refusal : refusals) {
        const auto run = runCli(with({"permute", "--merge"}, refusal.parts));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, refusal.message);
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliPermute, WritesAPermutedHistoryAndRefusesBadValuesAsUsageErrors) {
    const TempDirectory dir;
    const std::string history = samplePrefixFile(dir, 300);
    const auto written = runCli({"permute", "--product", "USD/JPY", "--file", history, "--write-history", "5",
                                 "p5.txt", "--seed", "3", "--dir", dir.path().string()});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    const std::string text = readFile(dir / "p5.txt");
    const std::string original = readFile(history);
    EXPECT_EQ(text.substr(0, text.find('\n')), original.substr(0, original.find('\n')));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 300);
    EXPECT_NE(text, original);

    const std::vector<std::string> usageErrors[] = {
        with(runArguments(history), {"--permutations", "0"}),
        with(runArguments(history), {"--permutations", "1000001"}),
        with(runArguments(history), {"--seed", "-1"}),
        with(runArguments(history), {"--shard", "5/4"}),
        with(runArguments(history), {"--shard", "1/4", "--csv", "x.csv"}),
        with(runArguments(history), {"--csv", history}),
        {"permute", "--merge"},
        {"permute", "--product", "USD/JPY", "--file", history, "--write-history", "0", "x.txt"},
        {"permute", "--product", "USD/JPY", "--file", history, "--write-history", "2", "x.txt", "--base", "lreg"},
        {"permute", "--product", "USD/JPY", "--file", history, "--write-history", "2", "x.txt", "--write-history", "3",
         "y.txt"},
    };
    for (const auto& arguments : usageErrors) {
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.back() << "\n" << run.err;
    }
    EXPECT_EQ(runCli(with(runArguments(history), {"--base", "roc"})).exitCode, 1);  // ROC is no base
    const auto help = runCli({"permute", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: varkel-cli permute", 0), 0u);
}
