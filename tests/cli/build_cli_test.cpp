#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Run {
    int exitCode;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

Run runCli(const std::string& arguments, const fs::path& dir) {
    const std::string command = std::string(VARKEL_CLI_PATH) + " " + arguments + " >" + (dir / "out.txt").string() +
                                " 2>" + (dir / "err.txt").string();
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), slurp(dir / "out.txt"), slurp(dir / "err.txt")};
}

// The first 250 days of the USD/JPY sample: short enough for full grids in a test.
fs::path shortHistory(const fs::path& dir) {
    std::ifstream sample(std::string(VARKEL_SAMPLES_DIR) + "/USD_JPY.txt");
    std::ofstream out(dir / "usd.txt");
    std::string line;
    for (int i = 0; i < 250 && std::getline(sample, line); ++i) out << line << '\n';
    return dir / "usd.txt";
}

fs::path freshDirectory() {
    const fs::path dir = fs::temp_directory_path() / "varkel_cli_build";
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(CliBuild, BuildsAndSavesAModel) {
    const fs::path dir = freshDirectory();
    const fs::path history = shortHistory(dir);
    const Run run = runCli("build --product USD/JPY --file " + history.string() +
                               " --base macd --second roc --threads 2 --dir " + dir.string(),
                           dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Base Index Return = "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2nd Index  Return = "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Sharpe Ratio"), std::string::npos);
    const std::string model = slurp(dir / "USD_JPY.pfm");
    EXPECT_EQ(model.substr(0, 2), "5\n");
    EXPECT_EQ(std::count(model.begin(), model.end(), '\n'), 22);  // 23 lines, none after the last
}

TEST(CliBuild, RefusesInvalidChoices) {
    const fs::path dir = freshDirectory();
    const fs::path history = shortHistory(dir);
    const Run same = runCli("build --product USD/JPY --file " + history.string() +
                                " --base lreg --second lreg --dir " + dir.string(),
                            dir);
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_NE(same.err.find("Linear Regression is assigned in Base Index."), std::string::npos) << same.err;
    EXPECT_FALSE(fs::exists(dir / "USD_JPY.pfm"));

    const Run notBase = runCli("build --product USD/JPY --file " + history.string() + " --base roc", dir);
    EXPECT_EQ(notBase.exitCode, 1);
    EXPECT_NE(notBase.err.find("Base Index is must item"), std::string::npos);

    EXPECT_EQ(runCli("build --product USD/JPY --file " + history.string() + " --base nonsense", dir).exitCode, 2);
    EXPECT_EQ(runCli("build --product USD/JPY --file /nonexistent.txt --base macd", dir).exitCode, 1);
}
