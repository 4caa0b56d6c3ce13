// The scan against the flows it stands for: every combination's model is the
// builder's own for that combination, every combination's permuted returns
// are the permutation test's own for that build, on any number of threads
// and cut into any shards.
#include "../support/random_history.h"

#include "builder/strategy_builder.h"
#include "robustness/permutation_test.h"
#include "robustness/scan.h"
#include "robustness/scan_parts.h"
#include "robustness/walk_forward.h"
#include "studies/study_catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

// Small grids of every layer kind, so that a test can run many builds.
BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 7}, 40, {7, 10}};
    grids.stochastics = {{3, 6}, {3, 8}, {3, 6}};
    grids.keltner = {{4, 7}, {4, 6}, {0.2, 0.3, 2.5}};
    grids.lreg = {{3, 40}, {0.0, 0.01, 0.06}};
    grids.tsc = {{3, 40}, {0.3, 0.1, 1.0}};
    grids.roc = {{1, 12}, {0.5, 0.5, 5.0}};
    grids.ndist = {{1, 40}, {0.0, 0.5, 3.0}};
    return grids;
}

constexpr StudyKind macd = StudyKind::Macd, lreg = StudyKind::LinearRegression,
                    tsc = StudyKind::TimeSeriesCorrelation, roc = StudyKind::RateOfChange,
                    ndist = StudyKind::NormalDistribution, stoch = StudyKind::Stochastics,
                    keltner = StudyKind::KeltnerChannels;

TEST(ScanCombinations, EveryChoiceTheBuilderAcceptsOnceInSharingOrder) {
    const std::vector<ScanCombination> all = scanCombinations();
    // Three bases that are no filter: 1 + 4 + 4 * 3 each; two that are: 1 + 3 + 3 * 2 each.
    EXPECT_EQ(all.size(), 3u * 17 + 2u * 10);
    std::set<std::vector<int>> seen;
    for (std::size_t c = 0; c < all.size(); ++c) {
        const ScanCombination& combination = all[c];
        EXPECT_FALSE(validateIndexChoice(combination.choice())) << combinationName(combination);
        const auto kinds = combination.choice().layerKinds();
        EXPECT_TRUE(seen.insert({static_cast<int>(kinds[0]), static_cast<int>(kinds[1]), static_cast<int>(kinds[2])})
                        .second);
        // Every combination comes after the shorter one it continues.
        if (combination.second) {
            ScanCombination shorter = combination;
            (combination.third ? shorter.third : shorter.second).reset();
            EXPECT_NE(std::find(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c), shorter),
                      all.begin() + static_cast<std::ptrdiff_t>(c));
        }
    }
    const std::vector<ScanCombination> narrowed = scanCombinations({lreg, keltner}, {lreg, roc});
    const std::vector<ScanCombination> expected = {
        {lreg, {}, {}}, {lreg, roc, {}}, {keltner, {}, {}}, {keltner, lreg, {}}, {keltner, lreg, roc},
        {keltner, roc, {}}, {keltner, roc, lreg}};
    EXPECT_EQ(narrowed, expected);
    EXPECT_EQ(combinationName({macd, roc, ndist}), "MACD + Rate Of Change + Normal Distribution");
    EXPECT_EQ(combinationOptions({macd, roc, ndist}), "--base macd --second roc --third ndist");
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

// The layers and every measure, bit for bit (a measure may be NaN).
void expectSameModel(const TradeModel& expected, const TradeModel& actual) {
    EXPECT_EQ(actual.layers, expected.layers);
    for (double TradeModel::*measure : {&TradeModel::sharpeRatio, &TradeModel::kellyFormula, &TradeModel::winningRate,
                                        &TradeModel::losingRate, &TradeModel::grossProfit, &TradeModel::grossLoss,
                                        &TradeModel::netProfit})
        EXPECT_TRUE(sameBits(actual.*measure, expected.*measure)) << actual.*measure << " " << expected.*measure;
    EXPECT_EQ(actual.winCount, expected.winCount);
    EXPECT_EQ(actual.lossCount, expected.lossCount);
    EXPECT_EQ(actual.tradeCount, expected.tradeCount);
}

struct SharedWorkCase {
    TrialSelection selection;
    std::vector<ScanCombination> combinations;  // an order that shares searches out of the usual order
};

