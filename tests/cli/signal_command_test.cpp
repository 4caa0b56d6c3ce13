#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

fs::path freshDirectory(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("varkel_cli_signal_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

CliRun runCli(const std::string& arguments, const fs::path& scratch) {
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    const std::string command = std::string(VARKEL_CLI_PATH) + " " + arguments + " >" +
                                out.string() + " 2>" + err.string();
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(out), readAll(err)};
}

long lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// Closes 100, 101, 102, 103, 90 (in hundredths). A three-bar regression base goes
// long on the fourth day at 102.50 + 0.20, holds through the drop to 90 and turns
// short for the next day.
const char* const risingThenFalling =
    "20240101,10000,10000,10000,10000\n"
    "20240102,10000,10100,10000,10100\n"
    "20240103,10100,10200,10100,10200\n"
    "20240104,10250,10300,10250,10300\n"
    "20240105,10300,10300,9000,9000\n";

// As a hand would write it, with CR LF line ends and a model never measured.
const char* const regressionModelCrLf =
    "10\r\n3\r\n-1\r\n-1\r\n  0.000000\r\n"
    "-999\r\n-1\r\n-1\r\n-999.000000\r\n"
    "-999\r\n-1\r\n-1\r\n-999.000000\r\n"
    "-999.000000\r\n-999.000000\r\n  0.000000\r\n  0.000000\r\n"
    "0\r\n0\r\n0\r\n"
    "  0.000000\r\n  0.000000\r\n  0.000000";

// The history ends on Friday 5 January 2024: the signal is for Monday the 8th.
const std::string signalLines =
    "Long 2 Short for 20240108, the trading day after 20240105\nTotal Net Profit = -63.500000\n";

}  // namespace

TEST(SignalCommand, PrintsTheSignalAndWritesBothFiles) {
    const fs::path dir = freshDirectory("full");
    writeAll(dir / "prices.txt", risingThenFalling);
    writeAll(dir / "USD_JPY.pfm", regressionModelCrLf);

    const CliRun run = runCli("signal --product USD/JPY --file " + (dir / "prices.txt").string() +
                               " --dir " + dir.string(),
                           dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, signalLines);

    // One win (1.5), one loss (-65), no 20-bar window for the Sharpe ratio.
    EXPECT_EQ(readAll(dir / "USD_JPY.pfm"),
              "10\n3\n-1\n-1\n  0.000000\n"
              "-999\n-1\n-1\n-999.000000\n"
              "-999\n-1\n-1\n-999.000000\n"
              "  0.000000\n  0.000000\n  0.500000\n  0.500000\n"
              "1\n1\n2\n"
              "-63.500000\n  1.500000\n-65.000000");
    const std::string csv = readAll(dir / "strategy" / "USD_JPY.csv");
    EXPECT_EQ(lineCount(csv), 6);
    EXPECT_TRUE(csv.starts_with("20240101,    100.00,    100.00,    100.00,    100.00,0,"));
    EXPECT_TRUE(csv.ends_with("\n,      0.00,      0.00,      0.00,      0.00,-1,    0.0000,    0.0000\n"));
}

TEST(SignalCommand, MissingModelAndUnwritableStrategyFile) {
    const fs::path dir = freshDirectory("failures");
    writeAll(dir / "prices.txt", risingThenFalling);
    const std::string arguments =
        "signal --product USD/JPY --file " + (dir / "prices.txt").string() + " --dir " + dir.string();

    CliRun run = runCli(arguments, dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "No trade model for USD/JPY at " + (dir / "USD_JPY.pfm").string() + "\n");
    EXPECT_FALSE(fs::exists(dir / "strategy"));

    writeAll(dir / "USD_JPY.pfm", regressionModelCrLf);
    writeAll(dir / "strategy", "a file in the way");
    run = runCli(arguments, dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, signalLines);
    EXPECT_NE(run.err.find("Cannot write strategy file " + (dir / "strategy" / "USD_JPY.csv").string()),
              std::string::npos);

    EXPECT_EQ(runCli("signal --file " + (dir / "prices.txt").string(), dir).status, 2);
    EXPECT_EQ(runCli("signal --product USD/JPY --file " + (dir / "none.txt").string(), dir).status, 1);
}

