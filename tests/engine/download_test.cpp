#include "data/data_server.h"
#include "data/download.h"

#include "../support/files.h"
#include "../support/local_server.h"

#include <gtest/gtest.h>

#include <memory>

using namespace varkel;
using varkel::test::LocalServer;
using varkel::test::readFile;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

const std::string gbpHistory = "20240712,19001,19100,18950,19050\n20240715,19050,19120,19000,19110\n";
const std::string usdHistory = "20240715,15836,15840,15775,15831\n20240716,15831,15900,15800,15850\n";
const std::string earlier = "20240101,1,3,1,2\n";

// One python3 http.server for the suite, serving a folder laid out like the
// data server: USD/JPY and GBP/JPY have histories, EUR/JPY an empty file, and
// AUD/JPY is missing (404).
class Download : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        varkel::test::bypassProxiesForLoopback();
        site_ = std::make_unique<TempDirectory>();
        const auto data = site_->path() / "Ledger-Vane/1483/data";
        writeFile(data / "gbp.txt", gbpHistory);
        writeFile(data / "usd.txt", usdHistory);
        writeFile(data / "eur.txt", "");
        server_ = std::make_unique<LocalServer>(
            varkel::test::staticFileServerCommand(site_->path().string()), (site_->path() / "requests.log").string());
    }
    static void TearDownTestSuite() {
        server_.reset();
        site_.reset();
    }
    void SetUp() override { ASSERT_TRUE(server_->ready()); }

    static std::string requestLog() { return readFile(site_->path() / "requests.log"); }
    // Nothing but the price files themselves is left in the data directory.
    std::vector<std::string> dataDirectoryNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(start_ / "data"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::unique_ptr<TempDirectory> site_;
    static std::unique_ptr<LocalServer> server_;
    TempDirectory start_;
};

std::unique_ptr<TempDirectory> Download::site_;
std::unique_ptr<LocalServer> Download::server_;

}  // namespace

TEST_F(Download, GbpJpyRequestsTheGbpPathAndWritesItsPriceFile) {
    ASSERT_FALSE(std::filesystem::exists(start_ / "data"));
    const PriceHistoryDownload result = downloadPriceHistory("GBP/JPY", server_->address(), start_.path());
    ASSERT_TRUE(result.succeeded) << result.message << " " << result.detail;
    EXPECT_EQ(result.message, "Last update = 20240715");
    EXPECT_EQ(result.targetPath, (start_ / "data/GBP_JPY.txt").string());
    EXPECT_EQ(readFile(start_ / "data/GBP_JPY.txt"), gbpHistory);
    EXPECT_NE(requestLog().find("\"GET /Ledger-Vane/1483/data/gbp.txt HTTP/1.1\" 200"), std::string::npos);
    EXPECT_EQ(dataDirectoryNames(), std::vector<std::string>{"GBP_JPY.txt"});
}

TEST_F(Download, ASecondDownloadReplacesTheWholeFile) {
    writeFile(start_ / "data/USD_JPY.txt", usdHistory + usdHistory + usdHistory);
    const PriceHistoryDownload result = downloadPriceHistory("USD/JPY", server_->address(), start_.path());
    ASSERT_TRUE(result.succeeded) << result.message;
    EXPECT_EQ(result.message, "Last update = 20240716");
    EXPECT_EQ(readFile(start_ / "data/USD_JPY.txt"), usdHistory);
}

TEST_F(Download, ProductTextAndAddressAreCheckedBeforeAnythingIsWritten) {
    const std::string server = server_->address();
    EXPECT_EQ(downloadPriceHistory("", server, start_.path()).message, "No Trade Product Selected.");
    for (const char* text : {"usd/jpy", "USD/JPY ", "USD", "CHF/JPY"})
        EXPECT_EQ(downloadPriceHistory(text, server, start_.path()).message, "Product not supported") << text;
    for (const char* address : {"", "127.0.0.1:8000", "ftp://127.0.0.1", "https://127.0.0.1", "http://", "not a url"}) {
        EXPECT_EQ(downloadPriceHistory("USD/JPY", address, start_.path()).message, "Failed to resolve URL")
            << address;
        EXPECT_EQ(downloadPriceHistory("usd/jpy", address, start_.path()).message, "Failed to resolve URL")
            << address;
    }
    EXPECT_FALSE(std::filesystem::exists(start_ / "data"));

    // Only scheme, host and port count: a path, user or query of the address is dropped.
    const PriceHistoryDownload withExtras =
        downloadPriceHistory("USD/JPY", "http://someone:secret@" + server.substr(7) + "/mirror/?x=1", start_.path());
    EXPECT_TRUE(withExtras.succeeded) << withExtras.message;
}

