// The scan's report on made-up families whose figures are known: the
// sentence names exactly the combinations below 5 % after adjustment, says
// what the best of the rest needed, and the table and CSV rank by adjusted p.
#include "report/scan_report.h"

#include <gtest/gtest.h>

using namespace varkel;

namespace {

constexpr StudyKind macd = StudyKind::Macd, lreg = StudyKind::LinearRegression, roc = StudyKind::RateOfChange;

ScanRow madeUpRow(std::string product, ScanCombination combination, double net, double p, double adjusted) {
    ScanRow row;
    row.product = std::move(product);
    row.combination = combination;
    row.model.netProfit = net;
    row.model.tradeCount = 12;
    row.real = net;
    PermutationSummary own;
    own.real = net;
    own.permutations = 199;
    own.pValue = p;
    own.atLeastAsGood = static_cast<std::int64_t>(p * 200) - 1;
    own.quantile95 = 900.0;
    row.permutation = own;
    row.adjustedPValue = adjusted;
    return row;
}

ScanResult madeUpFamily(std::vector<ScanRow> rows) {
    ScanResult result;
    result.outcome = RunOutcome::Done;
    result.permutations = 199;
    result.rows = std::move(rows);
    return result;
}

TEST(ScanReport, FamilySentenceNamesWhatHoldsUpAndWhatTheRestNeeded) {
    struct Case {
        std::vector<ScanRow> rows;
        std::string sentence;
    };
    const std::vector<Case> cases = {
        {{madeUpRow("USD/JPY", {lreg, {}, {}}, 500.0, 0.2, 0.6), madeUpRow("USD/JPY", {macd, roc, {}}, 2000.0, 0.005, 0.03),
          madeUpRow("EUR/USD", {macd, {}, {}}, 1500.0, 0.005, 0.01)},
         "2 of 3 combinations hold up at 5 % after the whole family is taken into account: EUR/USD MACD (adjusted p "
         "= 0.0100), USD/JPY MACD + Rate Of Change (adjusted p = 0.0300). The test could not tell the best-ranked, "
         "USD/JPY Linear Regression (p = 0.20), from noise. To stand out from noise this build needed more than "
         "900.00 (the 95 % quantile of the shuffled histories); it earned 500.00."},
        {{madeUpRow("USD/JPY", {lreg, {}, {}}, 500.0, 0.2, 0.6), madeUpRow("USD/JPY", {macd, roc, {}}, 2000.0, 0.01, 0.08)},
         "None of 2 combinations hold up at 5 % after the whole family is taken into account. USD/JPY MACD + Rate "
         "Of Change stands out on its own (p = 0.0100) but not once the whole family is taken into account "
         "(adjusted p = 0.0800)."},
        {{madeUpRow("USD/JPY", {lreg, roc, {}}, 1500.0, 0.005, 0.005)},
         "1 of 1 combinations holds up at 5 % after the whole family is taken into account: USD/JPY Linear "
         "Regression + Rate Of Change (adjusted p = 0.0050)."},
    };
    for (const Case& c : cases) EXPECT_EQ(scanFamilySentence(madeUpFamily(c.rows)), c.sentence);
    EXPECT_EQ(scanFamilySentence(ScanResult{}), "");
}

TEST(ScanReport, TableAndCsvRankByAdjustedPThenOwnPThenNet) {
    ScanResult result = madeUpFamily({madeUpRow("USD/JPY", {lreg, {}, {}}, 500.0, 0.2, 0.6),
                                      madeUpRow("USD/JPY", {macd, roc, {}}, 2000.0, 0.005, 0.03),
                                      madeUpRow("EUR,X", {macd, {}, {}}, 1500.0, 0.01, 0.03),
                                      madeUpRow("EUR/USD", {macd, {}, {}}, 1600.0, 0.01, 0.03)});
    result.rows[1].flaggedShare = 0.25;
    EXPECT_EQ(rankedRows(result), (std::vector<std::size_t>{1, 3, 2, 0}));
    EXPECT_EQ(scanCsv(result),
              "Rank,Product,Combination,Options,In-sample net,Trades,p,Adjusted p,On flagged bars\n"
              "1,USD/JPY,MACD + Rate Of Change,--base macd --second roc,2000,12,0.005,0.03,0.25\n"
              "2,EUR/USD,MACD,--base macd,1600,12,0.01,0.03,\n"
              "3,\"EUR,X\",MACD,--base macd,1500,12,0.01,0.03,\n"
              "4,USD/JPY,Linear Regression,--base lreg,500,12,0.2,0.6,\n");
    const std::string text = scanReportText(result, "Scan");
    EXPECT_NE(text.find("Rank  Product  Combination            In-sample net  Trades       p  Adjusted p  On flagged bars\n"
                        "1     USD/JPY  MACD + Rate Of Change        2000.00      12  0.0050      0.0300             25 %\n"),
              std::string::npos)
        << text;
}

TEST(ScanReport, ShareOfTheReturnOnFlaggedBarsOnlyForAGain) {
    Product product;
    product.name = "USD/JPY";
    for (const char* date : {"20200101", "20200102", "20200103", "20200106", "20200107"}) {
        Bar bar;
        bar.dateText = date;
        product.bars.push_back(bar);
    }
    ScanResult result;
    result.rows.resize(3);
    for (ScanRow& row : result.rows) row.product = "USD/JPY";
    result.rows[0].dailyPnl = {0.0, 10.0, 30.0, 50.0, 10.0};    // flagged 20200103 and the day after: 80 of 100
    result.rows[1].dailyPnl = {0.0, -10.0, 5.0, -20.0, 0.0};  // a loss: no share
    result.rows[2].flaggedShare = 0.5;                        // from a part file: kept
    fillFlaggedShares(result, {&product}, {{FlaggedBar{"20200103", FindingKind::Spike}}});
    EXPECT_DOUBLE_EQ(*result.rows[0].flaggedShare, 0.8);
    EXPECT_FALSE(result.rows[1].flaggedShare);
    EXPECT_EQ(*result.rows[2].flaggedShare, 0.5);
}

}  // namespace
