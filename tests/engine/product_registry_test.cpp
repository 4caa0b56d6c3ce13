#include "data/price_file.h"
#include "data/product_registry.h"
#include "../support/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace varkel;

namespace {

// One folder of this run's own, so that runs side by side never share a file.
std::string writeTempFile(const std::string& name, const std::string& content) {
    static const test::TempDirectory folder;
    const auto path = folder / name;
    test::writeFile(path, content);
    return path.string();
}

}  // namespace

TEST(ProductRegistry, FindsByPrefixOfTheGivenText) {
    ProductRegistry registry;
    ASSERT_NE(registry.addProduct("USD/JPY"), nullptr);
    EXPECT_EQ(registry.findProduct("USD")->name, "USD/JPY");
    EXPECT_EQ(registry.findProduct("EUR"), nullptr);

    ProductRegistry shortNames;
    shortNames.addProduct("USD");
    EXPECT_EQ(shortNames.findProduct("USD/JPY"), nullptr);
}

TEST(ProductRegistry, RefusesDuplicatesAndOverlongNames) {
    ProductRegistry registry;
    Product* first = registry.addProduct("USD/JPY");
    ASSERT_NE(first, nullptr);
    EXPECT_DOUBLE_EQ(first->priceScale, 0.01);
    EXPECT_EQ(first->tradeUnits, 5);
    EXPECT_DOUBLE_EQ(first->pipSize, 0.01);
    EXPECT_EQ(registry.addProduct("USD/JPY"), nullptr);
    EXPECT_EQ(registry.addProduct(std::string(256, 'X')), nullptr);
    EXPECT_NE(registry.addProduct(std::string(255, 'X')), nullptr);
    EXPECT_EQ(registry.productCount(), 2);
}

TEST(ProductRegistry, AddBarNeedsFourCommasAndAKnownProduct) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    EXPECT_EQ(registry.addBar("USD/JPY", "1,2,3,4"), nullptr);
    EXPECT_EQ(registry.addBar("EUR/JPY", "1,2,3,4,5"), nullptr);
    EXPECT_EQ(registry.findProduct("USD/JPY")->barCount(), 0);
    Bar* bar = registry.addBar("USD/JPY", "1,2,3,4,5");
    ASSERT_NE(bar, nullptr);
    EXPECT_DOUBLE_EQ(registry.currentPriceScale, 0.01);
    EXPECT_EQ(registry.findProduct("USD/JPY")->barCount(), 1);
}

TEST(PriceFile, ParsesOneLineAndAppendsTheEmptyNextDayBar) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    const auto path = writeTempFile("one.txt", "20240102,12031,12110,12009,12100\r\n");
    const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", path);
    ASSERT_TRUE(load);
    const Product* product = registry.findProduct("USD/JPY");
    ASSERT_EQ(product->barCount(), 2);
    const Bar& bar = product->bars[0];
    EXPECT_EQ(bar.dateText, "20240102");
    EXPECT_DOUBLE_EQ(bar.open, 120.31);
    EXPECT_DOUBLE_EQ(bar.high, 121.10);
    EXPECT_DOUBLE_EQ(bar.low, 120.09);
    EXPECT_DOUBLE_EQ(bar.close, 121.00);
    const Bar& next = product->bars[1];
    EXPECT_EQ(next.dateText, "");
    EXPECT_EQ(next.open + next.high + next.low + next.close, 0.0);
}

TEST(PriceFile, RefusesLinesWithoutNumbersAndReportsThem) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    const std::string longDate(64, '2');
    const auto path = writeTempFile(
        "mixed.txt",
        "Date,Open,High,Low,Close\n"              // title: refused, not a bar of zeros
        "20240102,12031,12110,12009,12100,99\n"   // sixth field ignored
        "\n"                                       // blank: skipped silently
        "20240103,,12110,12009,12100\n"           // empty field does not shift the rest
        "20240104, 120.31,12110,12009,12100\n"    // decimal point scaled: 1.2031, absurd beside 121
        "only,three,commas,here\n"                // fewer than 4 commas: silent
        + longDate + ",1,2,3,4\n");
    const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", path);
    const Product* product = registry.findProduct("USD/JPY");
    ASSERT_EQ(product->barCount(), 2);
    EXPECT_EQ(product->bars[0].dateText, "20240102");
    EXPECT_DOUBLE_EQ(product->bars[0].close, 121.0);
    EXPECT_EQ(load.refusedCount, 4);
    EXPECT_EQ(load.firstRefusedLines, (std::vector<int>{1, 4, 5, 7}));
    EXPECT_EQ(load.refusedSummary(), "4 lines refused (lines 1, 4, 5, 7); 1 with an impossible price");
}