TEST(ViewCommand, TextsOfTheSavedModelAndTheSharpeTransition) {
    const fs::path dir = freshDirectory("view");
    writeAll(dir / "USD_JPY.pfm",
             "5\n12\n26\n9\n-999.000000\n9\n5\n-1\n  1.250000\n-999\n-1\n-1\n-999.000000\n"
             "  0.250000\n  0.123000\n  0.550000\n  0.450000\n31\n25\n57\n 12.500000\n 30.250000\n-17.750000");
    const std::string sample = std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt";
    const CliRun run = runCli("view --product USD/JPY --file " + sample + " --dir " + dir.string() +
                               " --sharpe-csv " + (dir / "sharpe.csv").string(),
                           dir);
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* line : {"Product: USD/JPY\n", "Sharpe Ratio:   0.123000\n", "Number of Trades: 57\n",
                             "Base Index: MACD\n", "Base Index line 3: MACD SIG = 9\n",
                             "Secondary Index: Rate Of Change\n",
                             "Secondary Index line 4: ROC filter =   1.250000\n", "Third Index: N/A\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line;
    EXPECT_EQ(lineCount(run.out), 22);

    const std::string csv = readAll(dir / "sharpe.csv");
    EXPECT_EQ(lineCount(csv), 4666);
    EXPECT_TRUE(csv.starts_with("20060516,0.000000\n"));
    EXPECT_EQ(readAll(dir / "USD_JPY.pfm").substr(0, 9), "5\n12\n26\n9");  // the viewer never writes it
}

// A model whose spans or thresholds the history cannot serve used to give
// "No Action" with exit 0; the trader is told instead, and nothing is written.
TEST(SignalCommand, AModelTheHistoryCannotServeIsRefused) {
    const fs::path dir = freshDirectory("refused");
    writeAll(dir / "prices.txt", risingThenFalling);
    const std::string modelTail = "-999\n-1\n-1\n-999.000000\n-999\n-1\n-1\n-999.000000\n"
                                  "  0.000000\n  0.000000\n  0.000000\n  0.000000\n0\n0\n0\n"
                                  "  0.000000\n  0.000000\n  0.000000";
    const struct {
        std::string model;
        std::string message;
    } cases[] = {
        {"5\n3\n2147483647\n2147483647\n-999.000000\n" + modelTail,
         "The trade model's MACD slow span 2147483647 exceeds the 5 bars of USD/JPY"},
        {"12\n-3\n3\n3\n-999.000000\n" + modelTail,
         "The trade model's Stochastics k span -3 is below 3, the smallest the study accepts"},
        {"10\n3\n-1\n-1\nnan\n" + modelTail, "The trade model's Linear Regression threshold nan is not a finite number"},
    };
    for (const auto& c : cases) {
        writeAll(dir / "USD_JPY.pfm", c.model);
        const CliRun run = runCli("signal --product USD/JPY --file " + (dir / "prices.txt").string() + " --dir " +
                                      dir.string(),
                                  dir);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.message + " (" + (dir / "USD_JPY.pfm").string() + ")\n");
        EXPECT_EQ(readAll(dir / "USD_JPY.pfm"), c.model);
        EXPECT_FALSE(fs::exists(dir / "strategy"));
    }
}

TEST(SignalCommand, ACrOnlyPriceFileGivesEveryBar) {
    const fs::path dir = freshDirectory("cr_only");
    std::string cr = risingThenFalling;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    writeAll(dir / "prices.txt", cr);
    writeAll(dir / "USD_JPY.pfm", regressionModelCrLf);
    const CliRun run = runCli("signal --product USD/JPY --file " + (dir / "prices.txt").string() + " --dir " +
                                  dir.string(),
                              dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, signalLines);
    EXPECT_EQ(lineCount(readAll(dir / "strategy" / "USD_JPY.csv")), 6);
}