TEST_F(Download, FailuresLeaveAnEarlierDownloadUntouched) {
    const auto target = start_ / "data/AUD_JPY.txt";
    writeFile(target, earlier);

    const PriceHistoryDownload notFound = downloadPriceHistory("AUD/JPY", server_->address(), start_.path());
    EXPECT_FALSE(notFound.succeeded);
    EXPECT_EQ(notFound.message, "Product not supported yet or network connection down.");
    EXPECT_EQ(notFound.detail, "HTTP status 404 from " + server_->address() + "/Ledger-Vane/1483/data/aud.txt");

    const std::string nobodyListening = "http://127.0.0.1:" + std::to_string(varkel::test::freePort());
    const PriceHistoryDownload refused = downloadPriceHistory("AUD/JPY", nobodyListening, start_.path());
    EXPECT_FALSE(refused.succeeded);
    EXPECT_EQ(refused.message, "Product not supported yet or network connection down.");
    // The cause and the address tried, not only that it failed.
    EXPECT_NE(refused.detail.find("Failed to connect to 127.0.0.1 port"), std::string::npos) << refused.detail;
    EXPECT_NE(refused.detail.find("; tried " + nobodyListening + "/Ledger-Vane/1483/data/aud.txt"), std::string::npos)
        << refused.detail;

    EXPECT_EQ(readFile(target), earlier);
    EXPECT_EQ(dataDirectoryNames(), std::vector<std::string>{"AUD_JPY.txt"});
}

TEST_F(Download, ABodyThatBreaksOffLeavesTheEarlierFileAndTheRequestIsTheClientsOwn) {
    const TempDirectory logs;
    const LocalServer breaking({"python3", VARKEL_TEST_DATA_DIR "/partial_body_server.py", "{port}",
                                (logs / "heads.log").string()},
                               (logs / "server.log").string());
    ASSERT_TRUE(breaking.ready());
    const auto target = start_ / "data/USD_JPY.txt";
    writeFile(target, earlier);

    const PriceHistoryDownload result = downloadPriceHistory("USD/JPY", breaking.address(), start_.path());
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.message, "Product not supported yet or network connection down.");
    // A cut transfer says so, unlike a refused connection.
    EXPECT_NE(result.detail.find("transfer closed with"), std::string::npos) << result.detail;
    EXPECT_EQ(readFile(target), earlier);
    EXPECT_EQ(dataDirectoryNames(), std::vector<std::string>{"USD_JPY.txt"});

    const std::string head = readFile(logs / "heads.log");
    EXPECT_EQ(head.rfind("GET /Ledger-Vane/1483/data/usd.txt HTTP/1.1\r\n", 0), 0u) << head;
    for (const char* header : {"\r\nUser-Agent: HttpGet - simple http client\r\n", "\r\nAccept: text/*\r\n",
                               "\r\nCache-Control: no-cache\r\n", "\r\nPragma: no-cache\r\n"})
        EXPECT_NE(head.find(header), std::string::npos) << header << " missing in\n" << head;
    EXPECT_EQ(head.find("Accept: */*"), std::string::npos);
}

TEST_F(Download, LastUpdateIsTheStartOfTheLastLine) {

    writeFile(start_ / "plain.txt", "20240715,1,3,1,2\n20240716,1,3,1,2");
    EXPECT_EQ(lastUpdateText(start_ / "plain.txt"), "20240716");
    writeFile(start_ / "short.txt", "20240715,1,3,1,2\ntail\n");
    EXPECT_EQ(lastUpdateText(start_ / "short.txt"), "tail\n");
    writeFile(start_ / "old_mac.txt", "20240715,1,3,1,2\r20240716,1,3,1,2\r");
    EXPECT_EQ(lastUpdateText(start_ / "old_mac.txt"), "20240716");
    writeFile(start_ / "crlf.txt", "20240715,1,3,1,2\r\nend\r\n");
    EXPECT_EQ(lastUpdateText(start_ / "crlf.txt"), "end\r\n");
    writeFile(start_ / "blank.txt", "20240715,1,3,1,2\n\n");
    EXPECT_EQ(lastUpdateText(start_ / "blank.txt"), "\n");
    writeFile(start_ / "empty.txt", "");
    EXPECT_EQ(lastUpdateText(start_ / "empty.txt"), "");
    EXPECT_EQ(lastUpdateText(start_ / "missing.txt"), std::nullopt);
    EXPECT_EQ(lastUpdateText(start_.path()), std::nullopt);
}

TEST_F(Download, ADataDirectoryThatCannotBeMadeIsNamed) {
    writeFile(start_ / "data", "a file where the folder should be");
    const PriceHistoryDownload result = downloadPriceHistory("USD/JPY", server_->address(), start_.path());
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.message.rfind("Failed to create directory " + (start_ / "data").string() + ": ", 0), 0u)
        << result.message;
}

