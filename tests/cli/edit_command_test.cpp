#include "../support/files.h"
#include "../support/run_cli.h"

#include <gtest/gtest.h>

using varkel::test::readFile;
using varkel::test::runCli;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

// AUD/JPY's 20061225 close of 543.09 between closes near 93, CR LF line ends.
const std::string history =
    "20061222,9310,9340,9290,9320\r\n20061225,9320,54309,9300,54309\r\n20061226,9330,9360,9310,9340\r\n";

}  // namespace

TEST(EditCommand, CorrectsOrDeletesOneBarAndReportsTheLines) {
    TempDirectory folder;
    const auto file = folder / "AUD_JPY.txt";
    writeFile(file, history);

    const auto fixed = runCli({"edit", "--file", file.string(), "--date", "20061225", "--open", "93.20", "--high",
                               "93.50", "--low", "93.00", "--close", "93.30"});
    EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
    EXPECT_EQ(fixed.out, "line 2 removed: 20061225,9320,54309,9300,54309\nline 2 written: 20061225,9320,9350,9300,9330\n");
    EXPECT_EQ(readFile(file), "20061222,9310,9340,9290,9320\r\n20061225,9320,9350,9300,9330\r\n"
                              "20061226,9330,9360,9310,9340\r\n");

    const auto deleted = runCli({"edit", "--file", file.string(), "--date", "20061225", "--delete"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(deleted.out, "line 2 removed: 20061225,9320,9350,9300,9330\n");
    EXPECT_EQ(readFile(file), "20061222,9310,9340,9290,9320\r\n20061226,9330,9360,9310,9340\r\n");
}

TEST(EditCommand, RefusesWhatWouldNotMakeOneGoodBar) {
    TempDirectory folder;
    const auto file = folder / "AUD_JPY.txt";
    writeFile(file, history + "20061225,1,1,1,1\n");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;  // its first line
    };
    const std::string path = file.string();
    const Case cases[] = {
        {{"--date", "20061226", "--open", "93.20", "--high", "9350", "--low", "93.00", "--close", "93.30"}, 1,
         "Type the four prices in one form: all with a decimal point (158.30) or all in hundredths (15830)."},
        {{"--date", "20061226", "--open", "9320", "--high", "9300", "--low", "9310", "--close", "9310"}, 1,
         "High Price 93.00 is below Low Price 93.10."},
        {{"--date", "20070101", "--delete"}, 1, "No bar dated 20070101 in " + path + "."},
        {{"--date", "20061225", "--delete"}, 1,
         "The date 20061225 is on more than one line (2 and 4) of " + path + "; correct the file by hand."},
        {{"--date", "20061226"}, 2, "give either --delete or all of --open, --high, --low and --close"},
        {{"--date", "20061226", "--delete", "--open", "9320"}, 2,
         "give either --delete or all of --open, --high, --low and --close"},
        {{"--delete"}, 2, "missing option --date"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"edit", "--file", path};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.err;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.err);
        EXPECT_EQ(readFile(file), history + "20061225,1,1,1,1\n");
    }
}
