#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string samplePath = std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt";
// Closes 1, 2, 3, 5 behind a title line that the loader refuses.
const std::string smallPath = std::string(VARKEL_TEST_DATA_DIR) + "/closes_1_2_3_5.txt";

struct CliRun {
    int exitCode;
    std::string out, err;
};

std::string readAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A file name of this test process, so that parallel runs do not meet.
std::filesystem::path tempFile(const std::string& suffix) {
    return std::filesystem::temp_directory_path() /
           ("varkel_cli_studies_" + std::to_string(::getpid()) + suffix);
}

CliRun runCli(const std::string& arguments) {
    const auto out = tempFile(".out");
    const auto err = tempFile(".err");
    const std::string command = std::string(VARKEL_CLI_PATH) + " studies " + arguments + " >" + out.string() +
                                " 2>" + err.string();
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(out), readAll(err)};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');) result.push_back(field);
    return result;
}

}  // namespace

TEST(StudiesCommand, PrintsOneLinePerBarWithTheStudiesAsked) {
    const CliRun run = runCli("--product USD/JPY --file " + smallPath + " --ndist 3 --roc 1");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 5u) << run.out;  // header and four bars; no line for the next day
    EXPECT_EQ(rows[0], "dateText,open,high,low,close,roc,ndist");  // the fixed study order
    EXPECT_EQ(fields(rows[1]), (std::vector<std::string>{"20240102", "1.00", "1.10", "0.90", "1.00", "0", "0"}));
    // Variance of 2, 3, 5 is 7/3; the rise from 3 to 5 is 40 % of today's close.
    EXPECT_DOUBLE_EQ(std::strtod(fields(rows[3])[6].c_str(), nullptr), 1.0);
    EXPECT_DOUBLE_EQ(std::strtod(fields(rows[4])[6].c_str(), nullptr), 7.0 / 3.0);
    EXPECT_DOUBLE_EQ(std::strtod(fields(rows[4])[5].c_str(), nullptr), 40.0);
    EXPECT_NE(run.err.find("1 line refused (line 1)"), std::string::npos) << run.err;
}

TEST(StudiesCommand, EveryStudyOnTheSampleToAFile) {
    const auto outFile = tempFile(".csv");
    std::filesystem::remove(outFile);
    const std::string studies =
        " --ma 20,40 --keltner 10,10,1.5 --rsi 14 --roc 3 --stoch 3,3,5 --macd 9,14,9 --tsc 14 --lreg 9 --ndist 9";
    const CliRun run = runCli("--product USD/JPY --file " + samplePath + studies + " --out " + outFile.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    const auto rows = lines(readAll(outFile));
    ASSERT_EQ(rows.size(), 4667u);
    EXPECT_EQ(rows[0],
              "dateText,open,high,low,close,maShort,maLong,ema,trueRange,atr,keltnerUpper,keltnerLower,rsi,roc,"
              "stochK,stochD,stochSlowD,macdFast,macdSlow,macdLine,macdSignal,tsc,lregSlope,ndist");
    EXPECT_EQ(fields(rows[4666])[0], "20240715");
    for (const auto& row : rows) ASSERT_EQ(fields(row).size(), 24u) << row;
    // Prices as the file writes them, in hundredths with two decimals (11124
    // is 111.24, though 11124 * 0.01 is 111.24000000000001); the studies'
    // figures in the shortest text that reads back as the same double.
    const auto fileLines = lines(readAll(samplePath));
    ASSERT_EQ(fileLines.size(), rows.size() - 1);
    for (std::size_t bar = 0; bar < fileLines.size(); ++bar) {
        const auto hundredths = fields(fileLines[bar]);
        const auto printed = fields(rows[bar + 1]);
        for (std::size_t price = 1; price <= 4; ++price) {
            const std::string& units = hundredths[price];
            ASSERT_EQ(printed[price], units.substr(0, units.size() - 2) + "." + units.substr(units.size() - 2))
                << rows[bar + 1];
        }
    }
    EXPECT_EQ(fields(rows[4666])[4], "158.31");
    EXPECT_EQ(lines(runCli("--product USD/JPY --file " + samplePath + studies).out), rows);
}

TEST(StudiesCommand, ExitCodesForBadInputAndUsageErrors) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const std::string file = " --product USD/JPY --file " + smallPath;
    const std::vector<Case> cases{
        {"--product USD/JPY --file /nonexistent/prices.txt --rsi 3", 1, "/nonexistent/prices.txt"},
        {"--product USD/JPY --file " + std::string(VARKEL_TEST_DATA_DIR), 1, "directory"},
        {file + " --rsi abc", 2, "--rsi"},
        {file + " --stoch 5,3", 2, "--stoch takes 3 values"},
        {file + " --ma 20.5,40", 2, "whole numbers"},
        {file + " --keltner 10,10", 2, "--keltner takes 3 values"},
        {file + " --rsi 2", 2, "below 3"},
        {file + " --roc 0", 2, "below 1"},
        {file + " --macd 9,14,2", 2, "below 3"},
        {file + " --volume 3", 2, "unknown option"},
        {"--product USD/JPY", 2, "--file"},
        {"--help", 0, ""},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
        if (c.exitCode != 0) {
            EXPECT_EQ(run.out, "") << c.arguments;
        }
    }
}

TEST(StudiesCommand, WarnsWhenTheHistoryIsTooShortForASpan) {
    const CliRun run = runCli("--product USD/JPY --file " + smallPath + " --rsi 4");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("--rsi needs 5 bars"), std::string::npos) << run.err;
    EXPECT_EQ(lines(run.out).size(), 5u);
}