TEST(Scan, EveryCombinationIsTheBuildersModelBitForBit) {
    const SharedWorkCase cases[] = {
        {TrialSelection::best,
         {{macd, roc, ndist}, {macd, {}, {}}, {macd, roc, {}}, {macd, ndist, roc}, {lreg, tsc, roc}, {stoch, ndist, {}},
          {keltner, lreg, tsc}, {tsc, {}, {}}}},
        {TrialSelection::plateau, {{lreg, roc, {}}, {lreg, roc, ndist}, {keltner, tsc, {}}}},
    };
    const ProductRegistry registry = test::randomHistory(name, 420, 7);
    for (const SharedWorkCase& c : cases) {
        ScanOptions options;
        options.combinations = c.combinations;
        options.selection = c.selection;
        options.grids = smallGrids();
        options.threads = 2;
        const ScanResult scan = runScan({registry.findProduct(name)}, options);
        ASSERT_TRUE(scan.done()) << scan.refusal;
        ASSERT_EQ(scan.rows.size(), c.combinations.size());
        for (std::size_t r = 0; r < scan.rows.size(); ++r) {
            const ScanRow& row = scan.rows[r];
            SCOPED_TRACE(combinationName(row.combination));
            EXPECT_EQ(row.combination, c.combinations[r]);
            ProductRegistry own = registry;
            BuildOptions build;
            build.grids = smallGrids();
            build.selection = c.selection;
            build.robustness = false;
            build.saveModel = false;
            const BuildResult built = buildStrategy(own, name, row.combination.choice(), build);
            ASSERT_TRUE(built.done());
            expectSameModel(built.model, row.model);
            const auto& last = built.layerReturns[row.combination.third ? 2 : row.combination.second ? 1 : 0];
            EXPECT_EQ(row.real, *last);
            const auto& bars = own.findProduct(name)->bars;
            ASSERT_EQ(row.dailyPnl.size(), bars.size());
            for (std::size_t i = 0; i < bars.size(); ++i) EXPECT_TRUE(sameBits(row.dailyPnl[i], bars[i].dailyPnl));
        }
    }
}

// Two products, each with its own seed: every combination's permuted returns
// are the permutation test's R_k for that build with the product's seed, at
// any thread count, and the shards of a run hold the whole run's columns.
TEST(Scan, PermutedReturnsAreThePermutationTestsOwnOnAnyThreadsAndShards) {
    const ProductRegistry first = test::randomHistory(name, 300, 3);
    const ProductRegistry second = test::randomHistory("EUR/USD", 300, 4);
    const std::vector<const Product*> products{first.findProduct(name), second.findProduct("EUR/USD")};
    ScanOptions options;
    options.combinations = {{lreg, {}, {}}, {lreg, roc, {}}, {macd, roc, tsc}};
    options.grids = smallGrids();
    options.permutations = 6;
    options.seed = 11;
    options.threads = 1;
    const ScanResult one = runScan(products, options);
    ASSERT_TRUE(one.done()) << one.refusal;
    ASSERT_EQ(one.rows.size(), 6u);
    EXPECT_EQ(one.permutationIndexes, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6}));
    for (std::size_t r = 0; r < one.rows.size(); ++r) {
        const ScanRow& row = one.rows[r];
        const std::size_t productIndex = r / 3;
        PermutationTestOptions test;
        test.build = {row.combination.choice(), TrialSelection::best, smallGrids()};
        test.permutations = 6;
        test.seed = 11 + productIndex;
        const ProductRegistry& registry = productIndex == 0 ? first : second;
        const PermutationRun run = runPermutationTest(registry, row.product, test);
        ASSERT_TRUE(run.done());
        const std::size_t last = row.combination.third ? 2 : row.combination.second ? 1 : 0;
        EXPECT_EQ(row.real, run.real[last]);
        for (std::size_t i = 0; i < run.rows.size(); ++i) EXPECT_EQ(one.permuted[r][i], run.rows[i].returns[last]);
        ASSERT_TRUE(row.permutation);
        EXPECT_EQ(row.permutation->pValue, summarisePermutations(run.real[last], [&] {
                      std::vector<double> returns;
                      for (const PermutationRow& k : run.rows) returns.push_back(k.returns[last]);
                      return returns;
                  }()).pValue);
        ASSERT_TRUE(row.adjustedPValue);
        EXPECT_GE(*row.adjustedPValue, row.permutation->pValue);
    }

    options.threads = 3;
    const ScanResult three = runScan(products, options);
    ASSERT_TRUE(three.done());
    EXPECT_EQ(three.permuted, one.permuted);
    options.shard = {2, 4};
    const ScanResult shard = runScan(products, options);
    ASSERT_TRUE(shard.done());
    EXPECT_EQ(shard.permutationIndexes, (std::vector<std::int64_t>{1, 5}));
    for (std::size_t r = 0; r < one.rows.size(); ++r) {
        EXPECT_EQ(shard.permuted[r], (std::vector<double>{one.permuted[r][0], one.permuted[r][4]}));
        EXPECT_FALSE(shard.rows[r].permutation);  // a shard alone has no p-values
    }
}

