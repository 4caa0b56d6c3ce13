#include "data/download.h"

#include "../support/files.h"
#include "../support/local_server.h"

#include <gtest/gtest.h>

using namespace varkel;
using varkel::test::LocalServer;
using varkel::test::readFile;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

std::string history(int firstDay, int lastDay) {
    std::string text;
    for (int d = firstDay; d <= lastDay; ++d) {
        const std::string n = std::to_string(d);
        text += "2024010" + n + ",1500" + n + ",1510" + n + ",1490" + n + ",1505" + n + "\n";
    }
    return text;
}

}  // namespace

// The framings a server may answer with, from a local server that lies as
// asked: a body whose end the server does not mark must end with a whole bar;
// a history shorter than the file, or ending earlier, replaces it only when
// asked to; a transfer beyond its time limit stops. A refused download leaves
// the file there byte for byte.
TEST(DownloadFraming, OnlyAWholeHistoryThatLosesNoBarReplacesTheFile) {
    varkel::test::bypassProxiesForLoopback();
    const std::string served = history(1, 5);
    const std::string longer = history(1, 6);  // a bar appended by hand
    struct Case {
        const char* mode;
        std::string local;  // the file before; empty: none
        DownloadOptions options;
        bool succeeds;
        std::string message;  // the start of the message when refused
    };
    DownloadOptions replace;
    replace.replaceLongerHistory = true;
    DownloadOptions twoSeconds;
    twoSeconds.timeLimit = std::chrono::seconds(2);
    const Case cases[] = {
        {"close-cut", "", {}, false, "The server's answer is not a price history: it breaks off in line 6"},
        {"close-tail", "", {}, false, "The server's answer is not a price history: its last line 6 holds only part"},
        {"close-whole", "", {}, true, ""},
        {"chunked", history(1, 3), {}, true, ""},
        {"one-bar", served, {}, false, "The server's history holds 1 bar up to 20240105, less than the 5 bars"},
        {"close-whole", longer, {}, false, "The server's history holds 5 bars up to 20240105, less than the 6 bars up to 20240106"},
        {"close-whole", longer, replace, true, ""},
        {"drip", "", twoSeconds, false, "The download took too long and was stopped: it ran longer than 2 s"},
    };
    for (const Case& c : cases) {
        const TempDirectory site;
        LocalServer server({"python3", VARKEL_TEST_DATA_DIR "/framing_server.py", "{port}", c.mode},
                           (site / "server.log").string());
        ASSERT_TRUE(server.ready()) << c.mode;
        const TempDirectory start;
        const auto target = start / "data/USD_JPY.txt";
        if (!c.local.empty()) writeFile(target, c.local);
        const auto began = std::chrono::steady_clock::now();
        const PriceHistoryDownload result =
            downloadPriceHistory("USD/JPY", server.address(), start.path(), nullptr, c.options);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10)) << c.mode;
        EXPECT_EQ(result.succeeded, c.succeeds) << c.mode << ": " << result.message;
        if (c.succeeds) {
            EXPECT_EQ(readFile(target), served) << c.mode;
        } else {
            EXPECT_EQ(result.message.substr(0, c.message.size()), c.message) << c.mode;
            EXPECT_EQ(readFile(target), c.local) << c.mode;
        }
        EXPECT_EQ(result.wouldLoseHistory, c.message.find("less than") != std::string::npos) << c.mode;
    }
}
