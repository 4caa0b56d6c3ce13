#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <string>

using varkel::test::runCli;
using varkel::test::TempDirectory;

namespace {

std::string fixture(const std::string& name) { return std::string(VARKEL_TEST_DATA_DIR) + "/import/" + name; }

}  // namespace

TEST(CliImport, SaysWhatItReadWroteAndSkipped) {
    const TempDirectory dir;
    const auto fromBroker = dir / "broker.txt";
    const auto run = runCli({"import", "--from", fixture("broker.csv"), "--to", fromBroker.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "Format: broker export (detected)\n"
              "Skipped 2 lines:\n"
              "  line 4: repeated date\n"
              "  line 8: a price is not a positive decimal number\n"
              "Wrote 6 bars (20080114 to 20080121) to " + fromBroker.string() + "\n");

    const auto fromOhlc = dir / "ohlc.txt";
    const auto ohlc = runCli({"import", "--from", fixture("ohlc.csv"), "--to", fromOhlc.string(), "--format", "ohlc"});
    ASSERT_EQ(ohlc.exitCode, 0) << ohlc.err;
    EXPECT_EQ(ohlc.out.substr(0, 17), "Format: OHLC CSV\n");
    EXPECT_EQ(varkel::test::readFile(fromOhlc), varkel::test::readFile(fromBroker));

    // The written file loads as a history the other commands accept.
    EXPECT_EQ(runCli({"check", "--file", fromOhlc.string()}).exitCode, 0);
}

TEST(CliImport, RefusesWhatItCannotReadOrWrite) {
    const TempDirectory dir;
    const auto own = dir / "own.txt";
    varkel::test::writeFile(own, "20240102,10000,10100,9900,10050\n");
    const auto unknown = runCli({"import", "--from", own.string(), "--to", (dir / "out.txt").string()});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("neither a broker export bar"), std::string::npos) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));

    EXPECT_EQ(runCli({"import", "--from", own.string(), "--to", own.string()}).exitCode, 2);
    EXPECT_EQ(runCli({"import", "--from", own.string(), "--to", (dir / "x").string(), "--format", "xls"}).exitCode, 2);
    EXPECT_EQ(runCli({"import", "--from", (dir / "missing").string(), "--to", (dir / "x").string()}).exitCode, 1);
    const auto noFolder =
        runCli({"import", "--from", fixture("ohlc.csv"), "--to", (dir / "no" / "such.txt").string()});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_NE(noFolder.err.find("it was left as it was"), std::string::npos) << noFolder.err;
    EXPECT_EQ(varkel::test::readFile(own), "20240102,10000,10100,9900,10050\n");
}