TEST(Scan, WalkForwardColumnsAreTheWalkForwardsOwnTotals) {
    const ProductRegistry registry = test::randomHistory(name, 420, 9);
    ScanOptions options;
    options.combinations = {{lreg, {}, {}}, {keltner, roc, {}}};
    options.grids = smallGrids();
    options.walkForward = FoldSettings{200, 60, false};
    const ScanResult scan = runScan({registry.findProduct(name)}, options);
    ASSERT_TRUE(scan.done()) << scan.refusal;
    for (const ScanRow& row : scan.rows) {
        WalkForwardOptions walk;
        walk.folds = *options.walkForward;
        walk.grids = smallGrids();
        const WalkForwardReport report = runWalkForward(registry, name, row.combination.choice(), walk);
        ASSERT_TRUE(report.done());
        ASSERT_TRUE(row.walkForward);
        EXPECT_TRUE(sameBits(row.walkForward->outOfSampleNet, report.totals.netProfit));
        EXPECT_EQ(row.walkForward->folds, 4);  // tests 200 .. 260 .. 320 .. 380 .. 420
        EXPECT_EQ(row.walkForward->profitableFoldShare, report.totals.profitableFolds / 4.0);
    }
}

TEST(Scan, RefusesInWordsBeforeAnyWork) {
    const ProductRegistry registry = test::randomHistory(name, 60, 1);
    const ProductRegistry shortHistory = test::randomHistory("EUR/USD", 5, 1);
    struct Case {
        std::vector<ScanCombination> combinations;
        std::int64_t permutations;
        PermutationShard shard;
        std::vector<const Product*> products;
        std::string refusal;
    };
    const Product* product = registry.findProduct(name);
    const std::vector<Case> cases = {
        {{{lreg, lreg, {}}}, 0, {}, {product}, *validateIndexChoice({lreg, true, lreg, false, {}})},
        {{{lreg, {}, {}}, {lreg, {}, {}}}, 0, {}, {product}, "The combination Linear Regression is given twice"},
        {{{lreg, {}, {}}}, -1, {}, {product}, "The number of permutations must be from 0 to 10000, not -1"},
        {{{lreg, {}, {}}}, 0, {1, 2}, {product}, "A scan is cut into shards by its permutations: give some"},
        {{{lreg, {}, {}}}, 3, {1, 4}, {product},
         "A shard must be I/N with 1 <= I <= N <= 3 (the number of permutations), not 1/4"},
        {{{lreg, {}, {}}}, 0, {}, {}, "A scan needs at least one product"},
        {{{lreg, {}, {}}}, 0, {}, {product, product}, "The product USD/JPY is given twice"},
        {{{macd, {}, {}}}, 0, {}, {shortHistory.findProduct("EUR/USD")},
         *validateHistoryLength("EUR/USD", 5, {macd, false, {}, false, {}})},
    };
    for (const Case& c : cases) {
        ScanOptions options;
        options.combinations = c.combinations;
        options.permutations = c.permutations;
        options.shard = c.shard;
        const ScanResult result = runScan(c.products, options);
        EXPECT_EQ(result.outcome, RunOutcome::Refused);
        EXPECT_EQ(result.refusal, c.refusal);
    }
}

}  // namespace

