#include "data/append_bar.h"
#include "data/bar_edit.h"
#include "data/price_file.h"
#include "data/price_history_write.h"
#include "data/price_import.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

const std::string history = "20240102,15000,15100,14900,15050\n20240103,15050,15150,15000,15100\n";

}  // namespace

// Bars the loader refuses are never written: zeros (no market trades there)
// and prices a hundred times the history's (a typing slip). Before, append
// and edit wrote them and the next load dropped the bar without a word.
TEST(PriceHistoryWrite, AppendAndEditRefuseBarsTheLoaderWouldRefuse) {
    const fs::path dir = test::freshDirectory("history_write_refusals");
    const fs::path file = dir / "USD_JPY.txt";
    test::writeFile(file, history);
    const std::string longer = history + "20240104,15100,15200,15000,15150\n20240105,15150,15250,15100,15200\n";
    test::writeFile(file, longer);
    const AppendResult zeros = appendPriceLine(file.string(), {"20240108", "0", "0", "0", "0"});
    EXPECT_EQ(zeros.status, AppendStatus::Refused);
    EXPECT_EQ(zeros.field, AppendField::Low);
    const BarEditResult zeroEdit = editPriceBar(file.string(), {"20240103", AppendRequest{"", "0", "0", "0", "0"}});
    EXPECT_EQ(zeroEdit.status, BarEditStatus::Refused);
    EXPECT_EQ(zeroEdit.message, "Low Price 0.00 is not above zero; no market trades there.");
    const BarEditResult absurd =
        editPriceBar(file.string(), {"20240103", AppendRequest{"", "2000000", "2000000", "2000000", "2000000"}});
    EXPECT_EQ(absurd.status, BarEditStatus::Refused);
    EXPECT_EQ(absurd.message, file.string() +
                                  " was left as it was: line 2 (20240103,2000000,2000000,2000000,2000000) would not "
                                  "load: it has a price a hundred times away from the history's median close.");
    EXPECT_EQ(test::readFile(file), longer);
    // A fault the file had before a change is not the change's: the file can
    // still be corrected bar by bar.
    test::writeFile(file, longer + "20240108,abc,1,1,1\n");
    EXPECT_EQ(editPriceBar(file.string(), {"20240102", AppendRequest{"", "15001", "15100", "14900", "15050"}}).status,
              BarEditStatus::Edited);
}

TEST(PriceHistoryWrite, ANewHistoryMustLoadWholeWithTheLineNamed) {
    EXPECT_EQ(priceHistoryWriteFault(history), std::nullopt);
    EXPECT_EQ(priceHistoryWriteFault("20240715,1e308,1e308,-5,0\n20240716,0x10,abc1,1,1\n"),
              "line 1 (20240715,1e308,1e308,-5,0) would not load: it has a price a hundred times away from the "
              "history's median close");
    EXPECT_EQ(priceHistoryWriteFault(history + "20240103,15050,15150,15000,15100\n"),
              "line 3 (20240103,15050,15150,15000,15100) would not load: it repeats the date of the bar before it");
    EXPECT_EQ(priceHistoryWriteFault("Date,Open,High,Low,Close\n"), "no line holds a bar");
    EXPECT_EQ(priceHistoryWriteFault("Date,Open,High,Low,Close\n" + history), std::nullopt);
    // Tolerated: the same refused line the file already had.
    const std::string faulty = history + "20240108,abc,1,1,1\n";
    EXPECT_NE(priceHistoryWriteFault(faulty), std::nullopt);
    EXPECT_EQ(priceHistoryWriteFault(faulty, faulty), std::nullopt);
}

// An import whose price file the loader would not read (larger than its
// 64 MB) is refused, and the history at the target stays: before, it was
// replaced by a file no command could open.
TEST(PriceHistoryWrite, AnImportLargerThanTheLoaderReadsKeepsTheTarget) {
    const fs::path dir = test::freshDirectory("history_write_import_cap");
    std::string source = "Date,Open,High,Low,Close\n";
    using namespace std::chrono;
    sys_days day = sys_days(year(1200) / January / 1);
    // 33-byte lines: just over the cap.
    const std::size_t bars = maxPriceFileBytes / 33 + 1000;
    source.reserve(bars * 45);
    for (std::size_t i = 0; i < bars; ++i, day += days(1)) {
        const year_month_day date(day);
        char line[64];
        std::snprintf(line, sizeof line, "%04d-%02u-%02u,150.00,151.00,149.00,150.50\n", int(date.year()),
                      unsigned(date.month()), unsigned(date.day()));
        source += line;
    }
    test::writeFile(dir / "export.csv", source);
    source.clear();
    source.shrink_to_fit();
    test::writeFile(dir / "USD_JPY.txt", history);
    const PriceImport result = importPriceFile(dir / "export.csv", dir / "USD_JPY.txt", ImportFormat::Auto);
    EXPECT_EQ(result.status, ImportStatus::WriteFailed);
    EXPECT_NE(result.writeError.find("larger than 64 MB"), std::string::npos) << result.writeError;
    EXPECT_EQ(test::readFile(dir / "USD_JPY.txt"), history);
}

// Memory follows the bars kept: millions of junk rows are counted, the
// first few named. Devices and files larger than the cap are refused before
// a byte is read.
TEST(PriceHistoryWrite, AnImportNamesTheFirstSkippedLinesAndRefusesHugeSourcesAtOnce) {
    std::string source = "Date,Open,High,Low,Close\n2024-07-15,150,151,149,150.5\n";
    for (int i = 0; i < 100000; ++i) source += "junk\n";
    const PriceConversion conversion = convertPriceText(source, ImportFormat::Auto);
    EXPECT_EQ(conversion.bars, 1);
    EXPECT_EQ(conversion.skippedCount, 100000);
    ASSERT_EQ(conversion.firstSkipped.size(), PriceConversion::maxNamedSkips);
    EXPECT_EQ(conversion.firstSkipped.front().lineNumber, 3);
    EXPECT_EQ(conversion.firstSkipped.back().lineNumber, 2 + static_cast<int>(PriceConversion::maxNamedSkips));

    const fs::path dir = test::freshDirectory("history_write_import_huge");
    const fs::path sparse = dir / "sparse.csv";
    test::writeFile(sparse, "");
    fs::resize_file(sparse, maxImportFileBytes + 1);
    for (const fs::path& from : {sparse, fs::path("/dev/zero")}) {
        const PriceImport result = importPriceFile(from, dir / "USD_JPY.txt", ImportFormat::Auto);
        EXPECT_EQ(result.status, ImportStatus::Unreadable) << from;
        EXPECT_TRUE(result.tooLarge) << from;
    }
    EXPECT_FALSE(fs::exists(dir / "USD_JPY.txt"));
}
