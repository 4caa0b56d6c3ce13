// The habits of git, curl and ripgrep: help and the version wherever they are
// asked for, --option=value, one-line usage errors that point at the help and
// guess the slip, and failures that name their cause.
#include "../support/local_server.h"
#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

using varkel::test::runCli;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

using Words = std::vector<std::string>;

std::string commandLine(const Words& words) {
    std::string line = "varkel-cli";
    for (const auto& word : words) line += " " + word;
    return line;
}

}  // namespace

TEST(CliHabits, HelpAndVersionWhereverAsked) {
    const std::string version = std::string("varkel-cli (Varkel Model) ") + VARKEL_VERSION + "\n";
    const struct {
        Words words;
        std::string outStart;
    } cases[] = {
        {{"-h"}, "usage: varkel-cli <command>"},
        {{"--help"}, "usage: varkel-cli <command>"},
        {{"help"}, "usage: varkel-cli <command>"},
        {{"help", "build"}, "usage: varkel-cli build"},
        {{"help", "help"}, "usage: varkel-cli <command>"},
        {{"build", "-h"}, "usage: varkel-cli build"},
        {{"build", "--product", "USD/JPY", "--help"}, "usage: varkel-cli build"},
        // Help wins over a slip elsewhere on the line.
        {{"studies", "--bogus", "-h"}, "usage: varkel-cli studies"},
        {{"permute", "--merge", "a.part", "-h"}, "usage: varkel-cli permute"},
        {{"-V"}, version},
        {{"--version"}, version},
        {{"version"}, version},
        {{"help", "version"}, version},
        {{"build", "--version"}, version},
        {{"signal", "--product", "USD/JPY", "-V"}, version},
    };
    for (const auto& [words, outStart] : cases) {
        const auto run = runCli(words);
        EXPECT_EQ(run.exitCode, 0) << commandLine(words) << "\n" << run.err;
        EXPECT_EQ(run.out.rfind(outStart, 0), 0u) << commandLine(words) << "\n" << run.out;
        EXPECT_EQ(run.err, "") << commandLine(words);
    }
}

TEST(CliHabits, OptionEqualsValueReadsAsTwoWords) {
    const TempDirectory dir;
    const std::string file = varkel::test::samplePrefixFile(dir, 60);
    const auto spaced = runCli({"studies", "--product", "USD/JPY", "--file", file, "--rsi", "14", "--ma", "5,10"});
    const auto joined = runCli({"studies", "--product=USD/JPY", "--file=" + file, "--rsi=14", "--ma", "5,10"});
    EXPECT_EQ(spaced.exitCode, 0) << spaced.err;
    EXPECT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_EQ(joined.out, spaced.out);
    EXPECT_NE(spaced.out, "");
}

// Each usage error: exit 2, nothing on stdout, the message and the way to help.
TEST(CliHabits, UsageErrorsAreOneLineThatGuessesTheSlip) {
    const TempDirectory dir;
    const std::string file = varkel::test::samplePrefixFile(dir, 60);
    const Words build{"build", "--file", file, "--base", "lreg", "--dir", dir.path().string()};
    const auto with = [](Words words, std::initializer_list<std::string> more) {
        words.insert(words.end(), more);
        return words;
    };
    const struct {
        Words words;
        std::string err;
    } cases[] = {
        {{"buidl"}, "unknown command: buidl; did you mean build?\nsee 'varkel-cli --help'\n"},
        {{"sginal"}, "unknown command: sginal; did you mean signal?\nsee 'varkel-cli --help'\n"},
        {{"frobnicate"}, "unknown command: frobnicate\nsee 'varkel-cli --help'\n"},
        {{"help", "permut"}, "unknown command: permut; did you mean permute?\nsee 'varkel-cli --help'\n"},
        {with(build, {"--prodcut", "USD/JPY"}),
         "unknown option: --prodcut; did you mean --product?\nsee 'varkel-cli build --help'\n"},
        {with(build, {"--product=USD/JPY", "--treads=2"}),
         "unknown option: --treads; did you mean --threads?\nsee 'varkel-cli build --help'\n"},
        {{"studies", "--product", "USD/JPY", "--file", file, "--rsii", "3"},
         "unknown option: --rsii; did you mean --rsi?\nsee 'varkel-cli studies --help'\n"},
        {{"build", "--colour", "red"}, "unknown option: --colour\nsee 'varkel-cli build --help'\n"},
        {{"build", "--product"}, "option --product needs a value\nsee 'varkel-cli build --help'\n"},
        {with(build, {"--product", "USD/JPY", "--force=yes"}),
         "option --force takes no value\nsee 'varkel-cli build --help'\n"},
        {{"build", "stray"}, "unexpected argument: stray\nsee 'varkel-cli build --help'\n"},
        {with(build, {"--product", "XAU/USD"}),
         "unknown product: XAU/USD (known: USD/JPY AUD/JPY EUR/JPY GBP/JPY)\nsee 'varkel-cli build --help'\n"},
        {with(build, {"--product", "usdjpy"}),
         "unknown product: usdjpy; did you mean USD/JPY?\nsee 'varkel-cli build --help'\n"},
        {{"signal", "--product=eur_jpy", "--file", file},
         "unknown product: eur_jpy; did you mean EUR/JPY?\nsee 'varkel-cli signal --help'\n"},
        {{"check", "--file", file, "--product", "XAU/USD"},
         "unknown product: XAU/USD (known: USD/JPY AUD/JPY EUR/JPY GBP/JPY)\nsee 'varkel-cli check --help'\n"},
        {{"check"}, "check needs --file\nsee 'varkel-cli check --help'\n"},
    };
    for (const auto& [words, err] : cases) {
        const auto run = runCli(words);
        EXPECT_EQ(run.exitCode, 2) << commandLine(words);
        EXPECT_EQ(run.err, err) << commandLine(words);
        EXPECT_EQ(run.out, "") << commandLine(words);
    }
}