namespace {

ScanPart readBack(const ScanPartHeader& header, const ScanResult& result) {
    std::string error;
    const std::optional<ScanPart> part = readScanPart(scanPartText(header, result), &error);
    EXPECT_TRUE(part) << error;
    return part.value_or(ScanPart{});
}

// Parts written and read back merge to the whole run bit for bit; parts that
// do not make one whole run are refused with the part and the reason named.
TEST(ScanParts, MergeToTheWholeRunAndRefuseMissingRepeatedOrForeignParts) {
    const ProductRegistry registry = test::randomHistory(name, 260, 5);
    ScanOptions options;
    options.combinations = {{lreg, {}, {}}, {lreg, roc, {}}, {tsc, ndist, roc}};
    options.grids = smallGrids();
    options.permutations = 5;
    options.seed = 2;
    const std::vector<const Product*> products{registry.findProduct(name)};
    const ScanResult whole = runScan(products, options);
    ASSERT_TRUE(whole.done());
    const ScanPartHeader header{"1.0", {{std::string(64, 'a'), name}}, "--select best", 5, 2, {}};
    std::vector<NamedScanPart> parts;
    for (int number = 1; number <= 3; ++number) {
        options.shard = {number, 3};
        ScanPartHeader shardHeader = header;
        shardHeader.shard = options.shard;
        parts.push_back({"part" + std::to_string(number), readBack(shardHeader, runScan(products, options))});
    }
    std::string error;
    const std::optional<ScanPart> merged = mergeScanParts({parts[2], parts[0], parts[1]}, &error);
    ASSERT_TRUE(merged) << error;
    EXPECT_EQ(scanPartText(merged->header, merged->result), scanPartText(header, whole));
    for (std::size_t r = 0; r < whole.rows.size(); ++r) {
        EXPECT_EQ(merged->result.rows[r].adjustedPValue, whole.rows[r].adjustedPValue);
        EXPECT_EQ(merged->result.rows[r].permutation->pValue, whole.rows[r].permutation->pValue);
    }

    const auto changed = [&](auto change) {
        NamedScanPart part = parts[1];
        change(part.part);
        return part;
    };
    struct Case {
        std::vector<NamedScanPart> parts;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{parts[0], parts[1]}, "Shard 3/3 is missing: permutations 2, 5, ... are not covered"},
        {{parts[0], parts[1], parts[1], parts[2]}, "Shard 2/3 is given twice: part2 and part2"},
        {{parts[0], changed([](ScanPart& p) { p.header.seed = 3; }), parts[2]},
         "part2 is not a part of the same scan as part1: its seed is 3, not 2"},
        {{parts[0], changed([](ScanPart& p) { p.header.settings = "--select plateau"; }), parts[2]},
         "part2 is not a part of the same scan as part1: its settings are --select plateau, not --select best"},
        {{parts[0], changed([](ScanPart& p) { p.header.inputs[0].sha256 = std::string(64, 'b'); }), parts[2]},
         "part2 is not a part of the same scan as part1: its products or their price files differ"},
        {{parts[0], changed([](ScanPart& p) { p.result.rows[2].real += 1.0; }), parts[2]},
         "part2 is not a part of the same scan as part1: its real builds differ"},
        {{parts[0], changed([](ScanPart& p) { p.result.permutationIndexes[0] = 4; }), parts[2]},
         "part2: permutation 4 is not the next of shard 2/3"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(mergeScanParts(c.parts, &error));
        EXPECT_EQ(error, c.error);
    }

    // A part changed after it was written, or cut short, is not read.
    options.shard = {1, 3};
    ScanPartHeader shardHeader = header;
    shardHeader.shard = options.shard;
    const std::string text = scanPartText(shardHeader, runScan(products, options));
    std::string edited = text;
    // A digit of the first permuted return becomes another digit.
    edited[edited.find_first_of("0123456789", edited.find(' ', edited.find("\nrows ") + 7))] ^= 1;
    EXPECT_FALSE(readScanPart(edited, &error));
    EXPECT_NE(error.find("do not match their SHA-256"), std::string::npos) << error;
    EXPECT_FALSE(readScanPart(text.substr(0, text.size() - 1), &error));
    EXPECT_NE(error.find("cut short"), std::string::npos) << error;
}

}  // namespace
