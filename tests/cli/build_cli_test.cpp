#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

using varkel::test::runCli;
using varkel::test::TempDirectory;

// The first 250 days of the USD/JPY sample: short enough for full grids in a test.
std::string shortHistory(const TempDirectory& dir) {
    std::ifstream sample(std::string(VARKEL_SAMPLES_DIR) + "/USD_JPY.txt");
    const auto path = dir / "usd.txt";
    std::ofstream out(path);
    std::string line;
    for (int i = 0; i < 250 && std::getline(sample, line); ++i) out << line << '\n';
    return path.string();
}

}  // namespace

TEST(CliBuild, BuildsAndSavesAModel) {
    const TempDirectory dir;
    const auto run = runCli({"build", "--product", "USD/JPY", "--file", shortHistory(dir), "--base", "macd",
                             "--second", "roc", "--threads", "2", "--dir", dir.path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Base Index Return = "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2nd Index  Return = "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Sharpe Ratio"), std::string::npos);
    const std::string model = varkel::test::readFile(dir / "USD_JPY.pfm");
    EXPECT_EQ(model.substr(0, 2), "5\n");
    EXPECT_EQ(std::count(model.begin(), model.end(), '\n'), 22);  // 23 lines, none after the last
}

TEST(CliBuild, RefusesInvalidChoices) {
    const TempDirectory dir;
    const std::string history = shortHistory(dir);
    const auto same = runCli({"build", "--product", "USD/JPY", "--file", history, "--base", "lreg", "--second",
                              "lreg", "--dir", dir.path().string()});
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_NE(same.err.find("Linear Regression is assigned in Base Index."), std::string::npos) << same.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "USD_JPY.pfm"));

    const auto notBase = runCli({"build", "--product", "USD/JPY", "--file", history, "--base", "roc"});
    EXPECT_EQ(notBase.exitCode, 1);
    EXPECT_NE(notBase.err.find("Base Index is must item"), std::string::npos);

    EXPECT_EQ(runCli({"build", "--product", "USD/JPY", "--file", history, "--base", "nonsense"}).exitCode, 2);
    EXPECT_EQ(runCli({"build", "--product", "USD/JPY", "--file", "/nonexistent.txt", "--base", "macd"}).exitCode, 1);
}

TEST(CliBuild, RefusesAnEmptyOrTooShortHistoryAndSavesNothing) {
    const TempDirectory dir;
    const auto emptyFile = dir / "empty.txt";
    varkel::test::writeFile(emptyFile, "");
    const auto sixDays = dir / "six.txt";
    varkel::test::writeFile(sixDays, "20240101,100,110,90,105\n20240102,100,110,90,105\n20240103,100,110,90,105\n"
                                     "20240104,100,110,90,105\n20240105,100,110,90,105\n20240108,100,110,90,105\n");
    for (const auto& [file, bars] : {std::pair{emptyFile, 0}, {sixDays, 6}}) {
        const auto run = runCli({"build", "--product", "USD/JPY", "--file", file.string(), "--base", "macd",
                                 "--dir", dir.path().string()});
        EXPECT_EQ(run.exitCode, 1) << file;
        EXPECT_NE(run.err.find("The history of USD/JPY has " + std::to_string(bars) +
                               " bars: a build needs at least 7"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out.find("Model saved"), std::string::npos) << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir / "USD_JPY.pfm"));
    }
}
