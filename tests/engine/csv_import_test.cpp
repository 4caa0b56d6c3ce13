#include "base/csv_rows.h"
#include "data/price_import.h"

#include <gtest/gtest.h>

using namespace varkel;

namespace {

using Skips = std::vector<std::pair<int, SkipReason>>;

Skips skips(const PriceConversion& conversion) {
    Skips found;
    for (const SkippedLine& line : conversion.skipped) found.emplace_back(line.lineNumber, line.reason);
    return found;
}

}  // namespace

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

    const std::vector<CsvRow> rows = readCsvRows("a,\"b\nc\"\r\n\"\"\"\",x", ',');
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"a", "b\nc"}));
    EXPECT_EQ(rows[1].lineNumber, 3);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"\"", "x"}));
}