TEST(PriceFile, KeepsAVeryLongLineWhole) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    const auto path =
        writeTempFile("long.txt", "20240102,12031,12110,12009,12100," + std::string(2000, 'x') + "\n");
    loadPriceFile(registry, "USD/JPY", path);
    EXPECT_EQ(registry.findProduct("USD/JPY")->barCount(), 2);
}

TEST(PriceFile, MissingFileChangesNothingAndEmptyFileGivesOnlyTheNextDayBar) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    EXPECT_FALSE(loadPriceFile(registry, "USD/JPY", "/nonexistent/file.txt"));
    EXPECT_FALSE(loadPriceFile(registry, "USD/JPY", std::filesystem::temp_directory_path().string()));
    EXPECT_EQ(registry.findProduct("USD/JPY")->barCount(), 0);
    EXPECT_TRUE(loadPriceFile(registry, "USD/JPY", writeTempFile("empty.txt", "")));
    EXPECT_EQ(registry.findProduct("USD/JPY")->barCount(), 1);
}

TEST(PriceFile, LoadsEverySample) {
    for (const auto& [file, bars] : {std::pair{"USD_JPY.txt", 4666}, {"EUR_JPY.txt", 5351},
                                     {"GBP_JPY.txt", 4666}, {"AUD_JPY.txt", 4666}}) {
        ProductRegistry registry;
        registry.addProduct("X");
        const PriceFileLoad load =
            loadPriceFile(registry, "X", std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/" + file);
        EXPECT_EQ(load.barsLoaded, bars) << file;
        EXPECT_EQ(load.refusedCount, 0) << file;
        EXPECT_EQ(registry.findProduct("X")->barCount(), bars + 1) << file;
    }
}

TEST(ProductRegistry, TheEmptyNameIsNoProduct) {
    ProductRegistry registry;
    EXPECT_EQ(registry.addProduct(""), nullptr);
    ASSERT_NE(registry.addProduct("USD/JPY"), nullptr);
    EXPECT_EQ(registry.findProduct(""), nullptr);  // it would begin every name
    EXPECT_EQ(registry.productCount(), 1);
}

// Files from old Macs end their lines with a lone CR; mixed files happen when
// histories are pasted together. Every line is a line.
TEST(PriceFile, EveryLineEndEndsALine) {
    struct Case {
        const char* name;
        std::string content;
        int lines;
    };
    const std::vector<Case> cases{
        {"LF", "20240102,1,3,1,2\n20240103,2,4,2,3\n20240104,3,5,3,4\n", 3},
        {"CR", "20240102,1,3,1,2\r20240103,2,4,2,3\r20240104,3,5,3,4\r", 3},
        {"CR LF", "20240102,1,3,1,2\r\n20240103,2,4,2,3\r\n20240104,3,5,3,4", 3},
        {"mixed", "20240102,1,3,1,2\r20240103,2,4,2,3\n\r\n20240104,3,5,3,4\r\n", 4},
    };
    for (const Case& c : cases) {
        ProductRegistry registry;
        registry.addProduct("USD/JPY");
        const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", writeTempFile("line_ends.txt", c.content));
        EXPECT_EQ(load.linesRead, c.lines) << c.name;
        EXPECT_EQ(load.barsLoaded, 3) << c.name;
        EXPECT_EQ(load.refusedCount, 0) << c.name;
        const auto& bars = registry.findProduct("USD/JPY")->bars;
        ASSERT_EQ(bars.size(), 4u) << c.name;
        EXPECT_EQ(bars[2].dateText, "20240104") << c.name;
        EXPECT_DOUBLE_EQ(bars[2].close, 0.04) << c.name;
    }
}

TEST(PriceFile, AFileLargerThanAnyHistoryIsRefusedUnread) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    const PriceFileLoad endless = loadPriceFile(registry, "USD/JPY", "/dev/zero");
    EXPECT_FALSE(endless);
    EXPECT_TRUE(endless.tooLarge);
    EXPECT_EQ(registry.findProduct("USD/JPY")->barCount(), 0);
    EXPECT_EQ(priceFileTooLargeMessage("/dev/zero"), "The price file /dev/zero is larger than 64 MB and is not read.");

    // Just at the limit is still a file to read; one byte more is not.
    const std::string line = "20240102,1,3,1,2\n";
    std::string atLimit = line + std::string(maxPriceFileBytes - line.size(), '\n');
    const PriceFileLoad whole = loadPriceFile(registry, "USD/JPY", writeTempFile("at_limit.txt", atLimit));
    EXPECT_TRUE(whole);
    EXPECT_EQ(whole.barsLoaded, 1);
    EXPECT_EQ(whole.linesRead, static_cast<int>(maxPriceFileBytes - line.size()) + 1);
    atLimit += '\n';
    const PriceFileLoad over = loadPriceFile(registry, "USD/JPY", writeTempFile("at_limit.txt", atLimit));
    EXPECT_TRUE(over.tooLarge);
}