TEST(DataServer, CommandLineOverEnvironmentOverSettingOverDefault) {
    unsetenv(dataServerVariable);
    EXPECT_EQ(resolveDataServer("", ""), "http://127.0.0.1:8000");
    EXPECT_EQ(resolveDataServer("", "http://stored:81"), "http://stored:81");
    setenv(dataServerVariable, "", 1);
    EXPECT_EQ(resolveDataServer("", "http://stored:81"), "http://stored:81");
    setenv(dataServerVariable, "http://environment:82", 1);
    EXPECT_EQ(resolveDataServer("", "http://stored:81"), "http://environment:82");
    EXPECT_EQ(resolveDataServer("http://given:83", "http://stored:81"), "http://given:83");
    unsetenv(dataServerVariable);
}

// A server that answers 200 with something other than a price history must
// not cost the trader the history already on disk.
TEST(DownloadAnswer, ThatIsNotAPriceHistoryKeepsTheEarlierFile) {
    varkel::test::bypassProxiesForLoopback();
    struct Case {
        const char* name;
        std::string body;
        std::string reason;  // after "The server's answer is not a price history: "
    };
    const std::string html = "<!DOCTYPE html>\n<html><head><title>Maintenance</title></head>\n"
                             "<body><p>Back soon, sorry, really.</p></body></html>\n";
    const std::vector<Case> cases{
        {"empty", "", "it is empty"},
        {"html", html, "none of its 3 lines holds a bar"},
        {"random bytes", std::string("\x8f\x01\xff\x00\x17\xfe", 6), "none of its 1 line holds a bar"},
        {"dates going back", "20240715,1,3,1,2\n20240716,1,3,1,2\n20240712,1,3,1,2\n",
         "the date 20240712 on line 3 is not later than 20240716 on line 2"},
        {"mostly refused", "d,o,h,l,c\n20240715,1,3,1,2\nx,a,b,c,d\ny,a,b,c,d\nz,a,b,c,d\n",
         "4 lines refused (lines 1, 3, 4, 5)"},
    };
    const TempDirectory site;
    LocalServer server(varkel::test::staticFileServerCommand(site.path().string()),
                             (site / "requests.log").string());
    ASSERT_TRUE(server.ready());
    const TempDirectory start;
    const auto target = start / "data/USD_JPY.txt";
    writeFile(target, earlier);
    for (const Case& c : cases) {
        writeFile(site / "Ledger-Vane/1483/data/usd.txt", c.body);
        const PriceHistoryDownload result = downloadPriceHistory("USD/JPY", server.address(), start.path());
        EXPECT_FALSE(result.succeeded) << c.name;
        EXPECT_EQ(result.message, "The server's answer is not a price history: " + c.reason) << c.name;
        EXPECT_EQ(readFile(target), earlier) << c.name;
    }

    // A history with its title line and CR line ends is one.
    writeFile(site / "Ledger-Vane/1483/data/usd.txt", "Date,Open,High,Low,Close\r20240715,1,3,1,2\r20240716,1,3,1,2\r");
    const PriceHistoryDownload good = downloadPriceHistory("USD/JPY", server.address(), start.path());
    EXPECT_TRUE(good.succeeded) << good.message;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(start / "data"), std::filesystem::directory_iterator()), 1);
}

// An answer whose every bar the loader refuses is no history: before, the
// shorter-history check counted it as 0 bars and the history check let it
// through, and --replace put it in place of thousands of bars.
TEST(DownloadAnswer, WithBarsTheLoaderRefusesIsRefusedWholeWithTheLineNamed) {
    varkel::test::bypassProxiesForLoopback();
    const TempDirectory site;
    writeFile(site.path() / "Ledger-Vane/1483/data/usd.txt", "20240715,1e308,1e308,-5,0\n20240716,0x10,abc1,1,1\n");
    LocalServer server(varkel::test::staticFileServerCommand(site.path().string()),
                             (site.path() / "requests.log").string());
    ASSERT_TRUE(server.ready());
    const TempDirectory start;
    writeFile(start / "data/USD_JPY.txt", usdHistory);
    const PriceHistoryDownload result =
        downloadPriceHistory("USD/JPY", server.address(), start.path(), nullptr, DownloadOptions{true});
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.message, std::string(notAPriceHistoryMessage) +
                                  "line 1 (20240715,1e308,1e308,-5,0) would not load: it has a price a hundred "
                                  "times away from the history's median close");
    EXPECT_EQ(readFile(start / "data/USD_JPY.txt"), usdHistory);
}
