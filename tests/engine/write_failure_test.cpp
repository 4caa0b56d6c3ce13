// A full disk (here: a file-size limit in a child process) in the middle of
// any write the program makes must leave the last good file as it was.

#include "data/append_bar.h"
#include "model/trade_model_file.h"
#include "report/strategy_file.h"

#include "../support/file_size_limit.h"
#include "../support/files.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <functional>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

ProductRegistry oneProduct(const char* name, int bars) {
    ProductRegistry registry;
    Product& product = *registry.addProduct(name);
    for (int i = 0; i < bars; ++i) {
        Bar& bar = product.bars.emplace_back();
        bar.dateText = std::to_string(20240101 + i);
        bar.open = bar.high = bar.low = bar.close = 150.0 + i;
    }
    product.bars.emplace_back();
    return registry;
}

const AppendRequest nextBar{"20240716", "15831", "15870", "15790", "15850"};

// Every regular file below `dir`.
std::ptrdiff_t filesBelow(const fs::path& dir) {
    return std::count_if(fs::recursive_directory_iterator(dir), fs::recursive_directory_iterator(),
                         [](const fs::directory_entry& entry) { return entry.is_regular_file(); });
}

}  // namespace

TEST(WriteFailure, LeavesTheModelStrategyAndPriceFilesAsTheyWere) {
    struct Case {
        const char* name;
        fs::path file;  // below the case's folder
        std::function<bool(const fs::path& dir)> write;
        std::string appended;  // what a successful write adds to the old file; empty: replaces it
    };
    const ProductRegistry registry = oneProduct("USD/JPY", 50);
    TradeModel model;
    model.layers[0].kind = StudyKind::Macd;
    const std::vector<Case> cases{
        {"model", "USD_JPY.pfm", [&](const fs::path& dir) { return saveTradeModel(model, dir / "USD_JPY.pfm"); }, ""},
        {"strategy", "strategy/USD_JPY.csv",
         [&](const fs::path& dir) { return writeStrategyFile(registry, "USD/JPY", dir); }, ""},
        {"append", "USD_JPY.txt",
         [](const fs::path& dir) {
             return appendPriceLine((dir / "USD_JPY.txt").string(), nextBar).status == AppendStatus::Appended;
         },
         "20240716,15831,15870,15790,15850\n"},
    };
    const std::string old = "20240715,15836,15840,15775,15831\n";
    for (const Case& c : cases) {
        const fs::path dir = test::freshDirectory(std::string("write_failure_") + c.name);
        test::writeFile(dir / c.file, old);
        // Room for the old bytes and ten more: a write in place would leave a
        // cut file (for the append a valid-looking half bar).
        EXPECT_EQ(test::exitCodeUnderFileSizeLimit(old.size() + 10, [&] { return c.write(dir); }), 1) << c.name;
        EXPECT_EQ(test::readFile(dir / c.file), old) << c.name;
        EXPECT_EQ(filesBelow(dir), 1) << c.name << ": a temporary file was left behind";

        // Once there is room again, the same write simply works (an append
        // after a half line used to be refused as not later than the last date).
        ASSERT_TRUE(c.write(dir)) << c.name;
        if (c.appended.empty())
            EXPECT_NE(test::readFile(dir / c.file), old) << c.name;
        else
            EXPECT_EQ(test::readFile(dir / c.file), old + c.appended) << c.name;
        EXPECT_EQ(filesBelow(dir), 1) << c.name;
    }
}
