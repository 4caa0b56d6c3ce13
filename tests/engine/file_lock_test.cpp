#include "data/append_bar.h"
#include "base/file_lock.h"
#include "model/trade_model_file.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <barrier>
#include <thread>
#include <vector>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

AppendRequest barOn(int date) {
    const std::string day = std::to_string(date);
    return {day, "15000", "15100", "14900", "15050"};
}

}  // namespace

// Writers released together by a barrier, round after round: every append
// that reports success must be in the file afterwards (without the lock a
// second writer reads the file before the first one's rename and writes it
// back without that bar). Dates race too, so some appends are refused as
// not later than the last one: never both refused and written.
TEST(FileLock, ConcurrentAppendsNeverLoseABarThatReportedSuccess) {
    const fs::path dir = test::freshDirectory("lock_appends");
    const fs::path file = dir / "USD_JPY.txt";
    test::writeFile(file, "20240101,15000,15100,14900,15050\n");
    constexpr int writers = 6;
    constexpr int rounds = 15;
    std::barrier start(writers);
    std::vector<std::vector<std::string>> written(writers);
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w)
        threads.emplace_back([&, w] {
            for (int round = 0; round < rounds; ++round) {
                start.arrive_and_wait();
                const AppendResult result = appendPriceLine(file.string(), barOn(20240200 + round * 100 + w + 1));
                if (result.status == AppendStatus::Appended) written[w].push_back(result.line);
                else EXPECT_EQ(result.status, AppendStatus::Refused) << result.message;
            }
        });
    for (std::thread& thread : threads) thread.join();
    const std::string content = test::readFile(file);
    int reported = 0;
    for (const auto& lines : written)
        for (const std::string& line : lines) {
            ++reported;
            EXPECT_NE(content.find(line + "\n"), std::string::npos) << line;
        }
    EXPECT_EQ(static_cast<long>(std::count(content.begin(), content.end(), '\n')), reported + 1);
    EXPECT_GE(reported, rounds);  // at least one writer per round
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "lock files left";
}

// A writer that finds the lock taken waits a short while, then gives up with
// the reason, leaving the file as the holder has it.
TEST(FileLock, ASecondWriterWaitsThenSaysTheFileIsBeingChanged) {
    const fs::path dir = test::freshDirectory("lock_busy");
    const fs::path prices = dir / "USD_JPY.txt";
    const fs::path model = dir / "USD_JPY.pfm";
    test::writeFile(prices, "20240101,15000,15100,14900,15050\n");
    TradeModel saved;
    ASSERT_TRUE(saveTradeModel(saved, model));
    const std::string before = test::readFile(prices);
    const std::string modelBefore = test::readFile(model);

    struct Case {
        const char* name;
        fs::path held;
        std::function<std::string()> write;  // the writer's reason for not writing
    };
    const Case cases[] = {
        {"append", prices, [&] { return appendPriceLine(prices.string(), barOn(20240102)).message; }},
        {"model save", model, [&] {
             std::string error;
             TradeModel other;
             other.netProfit = 7;
             saveTradeModel(other, model, &error);
             return error;
         }},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto held = FileLock::acquire(c.held, &error);
        ASSERT_TRUE(held) << error;
        const auto started = std::chrono::steady_clock::now();
        std::string reason;
        std::thread writer([&] { reason = c.write(); });
        writer.join();
        EXPECT_EQ(reason, beingChangedMessage(c.held)) << c.name;
        EXPECT_GE(std::chrono::steady_clock::now() - started, fileLockWait) << c.name;
    }
    EXPECT_EQ(test::readFile(prices), before);
    EXPECT_EQ(test::readFile(model), modelBefore);
    // Released: the same writes now go through.
    EXPECT_EQ(appendPriceLine(prices.string(), barOn(20240102)).status, AppendStatus::Appended);
}

// The daily signal writes its refreshed model back only over the text it
// read: a model a build saved in the meantime stays.
TEST(FileLock, AModelChangedSinceItWasReadIsNotOverwritten) {
    const fs::path model = test::freshDirectory("lock_stale") / "USD_JPY.pfm";
    TradeModel first;
    first.netProfit = 1;
    ASSERT_TRUE(saveTradeModel(first, model));
    const std::string read = test::readFile(model);
    TradeModel rebuilt;
    rebuilt.netProfit = 2;
    ASSERT_TRUE(saveTradeModel(rebuilt, model));
    const std::string newer = test::readFile(model);

    TradeModel refreshed = first;
    refreshed.sharpeRatio = 3;
    std::string error;
    EXPECT_FALSE(saveTradeModel(refreshed, model, &error, &read));
    EXPECT_NE(error.find("another program changed it"), std::string::npos) << error;
    EXPECT_EQ(test::readFile(model), newer);
    EXPECT_TRUE(saveTradeModel(refreshed, model, &error, &newer)) << error;
}
