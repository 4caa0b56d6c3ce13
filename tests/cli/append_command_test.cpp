#include "../support/files.h"
#include "../support/run_cli.h"

#include <gtest/gtest.h>

using varkel::test::readFile;
using varkel::test::runCli;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

std::vector<std::string> appendArguments(const std::string& file, const std::string& date, const std::string& open) {
    return {"append", "--file", file, "--date", date, "--open", open, "--high", "12110", "--low", "12009",
            "--close", "12100"};
}

}  // namespace

TEST(AppendCommand, AppendsTheLineAndRefusesWhatTheDialogRefuses) {
    TempDirectory folder;
    const auto file = folder / "USD_JPY.txt";
    writeFile(file, "20240715,15836,15840,15775,15831");

    const auto appended = runCli(appendArguments(file.string(), "20240716", "12031"));
    EXPECT_EQ(appended.exitCode, 0) << appended.err;
    EXPECT_EQ(appended.out, "20240716,12031,12110,12009,12100\n");
    EXPECT_EQ(readFile(file), "20240715,15836,15840,15775,15831\n20240716,12031,12110,12009,12100\n");

    const auto sameDate = runCli(appendArguments(file.string(), "20240716", "12031"));
    EXPECT_EQ(sameDate.exitCode, 1);
    EXPECT_EQ(sameDate.err, "Date to be added 20240716 is not later than the file's last date 20240716.\n");
    EXPECT_EQ(readFile(file), "20240715,15836,15840,15775,15831\n20240716,12031,12110,12009,12100\n");
}

TEST(AppendCommand, DecimalPricesAndCalendarDatesAsInTheDialog) {
    TempDirectory folder;
    const auto file = folder / "USD_JPY.txt";
    writeFile(file, "20240715,15836,15840,15775,15831\n");

    const auto badDate = runCli(appendArguments(file.string(), "20241345", "12031"));
    EXPECT_EQ(badDate.exitCode, 1);
    EXPECT_EQ(badDate.err, "Date to be added \"20241345\" is not a date; type eight digits, year, month and day "
                           "(20240716).\n");

    const auto decimal = runCli({"append", "--file", file.string(), "--date", "20240716", "--open", "158.3",
                                 "--high", "158.5", "--low", "158.01", "--close", "158.4"});
    EXPECT_EQ(decimal.exitCode, 0) << decimal.err;
    EXPECT_EQ(decimal.out, "20240716,15830,15850,15801,15840\n");
    EXPECT_EQ(decimal.err, "");  // 158.40 is close to 158.31

    // A far close is appended (scripts feed real data) but noted.
    const auto far = runCli(appendArguments(file.string(), "20240717", "12031"));
    EXPECT_EQ(far.exitCode, 0);
    EXPECT_EQ(far.err, "note: the close 121.00 lies more than 10 % from the file's last close 158.40\n");
    EXPECT_EQ(readFile(file), "20240715,15836,15840,15775,15831\n20240716,15830,15850,15801,15840\n"
                              "20240717,12031,12110,12009,12100\n");
}

TEST(AppendCommand, MissingOptionsAreUsageErrors) {
    const auto missingClose = runCli({"append", "--file", "x.txt", "--date", "20240716", "--open", "1", "--high",
                                      "2", "--low", "1"});
    EXPECT_EQ(missingClose.exitCode, 2);
    EXPECT_NE(missingClose.err.find("missing option --close"), std::string::npos);
    const auto help = runCli({"append", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: varkel-cli append"), std::string::npos);
}
