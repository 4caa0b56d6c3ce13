#include "../support/file_size_limit.h"
#include "../support/files.h"
#include "base/csv_rows.h"
#include "data/price_import.h"

#include <gtest/gtest.h>


#include <string>
#include <utility>
#include <vector>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

// The six days of the fixtures by hand: 108.005 and 106.115 are exact halves
// of a hundredth and round up; 106.775 rounds up, 105.995 up to 106.00.
const char* const fixtureDays =
    "20080114,10677,10792,10592,10763\n"
    "20080115,10763,10801,10612,10678\n"
    "20080116,10678,10700,10555,10600\n"
    "20080117,10600,10650,10510,10600\n"
    "20080118,10600,10630,10500,10610\n"
    "20080121,10610,10610,10400,10450\n";

std::string fixture(const std::string& name) {
    return test::readFile(fs::path(VARKEL_TEST_DATA_DIR) / "import" / name);
}

using Skips = std::vector<std::pair<int, SkipReason>>;

Skips skips(const PriceConversion& conversion) {
    Skips found;
    for (const SkippedLine& line : conversion.firstSkipped) found.emplace_back(line.lineNumber, line.reason);
    return found;
}

}  // namespace

TEST(PriceImport, BrokerExportAndOhlcCsvsOfTheSameDaysGiveTheSamePriceFile) {
    struct Case {
        const char* file;
        ImportFormat asked;
        ImportFormat read;
        Skips skipped;
    };
    const Case cases[] = {
        {"broker.csv", ImportFormat::Auto, ImportFormat::Broker,
         {{4, SkipReason::RepeatedDate}, {8, SkipReason::BadPrice}}},
        {"broker.csv", ImportFormat::Broker, ImportFormat::Broker,
         {{4, SkipReason::RepeatedDate}, {8, SkipReason::BadPrice}}},
        {"ohlc.csv", ImportFormat::Auto, ImportFormat::Ohlc, {}},  // newest first
        {"ohlc_semicolon.csv", ImportFormat::Ohlc, ImportFormat::Ohlc, {}},  // BOM, CR LF, quotes, any order
    };
    for (const Case& c : cases) {
        const PriceConversion conversion = convertPriceText(fixture(c.file), c.asked);
        EXPECT_EQ(conversion.outcome, ImportOutcome::Converted) << c.file;
        EXPECT_EQ(conversion.format, c.read) << c.file;
        EXPECT_EQ(conversion.priceText, fixtureDays) << c.file;
        EXPECT_EQ(conversion.bars, 6) << c.file;
        EXPECT_EQ(conversion.firstDate, 20080114);
        EXPECT_EQ(conversion.lastDate, 20080121);
        EXPECT_EQ(skips(conversion), c.skipped) << c.file;
    }
}

TEST(PriceImport, ReadsOnlyWhatItCanTellApart) {
    struct Case {
        const char* name;
        std::string source;
        ImportFormat asked;
        ImportOutcome outcome;
        std::string priceText;
        Skips skipped;
    };
    const Case cases[] = {
        // This program's own format must not be taken for a broker export
        // (its prices are hundredths already).
        {"own format", "20240102,10000,10100,9900,10050\n", ImportFormat::Auto, ImportOutcome::UnknownFormat, "", {}},
        {"header without close", "Date,Open,High,Low\n2024-01-02,1,2,0.5,1\n", ImportFormat::Ohlc,
         ImportOutcome::UnknownFormat, "", {}},
        {"broker without time, lone CR", "2024.01.02,1.5,2,1,1.25\r2024.01.03,1.25,2,1,1.5", ImportFormat::Auto,
         ImportOutcome::Converted, "20240102,150,200,100,125\n20240103,125,200,100,150\n", {}},
        {"impossible dates and prices",
         "Date,Open,High,Low,Close\n2024-02-30,1,1,1,1\n2024-02-29,1,1,1,-1\n2024-02-29,1,1,1\n"
         "2024-02-29,0,0,0,0\n2024-2-29,1.004,1.005,1.0049,1e2\n2024-03-01 00:00:00,1,1,1,1\n",
         ImportFormat::Auto, ImportOutcome::Converted, "20240301,100,100,100,100\n",
         {{2, SkipReason::BadDate}, {3, SkipReason::BadPrice}, {4, SkipReason::FieldCount},
          {5, SkipReason::BadPrice}, {6, SkipReason::BadPrice}}},
        {"forced broker on a header", "Date,Open,High,Low,Close\n", ImportFormat::Broker, ImportOutcome::NoBars, "",
         {{1, SkipReason::BadDate}}},
        {"empty", "\n \n", ImportFormat::Auto, ImportOutcome::NoBars, "", {}},
    };
    for (const Case& c : cases) {
        const PriceConversion conversion = convertPriceText(c.source, c.asked);
        EXPECT_EQ(conversion.outcome, c.outcome) << c.name;
        EXPECT_EQ(conversion.priceText, c.priceText) << c.name;
        EXPECT_EQ(skips(conversion), c.skipped) << c.name;
    }
}