// Failures of bad input exit 1 and say why, before any search starts.
TEST(CliHabits, FailuresNameTheirCause) {
    const TempDirectory dir;
    const std::string file = varkel::test::samplePrefixFile(dir, 60);
    const std::string missing = (dir / "missing.txt").string();
    const std::string nowhere = (dir / "no/such/folder").string();
    writeFile(dir / "plain-file", "x");
    const std::string notFolder = (dir / "plain-file").string();
    const Words build{"build", "--product", "USD/JPY", "--base", "lreg", "--no-robustness"};
    const auto with = [](Words words, std::initializer_list<std::string> more) {
        words.insert(words.end(), more);
        return words;
    };
    const struct {
        Words words;
        std::string err;
    } cases[] = {
        {with(build, {"--file", missing}), "Cannot read price file " + missing + ": No such file or directory\n"},
        {with(build, {"--file", dir.path().string()}),
         "Cannot read price file " + dir.path().string() + ": it is a directory\n"},
        {{"check", "--file", missing}, "Cannot read price file " + missing + ": No such file or directory\n"},
        {{"permute", "--merge", missing}, "Cannot read part file " + missing + ": No such file or directory\n"},
        // The output folder is checked before the search, not after it.
        {with(build, {"--file", file, "--dir", nowhere}),
         "Cannot write " + nowhere + "/USD_JPY.pfm: the folder " + nowhere + " does not exist\n"},
        {with(build, {"--file", file, "--dir", notFolder}),
         "Cannot write " + notFolder + "/USD_JPY.pfm: " + notFolder + " is not a folder\n"},
        {{"permute", "--product", "USD/JPY", "--file", file, "--base", "lreg", "--permutations", "2", "--csv",
          nowhere + "/p.csv"},
         "Cannot write " + nowhere + "/p.csv: the folder " + nowhere + " does not exist\n"},
        {{"walkforward", "--product", "USD/JPY", "--file", file, "--base", "lreg", "--train", "50", "--test", "10",
          "--csv", nowhere + "/w.csv"},
         "Cannot write " + nowhere + "/w.csv: the folder " + nowhere + " does not exist\n"},
    };
    for (const auto& [words, err] : cases) {
        const auto run = runCli(words);
        EXPECT_EQ(run.exitCode, 1) << commandLine(words);
        EXPECT_EQ(run.err, err) << commandLine(words);
        EXPECT_EQ(run.out, "") << commandLine(words);
    }
    // Root reads any file: a permission only stops another user.
    if (geteuid() != 0) {
        const std::string locked = (dir / "locked.txt").string();
        writeFile(locked, "20240102,1,1,1,1\n");
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_EQ(runCli(with(build, {"--file", locked})).err,
                  "Cannot read price file " + locked + ": Permission denied\n");
    }
}

TEST(CliHabits, AFileNamedForAnotherProductIsWarnedAbout) {
    const TempDirectory dir;
    const std::string usd = varkel::test::samplePrefixFile(dir, 30);
    const std::string named = (dir / "USD_JPY.txt").string();
    std::filesystem::rename(usd, named);
    const auto mismatch = runCli({"studies", "--product", "EUR/JPY", "--file", named, "--rsi", "3"});
    EXPECT_EQ(mismatch.exitCode, 0) << mismatch.err;
    EXPECT_EQ(mismatch.err, "warning: " + named + " is read as EUR/JPY, but its name names USD/JPY\n");
    const auto match = runCli({"studies", "--product", "USD/JPY", "--file", named, "--rsi", "3"});
    EXPECT_EQ(match.err, "");
    EXPECT_EQ(match.out, mismatch.out);
}

TEST(CliHabits, AFailedDownloadNamesTheAddressAndTheCause) {
    varkel::test::bypassProxiesForLoopback();
    const TempDirectory dir;
    const std::string server = "http://127.0.0.1:" + std::to_string(varkel::test::freePort());
    const auto run = runCli({"download", "--product", "AUD/JPY", "--server", server, "--dir", dir.path().string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("Product not supported yet or network connection down.\n(Failed to connect to", 0), 0u)
        << run.err;
    EXPECT_TRUE(run.err.ends_with("; tried " + server + "/Ledger-Vane/1483/data/aud.txt)\n")) << run.err;
}
