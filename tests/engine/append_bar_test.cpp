#include "data/append_bar.h"
#include "data/price_file.h"
#include "data/product_registry.h"

#include "../support/files.h"

#include <gtest/gtest.h>

using namespace varkel;
using varkel::test::readFile;
using varkel::test::TempDirectory;
using varkel::test::writeFile;

namespace {

AppendRequest bar(std::string date, std::string open = "12031", std::string high = "12110",
                  std::string low = "12009", std::string close = "12100") {
    return {std::move(date), std::move(open), std::move(high), std::move(low), std::move(close)};
}

}  // namespace

TEST(AppendBar, CreatesAMissingFileWithTheExactLine) {
    TempDirectory folder;
    const std::string path = (folder / "new.txt").string();
    const AppendResult result = appendPriceLine(path, bar("20240716"));
    ASSERT_EQ(result.status, AppendStatus::Appended) << result.message;
    EXPECT_EQ(readFile(path), "20240716,12031,12110,12009,12100\n");

    // The reader takes the line back as the bar that was typed.
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    ASSERT_TRUE(loadPriceFile(registry, "USD/JPY", path));
    const Bar& loaded = registry.findProduct("USD/JPY")->bars.front();
    EXPECT_EQ(loaded.dateText, "20240716");
    EXPECT_DOUBLE_EQ(loaded.open, 120.31);
    EXPECT_DOUBLE_EQ(loaded.high, 121.10);
    EXPECT_DOUBLE_EQ(loaded.low, 120.09);
    EXPECT_DOUBLE_EQ(loaded.close, 121.00);
}

TEST(AppendBar, NeverJoinsTheLastLine) {
    TempDirectory folder;
    const auto unterminated = folder / "unterminated.txt";
    writeFile(unterminated, "20240715,15836,15840,15775,15831");
    ASSERT_EQ(appendPriceLine(unterminated.string(), bar("20240716", "1", "3", "1", "2")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(unterminated), "20240715,15836,15840,15775,15831\n20240716,1,3,1,2\n");

    const auto terminated = folder / "terminated.txt";
    writeFile(terminated, "20240715,15836,15840,15775,15831\r\n");
    ASSERT_EQ(appendPriceLine(terminated.string(), bar("20240716", "1", "3", "1", "2")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(terminated), "20240715,15836,15840,15775,15831\r\n20240716,1,3,1,2\n");

    // Leading zeros are typed digits too; the number is written as %d writes it.
    const auto empty = folder / "empty.txt";
    writeFile(empty, "");
    ASSERT_EQ(appendPriceLine(empty.string(), bar("020240716", "012031")).status, AppendStatus::Appended);
    EXPECT_EQ(readFile(empty), "20240716,12031,12110,12009,12100\n");
}

TEST(AppendBar, RefusesEntriesThatAreNotAPlausibleBar) {
    struct Case {
        AppendRequest request;
        AppendField field;
        std::string message;
    };
    const Case cases[] = {
        {bar(""), AppendField::Date, "Date to be added is empty."},
        {bar("20240716", ""), AppendField::Open, "Open Price is empty."},
        {bar("20240716", "12031", "12110", "12009", ""), AppendField::Close, "Close Price is empty."},
        {bar("20240716", "120.31"), AppendField::Open,
         "Open Price \"120.31\" is not a whole number; type digits only, no decimal point."},
        {bar("20240716", "12031", "-12110"), AppendField::High,
         "High Price \"-12110\" is not a whole number; type digits only, no decimal point."},
        {bar("20240716", "12031", "12110", " 12009"), AppendField::Low,
         "Low Price \" 12009\" is not a whole number; type digits only, no decimal point."},
        {bar("2024-07-16"), AppendField::Date,
         "Date to be added \"2024-07-16\" is not a whole number; type digits only, no decimal point."},
        {bar("20240716", "2147483648"), AppendField::Open, "Open Price \"2147483648\" is too large."},
        {bar("20240716", "12031", "12000", "12009", "12005"), AppendField::High,
         "High Price 12000 is below Low Price 12009."},
        {bar("20240716", "12008"), AppendField::Open, "Open Price 12008 is outside Low..High (12009..12110)."},
        {bar("20240716", "12111"), AppendField::Open, "Open Price 12111 is outside Low..High (12009..12110)."},
        {bar("20240716", "12031", "12110", "12009", "12111"), AppendField::Close,
         "Close Price 12111 is outside Low..High (12009..12110)."},
    };
    TempDirectory folder;
    const std::string path = (folder / "untouched.txt").string();
    for (const Case& c : cases) {
        const AppendResult result = appendPriceLine(path, c.request);
        EXPECT_EQ(result.status, AppendStatus::Refused) << c.message;
        EXPECT_EQ(result.field, c.field) << c.message;
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(checkAppendRequest(c.request).message, c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(path));

    // The bounds themselves are a plausible bar: open at the low, close at the high.
    EXPECT_TRUE(checkAppendRequest(bar("20240716", "12009", "12110", "12009", "12110")));
    EXPECT_TRUE(checkAppendRequest(bar("20240716", "12000", "12000", "12000", "12000")));
}

TEST(AppendBar, AnEightDigitDateMustFollowTheFilesLastOne) {
    TempDirectory folder;
    const auto path = folder / "history.txt";
    const std::string history = "Date,Open,High,Low,Close\n20240712,1,3,1,2\n20240715,1,3,1,2\n\n";
    writeFile(path, history);

    for (const char* date : {"20240715", "20240712", "19991231"}) {
        const AppendResult result = appendPriceLine(path.string(), bar(date, "1", "3", "1", "2"));
        EXPECT_EQ(result.status, AppendStatus::Refused) << date;
        EXPECT_EQ(result.field, AppendField::Date);
        EXPECT_EQ(result.message, "Date to be added " + std::string(date) +
                                      " is not later than the file's last date 20240715.");
    }
    EXPECT_EQ(readFile(path), history);

    // A date that is not eight digits is not compared: it is written as typed.
    ASSERT_EQ(appendPriceLine(path.string(), bar("7", "1", "3", "1", "2")).status, AppendStatus::Appended);
    ASSERT_EQ(appendPriceLine(path.string(), bar("20240716", "1", "3", "1", "2")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(path), history + "7,1,3,1,2\n20240716,1,3,1,2\n");
}

TEST(AppendBar, ATargetThatCannotBeOpenedIsReported) {
    TempDirectory folder;
    const AppendResult intoFolder = appendPriceLine(folder.path().string(), bar("20240716"));
    EXPECT_EQ(intoFolder.status, AppendStatus::FileFailed);
    EXPECT_EQ(intoFolder.message, "Failed to open target file with append mode");

    const AppendResult missingFolder = appendPriceLine((folder / "no/such.txt").string(), bar("20240716"));
    EXPECT_EQ(missingFolder.status, AppendStatus::FileFailed);
    EXPECT_EQ(missingFolder.message, "Failed to open target file with append mode");
}
