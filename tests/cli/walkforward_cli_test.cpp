#include "../support/run_cli.h"
#include "base/formatted_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using varkel::test::runCli;
using varkel::test::samplePrefixFile;
using varkel::test::TempDirectory;

// The first `days` days of the USD/JPY sample.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream row(line);
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    return fields;
}

}  // namespace

TEST(CliWalkForward, PrintsTheFoldsAndWritesOneCsvRowPerFold) {
    const TempDirectory dir;
    const std::string history = samplePrefixFile(dir, 450);
    const auto csv = dir / "folds.csv";
    const auto run = runCli({"walkforward", "--product", "USD/JPY", "--file", history, "--base", "lreg", "--second",
                             "roc", "--train", "200", "--test", "100", "--threads", "2", "--csv", csv.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("rolling train 200 bars, test 100 bars, 3 folds"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("walk-forward efficiency"), std::string::npos);
    EXPECT_NE(run.out.find("Whole-history build over the same bars"), std::string::npos);
    // A key to the parameter columns and the verdict in words.
    EXPECT_NE(run.out.find("\nColumns: Base "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nOut of sample: net "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" of 3 profitable ("), std::string::npos) << run.out;

    std::ifstream file(csv);
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line,
              "fold,trainFrom,trainTo,testFrom,testTo,baseKind,baseParam1,baseParam2,baseParam3,baseThreshold,"
              "secondKind,secondSpan,secondThreshold,thirdKind,thirdSpan,thirdThreshold,inSampleReturn,"
              "outOfSampleReturn,efficiency");
    std::vector<std::vector<std::string>> rows;
    while (std::getline(file, line)) rows.push_back(split(line));
    ASSERT_EQ(rows.size(), 3u);  // and nothing after the folds
    double outOfSample = 0.0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 19u);
        EXPECT_EQ(row[5], "10");  // linear regression
        EXPECT_EQ(row[10], "9");  // rate of change
        EXPECT_EQ(row[13], "-999");
        // Thresholds as the model file holds them: six decimals, never a
        // search's 4.799999999999942.
        for (const std::size_t threshold : {9u, 12u, 15u}) {
            const std::string& text = row[threshold];
            EXPECT_EQ(text.size() - text.find('.'), 7u) << text;
            EXPECT_EQ(text, varkel::formattedText("%.6f", std::strtod(text.c_str(), nullptr)));
        }
        outOfSample += std::strtod(row[17].c_str(), nullptr);
    }
    EXPECT_EQ(rows[0][0], "1");
    // The last fold is the short one and ends with the history.
    std::ifstream prices(history);
    std::string last;
    while (std::getline(prices, line)) last = line;
    EXPECT_EQ(rows[2][4], last.substr(0, last.find(',')));
    // The stitched net profit is the sum of the folds' test returns.
    const auto at = run.out.find("net profit");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NEAR(std::strtod(run.out.c_str() + at + 10, nullptr), outOfSample, 1e-4);
}

TEST(CliWalkForward, RefusesBadLengthsAndOptions) {
    const TempDirectory dir;
    const std::string history = samplePrefixFile(dir, 300);
    auto walk = [&](std::vector<std::string> extra) {
        std::vector<std::string> words = {"walkforward", "--product", "USD/JPY", "--file", history, "--base", "lreg"};
        words.insert(words.end(), extra.begin(), extra.end());
        return runCli(words);
    };
    const auto tooShort = walk({"--train", "49"});
    EXPECT_EQ(tooShort.exitCode, 2);
    EXPECT_NE(tooShort.err.find("--train must be at least 50 bars"), std::string::npos) << tooShort.err;
    EXPECT_EQ(walk({"--test", "0"}).exitCode, 2);
    EXPECT_EQ(walk({"--train", "2x"}).exitCode, 2);
    EXPECT_EQ(walk({"--threads", "0"}).exitCode, 2);
    EXPECT_EQ(walk({"--csv", history}).exitCode, 2);  // would overwrite the price file

    const auto nothingToTest = walk({"--train", "300"});
    EXPECT_EQ(nothingToTest.exitCode, 1);
    EXPECT_NE(nothingToTest.err.find("leaves nothing to test: USD/JPY has 300 bars"), std::string::npos)
        << nothingToTest.err;
    EXPECT_EQ(walk({"--second", "lreg"}).exitCode, 1);  // the builder's own refusal
}
