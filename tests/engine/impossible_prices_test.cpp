#include "data/price_check.h"
#include "data/price_check_texts.h"
#include "data/price_file.h"

#include "../support/files.h"

#include <gtest/gtest.h>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

const std::string good = "20240102,15000,15100,14900,15050\n20240103,15050,15150,14950,15100\n"
                         "20240104,15100,15200,15000,15150\n";

}  // namespace

// Prices no market gives, a last line cut short and dates the loader keeps in
// no order: what the loader refuses (with the line) and what the check says.
TEST(ImpossiblePrices, AreRefusedOrReportedWithTheirLines) {
    struct Case {
        const char* name;
        std::string text;
        int barsLoaded;
        std::vector<std::pair<int, FindingKind>> findings;  // line and kind, in line order
    };
    const Case cases[] = {
        {"clean", good, 3, {}},
        {"a close of 1e308", good + "20240105,15150,15250,15050,1e308\n", 3, {{4, FindingKind::AbsurdPrice}}},
        {"a low of a hundredth of the median", good + "20240105,15150,15250,150,15200\n", 3,
         {{4, FindingKind::AbsurdPrice}}},
        {"all prices zero", "20240102,0,0,0,0\n20240103,0,0,0,0\n", 0,
         {{1, FindingKind::NotPositivePrice}, {2, FindingKind::NotPositivePrice}}},
        {"a negative open", good + "20240105,-15150,15250,15050,15200\n", 3, {{4, FindingKind::NotPositivePrice}}},
        {"cut last line with a line end", good + "20240105,15150,152\n", 3, {{4, FindingKind::CutShort}}},
        {"cut last line without one", good + "2024010", 3, {{4, FindingKind::CutShort}}},
        {"a nine-digit date", good + "202401050,15150,15250,15050,15200\n", 4, {{4, FindingKind::NotEightDigits}}},
        {"ISO dates in reverse order", "2024-01-03,15000,15100,14900,15050\n2024-01-02,15050,15150,14950,15100\n", 2,
         {{1, FindingKind::NotEightDigits}, {2, FindingKind::NotEightDigits}}},
    };
    const fs::path dir = test::freshDirectory("impossible_prices");
    for (const Case& c : cases) {
        const fs::path file = dir / "prices.txt";
        test::writeFile(file, c.text);
        const PriceCheck check = checkPriceFile(file.string(), "USD/JPY");
        ASSERT_TRUE(check.readable) << c.name;
        EXPECT_EQ(check.barsLoaded, c.barsLoaded) << c.name;
        std::vector<std::pair<int, FindingKind>> found;
        for (const DataFinding& finding : check.findings) found.emplace_back(finding.lineNumber, finding.kind);
        EXPECT_EQ(found, c.findings) << c.name << ": " << checkSummary(check);

        ProductRegistry registry;
        registry.addProduct("USD/JPY");
        const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", file.string());
        for (const Bar& bar : registry.findProduct("USD/JPY")->bars)
            EXPECT_TRUE(bar.dateText.empty() || (bar.low > 0.0 && bar.high < 1e6)) << c.name << " " << bar.dateText;
        if (c.name == std::string("cut last line with a line end")) {
            EXPECT_EQ(load.cutLine, 4);
            EXPECT_EQ(load.refusedSummary(), "1 line refused (line 4); line 4 is cut short");
        }
    }
}
