#include "report/strategy_file.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

void addProductWithOneDay(ProductRegistry& registry, const char* name) {
    Product& product = *registry.addProduct(name);
    Bar& day = product.bars.emplace_back();
    day.dateText = "20240102";
    day.open = 120.3;
    day.high = 121.1;
    day.low = 119.95;
    day.close = 1234.5;
    day.position = 1;
    day.dailyPnl = -0.05;
    day.cumulativePnl = 12.25;
    product.bars.emplace_back().position = -1;
}

}  // namespace

TEST(StrategyFile, OneLinePerBarWithTheNextDayBarLast) {
    const fs::path dir = test::freshDirectory("strategy_lines");
    ProductRegistry registry;
    addProductWithOneDay(registry, "EUR/JPY");
    ASSERT_TRUE(writeStrategyFile(registry, "EUR/JPY", dir));  // creates dir/strategy
    EXPECT_EQ(strategyFilePath(dir, "EUR/JPY"), dir / "strategy" / "EUR_JPY.csv");
    const std::string expected =
        "20240102,    120.30,    121.10,    119.95,   1234.50,1,   -0.0500,   12.2500\n"
        ",      0.00,      0.00,      0.00,      0.00,-1,    0.0000,    0.0000\n";
    EXPECT_EQ(test::readFile(dir / "strategy" / "EUR_JPY.csv"), expected);

    // A second run replaces the file; a name without '/' is used unchanged.
    ASSERT_TRUE(writeStrategyFile(registry, "EUR/JPY", dir));
    EXPECT_EQ(test::readFile(dir / "strategy" / "EUR_JPY.csv"), expected);
    addProductWithOneDay(registry, "NIKKEI");
    ASSERT_TRUE(writeStrategyFile(registry, "NIKKEI", dir));
    EXPECT_TRUE(fs::exists(dir / "strategy" / "NIKKEI.csv"));
}

TEST(StrategyFile, ReportsAFileThatCannotBeWritten) {
    const fs::path dir = test::freshDirectory("strategy_blocked");
    std::ofstream(dir / "strategy") << "a file where the directory should be";
    ProductRegistry registry;
    addProductWithOneDay(registry, "USD/JPY");
    EXPECT_FALSE(writeStrategyFile(registry, "USD/JPY", dir));
    EXPECT_FALSE(writeStrategyFile(registry, "AUD/JPY", test::freshDirectory("strategy_unknown")));
    EXPECT_FALSE(fs::exists(test::freshDirectory("strategy_unknown") / "strategy"));
}

// A line longer than a fixed buffer was cut without its line end and joined
// the next bar's line.
TEST(StrategyFile, KeepsEveryDigitOfHugeValuesOnTheirOwnLine) {
    const fs::path dir = test::freshDirectory("strategy_huge");
    ProductRegistry registry;
    addProductWithOneDay(registry, "USD/JPY");
    Bar& day = registry.findProduct("USD/JPY")->bars.front();
    day.open = day.high = day.low = day.close = 1e300;
    day.cumulativePnl = -1e300;
    ASSERT_TRUE(writeStrategyFile(registry, "USD/JPY", dir));
    const std::string text = test::readFile(dir / "strategy" / "USD_JPY.csv");
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    const std::string first = text.substr(0, text.find('\n'));
    EXPECT_GT(first.size(), 1023u);
    std::vector<double> fields;
    for (std::size_t start = first.find(',') + 1; start != 0; start = first.find(',', start) + 1)
        fields.push_back(std::strtod(first.c_str() + start, nullptr));
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[0], 1e300);  // printed exactly, read back to the same double
    EXPECT_EQ(fields[3], 1e300);
    EXPECT_EQ(fields[6], -1e300);
    EXPECT_TRUE(text.ends_with("\n,      0.00,      0.00,      0.00,      0.00,-1,    0.0000,    0.0000\n"));
}

// The line check is skipped only for text whose dates cannot break a line: a
// date holding a comma or a line end still refuses the write, and the file
// stays as it was.
TEST(StrategyFile, RefusesDatesThatWouldBreakTheirLines) {
    const fs::path dir = test::freshDirectory("strategy_broken_dates");
    ProductRegistry registry;
    addProductWithOneDay(registry, "USD/JPY");
    ASSERT_TRUE(writeStrategyFile(registry, "USD/JPY", dir));
    const std::string before = test::readFile(dir / "strategy" / "USD_JPY.csv");
    for (const char* date : {"2024,0102", "2024\n0102", "2024\r0102"}) {
        registry.findProduct("USD/JPY")->bars.front().dateText = date;
        std::string error;
        EXPECT_FALSE(writeStrategyFile(registry, "USD/JPY", dir, &error)) << date;
        EXPECT_NE(error.find("line 1 would not hold the eight fields of a bar"), std::string::npos) << error;
        EXPECT_EQ(test::readFile(dir / "strategy" / "USD_JPY.csv"), before);
    }
}

// The edit's text moves into its write: used again, it refuses instead of
// writing an empty file.
TEST(StrategyFile, AnEditWritesItsTextOnce) {
    const fs::path dir = test::freshDirectory("strategy_edit_once");
    ProductRegistry registry;
    addProductWithOneDay(registry, "USD/JPY");
    const std::optional<OwnedFileEdit> edit = strategyFileEdit(registry, "USD/JPY", dir);
    ASSERT_TRUE(edit);
    ASSERT_TRUE(changeOwnedFile(*edit));
    const std::string written = test::readFile(dir / "strategy" / "USD_JPY.csv");
    EXPECT_FALSE(written.empty());
    const OwnedWrite again = changeOwnedFile(*edit);
    EXPECT_EQ(again.status, OwnedWriteStatus::Refused);
    EXPECT_EQ(test::readFile(dir / "strategy" / "USD_JPY.csv"), written);
}