TEST(PriceImport, WritesTheTargetWholeAndAFailedWriteKeepsTheOldOne) {
    const fs::path dir = test::freshDirectory("import_write");
    const fs::path target = dir / "USD_JPY.txt";
    const std::string old = "20080101,1,1,1,1\n";
    test::writeFile(target, old);

    // A source much longer than the file-size limit of the child process.
    const fs::path source = dir / "big.csv";
    std::string big = "Date,Open,High,Low,Close\n";
    for (int day = 1; day <= 28; ++day)
        big += "2009-02-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + ",100.5,101,99,100.25\n";
    test::writeFile(source, big);
    EXPECT_EQ(test::exitCodeUnderFileSizeLimit(
                  64, [&] { return importPriceFile(source, target, ImportFormat::Auto).status != ImportStatus::WriteFailed; }),
              1);
    EXPECT_EQ(test::readFile(target), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // no temporary left

    const PriceImport imported = importPriceFile(source, target, ImportFormat::Auto);
    EXPECT_EQ(imported.status, ImportStatus::Imported);
    EXPECT_EQ(imported.conversion.bars, 28);
    EXPECT_EQ(test::readFile(target), imported.conversion.priceText);

    // Nothing to convert: the target is not touched.
    test::writeFile(source, "Date,Open,High,Low,Close\n");
    EXPECT_EQ(importPriceFile(source, target, ImportFormat::Auto).status, ImportStatus::NotConverted);
    EXPECT_EQ(test::readFile(target), imported.conversion.priceText);
    EXPECT_EQ(importPriceFile(dir / "missing.csv", target, ImportFormat::Auto).status, ImportStatus::Unreadable);
}

// Quoted fields as spreadsheets write them: separators, doubled quotes and
// line ends inside quotes never move a value into another column; a record
// with more or fewer fields than the header, an unclosed quote and an
// impossible bar are skipped with the line they begin on.
TEST(CsvImport, QuotedRowsLandInTheirOwnColumns) {
    struct Case {
        const char* name;
        std::string source;
        std::string priceText;
        Skips skipped;
    };
    const std::string header = "Date,Open,High,Low,Close\n";
    const Case cases[] = {
        {"decimal commas in quotes are no prices", header + "2024-07-15,\"158,36\",\"158,40\",\"157,75\",\"158,31\"\n",
         "", {{2, SkipReason::BadPrice}}},
        {"a quoted volume before the prices",
         "Date,Volume,Open,High,Low,Close\n2024-07-15,\"12,500\",158.36,158.40,157.75,158.31\n",
         "20240715,15836,15840,15775,15831\n", {}},
        {"quoted prices, doubled quotes and a line end in a note",
         "Date,Note,Open,High,Low,Close\r\n\"2024-07-15\",\"said \"\"hi\"\",\r\nthen left\",\"158.36\",158.40,157.75,158.31\r\n"
         "2024-07-16,,158.31,158.50,158.00,158.45\r\n",
         "20240715,15836,15840,15775,15831\n20240716,15831,15850,15800,15845\n", {}},
        {"semicolons with quoted semicolons",
         "Date;Note;Open;High;Low;Close\n2024-07-15;\"a;b\";158.36;158.40;157.75;158.31\n",
         "20240715,15836,15840,15775,15831\n", {}},
        {"more and fewer fields than the header",
         header + "2024-07-15,158.36,158.40,157.75,158.31,12500\n2024-07-16,158.31,158.50,158.00\n"
                  "2024-07-17,158.45,158.60,158.20,158.50\n",
         "20240717,15845,15860,15820,15850\n", {{2, SkipReason::FieldCount}, {3, SkipReason::FieldCount}}},
        {"a quote never closed", header + "2024-07-15,158.36,158.40,157.75,158.31\n2024-07-16,\"158.31,158.50\n",
         "20240715,15836,15840,15775,15831\n", {{3, SkipReason::UnclosedQuote}}},
        {"impossible bars", header + "2024-07-15,158.36,158.30,157.75,158.31\n2024-07-16,158.31,158.50,158.40,158.45\n",
         "", {{2, SkipReason::ImpossibleBar}, {3, SkipReason::ImpossibleBar}}},
        {"years of three digits", header + "0999-07-15,1,1,1,1\n09990716,1,1,1,1\n", "",
         {{2, SkipReason::BadDate}, {3, SkipReason::BadDate}}},
    };
    for (const Case& c : cases) {
        const PriceConversion conversion = convertPriceText(c.source, ImportFormat::Auto);
        EXPECT_EQ(conversion.priceText, c.priceText) << c.name;
        EXPECT_EQ(skips(conversion), c.skipped) << c.name;
    }
    // A broker export always dots its dates: eight digits are this program's
    // own hundredths, which a forced broker import would multiply by 100.
    const PriceConversion own = convertPriceText("20240715,15836,15840,15775,15831\n", ImportFormat::Broker);
    EXPECT_EQ(own.outcome, ImportOutcome::NoBars);

    std::vector<CsvRow> rows(2);
    CsvRecords records("a,\"b\nc\"\r\n\"\"\"\",x", ',');
    ASSERT_TRUE(records.next(rows[0]) && records.next(rows[1]));
    EXPECT_FALSE(records.next(rows[0]));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"a", "b\nc"}));
    EXPECT_EQ(rows[1].lineNumber, 3);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"\"", "x"}));
}
