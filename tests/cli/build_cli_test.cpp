#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using varkel::test::runCli;
using varkel::test::TempDirectory;

// The first 250 days of the USD/JPY sample: short enough for full grids in a test.
std::string shortHistory(const TempDirectory& dir) {
    std::ifstream sample(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt");
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

// A filter that earns less in sample than the base alone is named with both
// returns; one that earns as much or more is not.
TEST(CliBuild, NamesAFilterThatLowersTheReturn) {
    const TempDirectory dir;
    const std::string sample = std::string(VARKEL_SAMPLES_DIR) + "/USD_JPY.txt";
    for (const auto& [file, base] : {std::pair{shortHistory(dir), "macd"}, std::pair{sample, "lreg"}}) {
        const auto run = runCli({"build", "--product", "USD/JPY", "--file", file, "--base", base, "--second", "roc",
                                 "--threads", "2", "--no-robustness", "--force", "--dir", dir.path().string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto returnOf = [&run](const std::string& layer) {
            const std::size_t at = run.out.find(layer + "Return = ");
            return at == std::string::npos ? 0.0 : std::strtod(run.out.c_str() + at + layer.size() + 9, nullptr);
        };
        const double alone = returnOf("Base Index "), filtered = returnOf("2nd Index  ");
        char cost[160];
        std::snprintf(cost, sizeof cost, "The ROC filter lowers the return from %.2f to %.2f: the base alone earns more\n",
                      alone, filtered);
        EXPECT_EQ(run.out.find(cost) != std::string::npos, filtered < alone) << run.out;
        EXPECT_EQ(run.out.find("filter lowers") != std::string::npos, filtered < alone) << run.out;
    }
}

// A bad bar in the history is named with its share of the model's return.
TEST(CliBuild, SaysHowMuchOfTheReturnLiesOnFlaggedBars) {
    const TempDirectory dir;
    std::ifstream sample(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt");
    std::ofstream out(dir / "spiked.txt");
    std::string line;
    for (int i = 0; i < 250 && std::getline(sample, line); ++i) {
        if (i == 150) line = line.substr(0, line.find(',')) + ",50000,50000,50000,50000";  // a day at 500.00
        out << line << '\n';
    }
    out.close();
    const auto run = runCli({"build", "--product", "USD/JPY", "--file", (dir / "spiked.txt").string(), "--base", "lreg",
                             "--threads", "2", "--no-robustness", "--dir", dir.path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::size_t note = run.out.find("The history has ");
    ASSERT_NE(note, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("flagged as wrong prices", note), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" (flagged as a spike) adds ", note), std::string::npos) << run.out;
}

TEST(CliBuild, ReplacesASavedModelOnlyWithForce) {
    const TempDirectory dir;
    const std::string history = shortHistory(dir);
    const auto model = dir / "USD_JPY.pfm";
    varkel::test::writeFile(model, "the model traded by\n");
    const std::vector<std::string> build{"build", "--product", "USD/JPY", "--file", history, "--base", "lreg",
                                         "--dir", dir.path().string()};
    const auto refused = runCli(build);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "The trade model file " + model.string() + " exists already; add --force to replace it\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(varkel::test::readFile(model), "the model traded by\n");

    std::vector<std::string> forced = build;
    forced.push_back("--force");
    const auto replaced = runCli(forced);
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(varkel::test::readFile(model).substr(0, 3), "10\n");  // a Linear Regression base
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

TEST(CliBuild, AddsTheRobustnessBlockAfterTodaysLinesAndWritesTheSurface) {
    const TempDirectory dir;
    const std::string history = shortHistory(dir);
    const std::vector<std::string> build = {"build", "--product", "USD/JPY", "--file", history, "--base", "lreg",
                                            "--threads", "2", "--dir", dir.path().string()};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = build;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return runCli(arguments);
    };
    const auto plain = with({"--no-robustness"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const std::string plainModel = varkel::test::readFile(dir / "USD_JPY.pfm");
    const auto surfacePath = dir / "surface.csv";
    const auto full = with({"--blocks", "6", "--surface", surfacePath.string(), "--force"});
    ASSERT_EQ(full.exitCode, 0) << full.err;

    // Today's lines unchanged, the same model, then the block.
    EXPECT_EQ(plain.out.find("PBO"), std::string::npos);
    ASSERT_EQ(full.out.substr(0, plain.out.size()), plain.out);
    EXPECT_EQ(varkel::test::readFile(dir / "USD_JPY.pfm"), plainModel);
    std::istringstream block(full.out.substr(plain.out.size()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(block, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << full.out;
    EXPECT_EQ(lines[0], "Robustness");
    EXPECT_EQ(lines[1].rfind("Base Index PBO ", 0), 0u) << lines[1];
    for (const char* part : {"(S = 6, 20 ways, ", " trials)", "median logit ", "P(OOS loss) ", "degradation slope "})
        EXPECT_NE(lines[1].find(part), std::string::npos) << part;
    for (const char* part : {"SR per bar ", "annualised ", "SR0 ", "DSR ", "PSR ", "(K = "})
        EXPECT_NE(lines[2].find(part), std::string::npos) << part;
    const std::string opening = "The best of ";
    ASSERT_EQ(lines[3].rfind(opening, 0), 0u) << lines[3];
    std::string trials = lines[3].substr(opening.size(), lines[3].find(" trials") - opening.size());
    trials.erase(std::remove(trials.begin(), trials.end(), ','), trials.end());

    // One row per trial of the only layer, and the layer's best return among them.
    std::ifstream surface(surfacePath);
    std::string line;
    ASSERT_TRUE(std::getline(surface, line));
    EXPECT_EQ(line, "span,threshold,return");
    long rows = 0;
    double bestReturn = -1e300;
    while (std::getline(surface, line)) {
        ++rows;
        ASSERT_EQ(std::count(line.begin(), line.end(), ','), 2) << line;
        bestReturn = std::max(bestReturn, std::stod(line.substr(line.rfind(',') + 1)));
    }
    EXPECT_EQ(rows, std::stol(trials));
    char printed[64];
    std::snprintf(printed, sizeof printed, "Base Index Return = %10.4f\n", bestReturn);
    EXPECT_EQ(plain.out.rfind(printed, 0), 0u) << plain.out;
}

TEST(CliBuild, RefusesRobustnessOptionsThatCannotBeMet) {
    const TempDirectory dir;
    const std::string history = shortHistory(dir);
    const std::vector<std::vector<std::string>> refused = {{"--blocks", "5"},
                                                           {"--blocks", "18"},
                                                           {"--blocks", "1e1"},
                                                           {"--blocks", "8", "--no-robustness"},
                                                           {"--select", "worst"},
                                                           {"--surface", history},
                                                           {"--surface", (dir / "USD_JPY.pfm").string()},
                                                           {"--surface", (dir / "s.csv").string(), "--no-robustness"}};
    for (const auto& extra : refused) {
        std::vector<std::string> arguments = {"build", "--product", "USD/JPY", "--file", history, "--base", "macd",
                                              "--dir", dir.path().string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << extra[0] << " " << extra[1];
        EXPECT_NE(run.err.find("see 'varkel-cli build --help'"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "USD_JPY.pfm"));
    EXPECT_FALSE(std::filesystem::exists(dir / "s.csv"));
}
