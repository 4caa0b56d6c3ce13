#include "../support/run_cli.h"

#include <gtest/gtest.h>

#include <string>

using varkel::test::runCli;
using varkel::test::TempDirectory;

TEST(CliCheck, ExitCodeSaysCleanFoundOrUnreadable) {
    const TempDirectory dir;
    const auto clean = dir / "clean.txt";
    varkel::test::writeFile(clean, "20240102,100,110,90,105\n20240103,105,115,95,110\n20240104,110,115,95,100\n");
    const auto run = runCli({"check", "--file", clean.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, clean.string() + ": 3 bars, no findings\n");

    const auto faulty = dir / "faulty.txt";
    varkel::test::writeFile(faulty, "20240102,100,110,90,105\n20240102,100,110,90,105\n20240103,100,90,110,105\n");
    const auto found = runCli({"check", "--file", faulty.string(), "--product", "EUR/JPY"});
    EXPECT_EQ(found.exitCode, 3) << found.err;
    EXPECT_NE(found.out.find("line 2 (20240102): not loaded: the same date as the bar before\n"), std::string::npos)
        << found.out;
    EXPECT_NE(found.out.find("line 3 (20240103): high below low"), std::string::npos) << found.out;
    EXPECT_NE(found.out.find("2 bars, 2 findings: 1 repeated date, 1 price outside high..low"), std::string::npos)
        << found.out;
    EXPECT_EQ(varkel::test::readFile(faulty),
              "20240102,100,110,90,105\n20240102,100,110,90,105\n20240103,100,90,110,105\n");  // reports only

    const auto sample = runCli({"check", "--file", std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt"});
    EXPECT_EQ(sample.exitCode, 3);
    EXPECT_NE(sample.out.find("(20080408): spike: close 108.18 after 102.44"), std::string::npos) << sample.out;

    EXPECT_EQ(runCli({"check", "--file", (dir / "missing.txt").string()}).exitCode, 1);
    EXPECT_EQ(runCli({"check", "--file", dir.path().string()}).exitCode, 1);
    EXPECT_EQ(runCli({"check"}).exitCode, 2);
}
