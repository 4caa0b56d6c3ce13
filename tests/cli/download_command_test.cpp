#include "../support/files.h"
#include "../support/local_server.h"
#include "../support/run_cli.h"

#include <gtest/gtest.h>

using varkel::test::readFile;
using varkel::test::runCli;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

TEST(DownloadCommand, DownloadsIntoTheDataFolderOfDir) {
    varkel::test::bypassProxiesForLoopback();
    TempDirectory site;
    const std::string history = "20240715,15836,15840,15775,15831\n20240716,15831,15900,15800,15850\n";
    writeFile(site / "Ledger-Vane/1483/data/usd.txt", history);
    const varkel::test::LocalServer server(varkel::test::staticFileServerCommand(site.path().string()),
                                           (site / "requests.log").string());
    ASSERT_TRUE(server.ready());
    TempDirectory start;

    const auto done = runCli({"download", "--product", "USD/JPY", "--server", server.address(), "--dir",
                              start.path().string()});
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out, (start / "data/USD_JPY.txt").string() + "\nLast update = 20240716\n");
    EXPECT_EQ(readFile(start / "data/USD_JPY.txt"), history);

    const auto notFound = runCli({"download", "--product", "GBP/JPY", "--server", server.address(), "--dir",
                                  start.path().string()});
    EXPECT_EQ(notFound.exitCode, 1);
    EXPECT_EQ(notFound.err, "Product not supported yet or network connection down.\n(HTTP status 404 from " +
                                server.address() + "/Ledger-Vane/1483/data/gbp.txt)\n");

    // Without --server the environment names the server; --server still wins.
    setenv("VARKEL_DATA_SERVER", server.address().c_str(), 1);
    const auto fromEnvironment = runCli({"download", "--product", "USD/JPY", "--dir", start.path().string()});
    EXPECT_EQ(fromEnvironment.exitCode, 0) << fromEnvironment.err;
    const auto badServer = runCli({"download", "--product", "USD/JPY", "--server", "ftp://127.0.0.1", "--dir",
                                   start.path().string()});
    unsetenv("VARKEL_DATA_SERVER");
    EXPECT_EQ(badServer.exitCode, 1);
    EXPECT_EQ(badServer.err, "Failed to resolve URL\n");
}

TEST(DownloadCommand, ProductIsRequiredAndMatchedExactly) {
    const auto missing = runCli({"download", "--server", "http://127.0.0.1:1"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("missing option --product"), std::string::npos);
    const auto lowerCase = runCli({"download", "--product", "usd/jpy", "--server", "http://127.0.0.1:1"});
    EXPECT_EQ(lowerCase.exitCode, 1);
    EXPECT_EQ(lowerCase.err, "Product not supported\n");
    const auto empty = runCli({"download", "--product", "", "--server", "http://127.0.0.1:1"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.err, "No Trade Product Selected.\n");
}

TEST(DownloadCommand, AnAnswerThatIsNoPriceHistoryKeepsTheFileAndFails) {
    varkel::test::bypassProxiesForLoopback();
    TempDirectory site;
    const varkel::test::LocalServer server(varkel::test::staticFileServerCommand(site.path().string()),
                                           (site / "requests.log").string());
    ASSERT_TRUE(server.ready());
    TempDirectory start;
    const std::string good = "20240715,15836,15840,15775,15831\n";
    writeFile(start / "data/USD_JPY.txt", good);
    const std::pair<std::string, std::string> answers[] = {
        {"<html><body>Service unavailable</body></html>\n", "none of its 1 line holds a bar"},
        {"", "it is empty"},
    };
    for (const auto& [body, reason] : answers) {
        writeFile(site / "Ledger-Vane/1483/data/usd.txt", body);
        const auto run = runCli({"download", "--product", "USD/JPY", "--server", server.address(), "--dir",
                                 start.path().string()});
        EXPECT_EQ(run.exitCode, 1) << reason;
        EXPECT_EQ(run.err, "The server's answer is not a price history: " + reason + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(readFile(start / "data/USD_JPY.txt"), good);
    }
}