TEST(PriceFile, LoadsOnlyTheIncreasingPartOfDatesAndReportsTheRest) {
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> loadedDates;
        std::vector<RefusedLine> refused;
    };
    const auto line = [](const char* date) { return std::string(date) + ",100,110,90,105\n"; };
    const std::string days = line("20240102") + line("20240103") + line("20240104");
    using R = LineRefusal;
    const Case cases[] = {
        {"reversed", line("20240104") + line("20240103") + line("20240102"),
         {"20240104"}, {{2, R::DateEarlier, "20240103"}, {3, R::DateEarlier, "20240102"}}},
        {"pasted twice", days + days,
         {"20240102", "20240103", "20240104"},
         {{4, R::DateEarlier, "20240102"}, {5, R::DateEarlier, "20240103"}, {6, R::DateRepeated, "20240104"}}},
        {"interleaved", line("20240102") + line("20240105") + line("20240103") + line("20240106") +
                            line("20240106"),
         {"20240102", "20240105", "20240106"}, {{3, R::DateEarlier, "20240103"}, {5, R::DateRepeated, "20240106"}}},
        // Dates that are not eight digits are not compared, and do not reset the order.
        {"other date texts", line("2024-01-05") + line("20240103") + line("Jan 1") + line("20240102") +
                                 line("2024-01-01"),
         {"2024-01-05", "20240103", "Jan 1", "2024-01-01"}, {{4, R::DateEarlier, "20240102"}}},
    };
    for (const Case& c : cases) {
        ProductRegistry registry;
        registry.addProduct("USD/JPY");
        PriceFileTrace trace;
        const PriceFileLoad load =
            loadPriceFile(registry, "USD/JPY", writeTempFile("order.txt", c.content), &trace);
        std::vector<std::string> dates;
        const Product* product = registry.findProduct("USD/JPY");
        for (int i = 0; i < product->historyLength(); ++i) dates.push_back(product->bars[i].dateText);
        EXPECT_EQ(dates, c.loadedDates) << c.name;
        ASSERT_EQ(trace.refused.size(), c.refused.size()) << c.name;
        for (std::size_t i = 0; i < c.refused.size(); ++i) {
            EXPECT_EQ(trace.refused[i].lineNumber, c.refused[i].lineNumber) << c.name;
            EXPECT_EQ(trace.refused[i].reason, c.refused[i].reason) << c.name;
            EXPECT_EQ(trace.refused[i].dateText, c.refused[i].dateText) << c.name;
        }
        EXPECT_EQ(load.barsLoaded, static_cast<int>(c.loadedDates.size())) << c.name;
        EXPECT_EQ(load.refusedCount, static_cast<int>(c.refused.size())) << c.name;
        EXPECT_EQ(load.outOfOrderCount, static_cast<int>(c.refused.size())) << c.name;
        EXPECT_EQ(trace.barLines.size(), c.loadedDates.size()) << c.name;
    }
}

TEST(PriceFile, SummaryNamesTheLinesOutOfOrder) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    const auto path = writeTempFile("summary.txt",
                                    "Date,Open,High,Low,Close\n"
                                    "20240103,100,110,90,105\n"
                                    "20240102,100,110,90,105\n");
    EXPECT_EQ(loadPriceFile(registry, "USD/JPY", path).refusedSummary(),
              "2 lines refused (lines 1, 3); 1 dated not later than the bar before");
}

TEST(PriceFile, EightDigitDatesOnly) {
    EXPECT_EQ(eightDigitDate("20080408"), 20080408);
    EXPECT_EQ(eightDigitDate("00000001"), 1);
    for (const char* text : {"2008040", "200804081", "2008-4-8", "2008040a", " 2008040", ""})
        EXPECT_FALSE(eightDigitDate(text).has_value()) << text;
}
