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
    ASSERT_EQ(appendPriceLine(unterminated.string(), bar("20240716", "15831", "15900", "15800", "15850")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(unterminated), "20240715,15836,15840,15775,15831\n20240716,15831,15900,15800,15850\n");

    const auto terminated = folder / "terminated.txt";
    writeFile(terminated, "20240715,15836,15840,15775,15831\r\n");
    ASSERT_EQ(appendPriceLine(terminated.string(), bar("20240716", "15831", "15900", "15800", "15850")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(terminated), "20240715,15836,15840,15775,15831\r\n20240716,15831,15900,15800,15850\n");

    // Leading zeros of a price are typed digits too; the number is written as %d writes it.
    const auto empty = folder / "empty.txt";
    writeFile(empty, "");
    ASSERT_EQ(appendPriceLine(empty.string(), bar("20240716", "012031")).status, AppendStatus::Appended);
    EXPECT_EQ(readFile(empty), "20240716,12031,12110,12009,12100\n");
}

TEST(AppendBar, RefusesEntriesThatAreNotAPlausibleBar) {
    const std::string oneForm =
        "Type the four prices in one form: all with a decimal point (158.30) or all in hundredths (15830).";
    struct Case {
        AppendRequest request;
        AppendField field;
        std::string message;
    };
    const Case cases[] = {
        {bar(""), AppendField::Date, "Date to be added is empty."},
        {bar("20240716", ""), AppendField::Open, "Open Price is empty."},
        {bar("20240716", "12031", "12110", "12009", ""), AppendField::Close, "Close Price is empty."},
        {bar("20240716", "120.315"), AppendField::Open,
         "Open Price \"120.315\" has more than two decimals; prices are kept in hundredths."},
        {bar("20240716", "12031", "-12110"), AppendField::High,
         "High Price \"-12110\" is not a price; type digits, with at most two decimals after a point."},
        {bar("20240716", "12031", "12110", " 12009"), AppendField::Low,
         "Low Price \" 12009\" is not a price; type digits, with at most two decimals after a point."},
        {bar("20240716", "120."), AppendField::Open,
         "Open Price \"120.\" is not a price; type digits, with at most two decimals after a point."},
        {bar("20240716", ".5"), AppendField::Open,
         "Open Price \".5\" is not a price; type digits, with at most two decimals after a point."},
        {bar("20240716", "1.2.3"), AppendField::Open,
         "Open Price \"1.2.3\" is not a price; type digits, with at most two decimals after a point."},
        {bar("2024-07-16"), AppendField::Date,
         "Date to be added \"2024-07-16\" is not a date; type eight digits, year, month and day (20240716)."},
        {bar("20240716", "2147483648"), AppendField::Open, "Open Price \"2147483648\" is too large."},
        {bar("20240716", "21474836.48"), AppendField::Open, "Open Price \"21474836.48\" is too large."},
        {bar("20240716", "12031", "12000", "12009", "12005"), AppendField::High,
         "High Price 120.00 is below Low Price 120.09."},
        {bar("20240716", "12008"), AppendField::Open, "Open Price 120.08 is outside Low..High (120.09..121.10)."},
        {bar("20240716", "12111"), AppendField::Open, "Open Price 121.11 is outside Low..High (120.09..121.10)."},
        {bar("20240716", "12031", "12110", "12009", "12111"), AppendField::Close,
         "Close Price 121.11 is outside Low..High (120.09..121.10)."},
        {bar("20240716", "120.31", "121.10", "120.09", "12100"), AppendField::Close, oneForm},
        {bar("20240716", "15830", "19000", "158.00", "19000"), AppendField::Low, oneForm},
        {bar("20240716", "158.3", "190", "158", "190"), AppendField::High, oneForm},
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

    ASSERT_EQ(appendPriceLine(path.string(), bar("20240716", "1", "3", "1", "2")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(path), history + "20240716,1,3,1,2\n");
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

TEST(AppendBar, DecimalPricesBecomeHundredths) {
    // The price the user means, whichever way it is typed: 158.3 yen is 15830
    // hundredths, never 1583.
    const struct {
        const char* typed;
        int hundredths;
    } cases[] = {{"158.3", 15830}, {"158.30", 15830}, {"158.05", 15805}, {"0.5", 50},
                 {"15830", 15830}, {"21474836.47", 2147483647}};
    for (const auto& c : cases) {
        const AppendCheck check = checkAppendRequest(bar("20240716", c.typed, c.typed, c.typed, c.typed));
        ASSERT_TRUE(check) << c.typed << ": " << check.message;
        EXPECT_EQ(check.values->open, c.hundredths) << c.typed;
        EXPECT_EQ(check.values->close, c.hundredths) << c.typed;
    }
    TempDirectory folder;
    const auto path = folder / "usdjpy.txt";
    ASSERT_EQ(appendPriceLine(path.string(), bar("20240716", "158.3", "158.45", "157.9", "158.31")).status,
              AppendStatus::Appended);
    EXPECT_EQ(readFile(path), "20240716,15830,15845,15790,15831\n");
}

TEST(AppendBar, OnlyCalendarDatesOfEightDigitsAreAppended) {
    for (const char* date : {"20241345", "20240230", "20230229", "20240431", "20240700", "716", "2024716",
                             "202407160", "00000000"}) {
        const AppendCheck check = checkAppendRequest(bar(date));
        EXPECT_FALSE(check) << date;
        EXPECT_EQ(check.field, AppendField::Date) << date;
    }
    for (const char* date : {"20240229", "20000229", "20241231", "19990101"})
        EXPECT_TRUE(checkAppendRequest(bar(date))) << date;
    // Century years are leap years only every 400 years.
    EXPECT_FALSE(isCalendarDate(19000229));
    EXPECT_TRUE(isCalendarDate(20000229));
}

TEST(AppendBar, ACloseFarFromTheLastOneIsNoticed) {
    TempDirectory folder;
    const auto path = folder / "history.txt";
    writeFile(path, "Date,Open,High,Low,Close\n20240712,14000,14200,13900,14100\n20240715,1,3,1,15000\r\n\n");
    ASSERT_TRUE(lastFileClose(path.string()).has_value());
    EXPECT_EQ(*lastFileClose(path.string()), 15000.0);
    EXPECT_FALSE(lastFileClose((folder / "missing.txt").string()).has_value());
    // Ten per cent either way is still a market move; beyond it is asked about.
    EXPECT_FALSE(closeJumpsFar(15000.0, 16500));
    EXPECT_FALSE(closeJumpsFar(15000.0, 13500));
    EXPECT_TRUE(closeJumpsFar(15000.0, 16501));
    EXPECT_TRUE(closeJumpsFar(15000.0, 13499));
    EXPECT_TRUE(closeJumpsFar(15000.0, 1500));  // 15.00 typed for 150.00
}
