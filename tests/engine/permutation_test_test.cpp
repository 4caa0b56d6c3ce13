// The permutation test against what it means: R is the builder's own layer
// returns, R_k the same build on the price file written for permuted history
// k; the figures of a made-up set worked out by hand; shards that merge to
// the whole run bit for bit; and p-values that see planted order but not a
// random walk or a drift.
#include "../support/files.h"
#include "../support/random_history.h"
#include "../support/sample_history.h"

#include "data/price_file.h"
#include "robustness/permutation_test.h"
#include "builder/strategy_builder.h"
#include "report/permutation_texts.h"
#include "robustness/permutation_parts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <algorithm>
#include <random>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 7}, 30, {7, 10}};
    grids.lreg = {{3, 40}, {0.0, 0.01, 0.06}};
    grids.roc = {{1, 12}, {0.5, 0.5, 5.0}};
    return grids;
}

IndexChoice choiceOf(StudyKind base, std::optional<StudyKind> second = std::nullopt) {
    return {base, second.has_value(), second, false, std::nullopt};
}

PermutationTestOptions optionsFor(const IndexChoice& choice, std::int64_t permutations, std::uint64_t seed) {
    PermutationTestOptions options;
    options.build = {choice, TrialSelection::best, smallGrids()};
    options.permutations = permutations;
    options.seed = seed;
    return options;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

bool sameRows(const std::vector<PermutationRow>& a, const std::vector<PermutationRow>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].index != b[i].index) return false;
        for (std::size_t layer = 0; layer < 3; ++layer)
            if (!sameBits(a[i].returns[layer], b[i].returns[layer])) return false;
    }
    return true;
}

struct SummaryCase {
    double real;
    std::vector<double> permuted;
    std::int64_t atLeastAsGood;
    double mean, quantile5, median, quantile95;
};

// Ties with R count as at least as good; quantiles interpolate between order statistics.
TEST(PermutationSummary, CountsTiesAsAtLeastAsGoodAndInterpolatesQuantiles) {
    const SummaryCase cases[] = {
        // sorted 1 2 3 4 5 5 6 7 8 9: h = 0.45, 4.5, 8.55
        {5.0, {1, 5, 7, 3, 5, 9, 2, 8, 4, 6}, 6, 5.0, 1.45, 5.0, 8.55},
        {10.0, {1, 2, 3, 4}, 0, 2.5, 1.15, 2.5, 3.85},  // h = 0.15, 1.5, 2.85
        {2.0, {2, 2, 2}, 3, 2.0, 2.0, 2.0, 2.0},
        {-1.0, {4}, 1, 4.0, 4.0, 4.0, 4.0},
    };
    for (const SummaryCase& c : cases) {
        const PermutationSummary s = summarisePermutations(c.real, c.permuted);
        const auto p = static_cast<std::int64_t>(c.permuted.size());
        EXPECT_EQ(s.permutations, p);
        EXPECT_EQ(s.atLeastAsGood, c.atLeastAsGood);
        EXPECT_EQ(s.rank, c.atLeastAsGood + 1);
        EXPECT_DOUBLE_EQ(s.pValue, static_cast<double>(c.atLeastAsGood + 1) / static_cast<double>(p + 1));
        EXPECT_DOUBLE_EQ(s.mean, c.mean);
        EXPECT_DOUBLE_EQ(s.quantile5, c.quantile5);
        EXPECT_DOUBLE_EQ(s.median, c.median);
        EXPECT_DOUBLE_EQ(s.quantile95, c.quantile95);
    }
}

// The trader's sentence: how often (ties count as at least as good), the
// p-value, and on which side of 0.05 it falls; from 0.05 on, what the test
// could not tell and what the build would have needed.
TEST(PermutationSummary, SentenceSaysHowOftenAndWhatTheTestCanTell) {
    const std::string prefix = "On ";
    const std::string shuffled = " histories with their overnight moves and day shapes shuffled separately, the search ";
    const std::string holds = " This model holds up against noise.";
    const std::string cannot = " The test could not tell this model from noise. ";
    std::vector<double> nineBetterOf199(199, 0.0), nineTiesOf200(200, 0.0), none(20, 0.0), ramp(100);
    std::fill(nineBetterOf199.begin(), nineBetterOf199.begin() + 9, 2.0);  // p = 10/200 = 0.05: not below
    std::fill(nineTiesOf200.begin(), nineTiesOf200.begin() + 9, 1.0);     // 9 ties: p = 10/201 = 0.0498
    for (std::size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<double>(k);  // 95 % quantile 94.05
    const std::pair<std::vector<double>, std::string> cases[] = {
        {nineBetterOf199, "199" + shuffled + "found a model at least as good 9 times: p = 0.0500." + cannot +
                              "This build earned 1.00, more than the 95 % quantile of the shuffled histories (0.00), "
                              "but 9 of them did at least as well: more shuffled histories would tell."},
        {nineTiesOf200, "200" + shuffled + "found a model at least as good 9 times: p = 0.0498." + holds},
        {{0.0, 3.0, 0.5}, "3" + shuffled + "found a model at least as good once: p = 0.50." + cannot +
                              "With 3 shuffled histories no build can reach p below 0.05: the test needs at least 20."},
        {none, "20" + shuffled + "never found a model at least as good: p = 0.0476." + holds},
        {ramp, "100" + shuffled + "found a model at least as good 49 times: p = 0.50." + cannot +
                   "To stand out from noise this build needed more than 94.05 (the 95 % quantile of the shuffled "
                   "histories); it earned 50.50."},
    };
    for (const auto& [permuted, expected] : cases) {
        const double real = permuted.size() == 100 ? 50.5 : 1.0;
        EXPECT_EQ(permutationSentence(summarisePermutations(real, permuted)), prefix + expected);
    }
}

// R is what the builder keeps per layer; R_k is the build on the price file
// written for permuted history k; neither depends on the thread count (the
// plateau rule runs its builds one at a time, each search on the threads).
TEST(PermutationTest, BuildsTheRealAndEveryWrittenPermutedHistoryAsTheBuilderDoes) {
    const test::TempDirectory dir;
    const ProductRegistry registry = test::samplePrefix("USD_JPY.txt", name, 600);
    const std::pair<IndexChoice, TrialSelection> builds[] = {{choiceOf(StudyKind::LinearRegression, StudyKind::RateOfChange), TrialSelection::best},
                                                             {choiceOf(StudyKind::Macd, StudyKind::LinearRegression), TrialSelection::best},
                                                             {choiceOf(StudyKind::Macd, StudyKind::RateOfChange), TrialSelection::plateau}};
    for (const auto& [choice, selection] : builds) {
        PermutationTestOptions options = optionsFor(choice, 6, 77);
        options.build.selection = selection;
        options.threads = 1;
        const PermutationRun run = runPermutationTest(registry, name, options);
        ASSERT_EQ(run.outcome, RunOutcome::Done);
        ASSERT_EQ(run.rows.size(), 6u);

        ProductRegistry built = registry;
        BuildOptions build;
        build.robustness = false;
        build.grids = options.build.grids;
        build.selection = selection;
        const BuildResult result = buildStrategy(built, name, choice, build);
        ASSERT_EQ(result.outcome, RunOutcome::Done);
        EXPECT_TRUE(sameBits(run.real[0], *result.layerReturns[0]));
        EXPECT_TRUE(sameBits(run.real[1], *result.layerReturns[1]));

        const Product& product = *registry.findProduct(name);
        const HistoryMoves moves = *historyMoves(product);
        for (const std::int64_t k : {1, 4, 6}) {
            const ProductRegistry permuted = permutedHistory(product, moves, options.seed, k);
            test::writeFile(dir / "permuted.txt", permutedHistoryText(*permuted.findProduct(name)));
            ProductRegistry loaded;
            loaded.addProduct(name);
            ASSERT_TRUE(loadPriceFile(loaded, name, (dir / "permuted.txt").string()));
            const auto returns = permutedBuildReturns(loaded, name, options.build, WorkControl{});
            ASSERT_TRUE(returns);
            const PermutationRow& row = run.rows[static_cast<std::size_t>(k - 1)];
            EXPECT_EQ(row.index, k);
            EXPECT_TRUE(sameBits(row.returns[0], (*returns)[0]) && sameBits(row.returns[1], (*returns)[1])) << k;
        }
        options.threads = 3;
        EXPECT_TRUE(sameRows(runPermutationTest(registry, name, options).rows, run.rows));
    }
}

NamedPart partOf(const PermutationRun& run, const PermutationTestOptions& options, const std::string& sha) {
    const PermutationPartHeader header{"1.0.0",      sha,         name, "--base lreg --second roc --select best",
                                       options.permutations, options.seed, run.layers,
                                       run.real,     options.shard};
    std::string error;
    const auto part = readPermutationPart(permutationPartText(header, run.rows), &error);
    EXPECT_TRUE(part) << error;
    return {"part " + std::to_string(options.shard.number) + "/" + std::to_string(options.shard.count),
            part.value_or(PermutationPart{})};
}

std::string reportOf(const LayersInUse& layers, const LayerReturns& real, const std::vector<PermutationRow>& rows,
                     std::uint64_t seed) {
    return permutationReportText(summarisePermutationRun(layers, real, rows, seed), "title");
}

TEST(PermutationParts, MergeToTheWholeRunAndRefuseMissingRepeatedOrForeignParts) {
    const ProductRegistry registry = test::samplePrefix("USD_JPY.txt", name, 500);
    const std::string sha(64, 'a');
    PermutationTestOptions options = optionsFor(choiceOf(StudyKind::LinearRegression, StudyKind::RateOfChange), 9, 5);
    const PermutationRun whole = runPermutationTest(registry, name, options);
    ASSERT_EQ(whole.outcome, RunOutcome::Done);
    const std::string wholeReport = reportOf(whole.layers, whole.real, whole.rows, options.seed);

    std::vector<NamedPart> fourParts;  // shards 4/4, 3/4, 2/4, 1/4
    for (const int count : {1, 2, 4}) {
        std::vector<NamedPart> parts;
        // Given in any order.
        for (int number = count; number >= 1; --number) {
            options.shard = {number, count};
            parts.push_back(partOf(runPermutationTest(registry, name, options), options, sha));
        }
        std::string error;
        const auto merged = mergePermutationParts(parts, &error);
        ASSERT_TRUE(merged) << error;
        EXPECT_TRUE(sameRows(merged->rows, whole.rows)) << count;
        EXPECT_EQ(reportOf(merged->header.layers, merged->header.real, merged->rows, merged->header.seed), wholeReport);
        if (count == 4) fourParts = parts;
    }

    NamedPart otherSeed = fourParts[0];
    otherSeed.part.header.seed = 6;
    NamedPart otherInput = fourParts[0];
    otherInput.part.header.inputSha256 = std::string(64, 'b');
    NamedPart otherVersion = fourParts[0];
    otherVersion.part.header.programVersion = "1.0.1";
    NamedPart shortPart = fourParts[1];
    shortPart.part.rows.pop_back();
    NamedPart movedRow = fourParts[1];
    movedRow.part.rows[0].index += 1;
    struct Refusal {
        std::vector<NamedPart> parts;
        std::string message;
    };
    const Refusal refusals[] = {
        {{fourParts[0], fourParts[1], fourParts[3]}, "Shard 2/4 is missing: permutations 1, 5, 9, ... are not covered"},
        {{fourParts[0], fourParts[1], fourParts[1], fourParts[2], fourParts[3]},
         "Shard 3/4 is given twice: part 3/4 and part 3/4"},
        {{fourParts[1], fourParts[2], otherSeed, fourParts[3]},
         "part 4/4 is not a part of the same run as part 3/4: its seed is 6, not 5"},
        {{fourParts[1], fourParts[2], fourParts[3], otherInput},
         "part 4/4 is not a part of the same run as part 3/4: its input file differs (SHA-256 " +
             std::string(64, 'b') + ")"},
        {{fourParts[1], fourParts[2], fourParts[3], otherVersion},
         "part 4/4 is not a part of the same run as part 3/4: it was written by version 1.0.1, not 1.0.0"},
        {{fourParts[0], shortPart, fourParts[2], fourParts[3]}, "part 3/4: permutation 6 of shard 3/4 is missing"},
        {{fourParts[0], movedRow, fourParts[2], fourParts[3]}, "part 3/4: permutation 3 is not the next of shard 3/4"},
    };
    for (const Refusal& refusal : refusals) {
        std::string error;
        EXPECT_FALSE(mergePermutationParts(refusal.parts, &error));
        EXPECT_EQ(error, refusal.message);
    }
}

// A part is read whole or not at all: a row cut short (477.65000000000066
// cut to 477), a row that is no finite return, or a return changed by hand
// would move p without a word; the rows' SHA-256 and the checks of each row
// catch them.
TEST(PermutationParts, ARowCutShortNotFiniteOrChangedIsRefused) {
    PermutationPartHeader header{"1.0.0", std::string(64, 'a'), name, "--base macd", 2, 5, {true, false, false},
                                 {1.5, 0, 0}, {1, 1}};
    const std::string text = permutationPartText(header, {{1, {477.65000000000066, 0, 0}}, {2, {-3.25, 0, 0}}});
    std::string error;
    ASSERT_TRUE(readPermutationPart(text, &error)) << error;
    const auto replaced = [&text](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    const struct {
        std::string text;
        std::string error;
    } refusals[] = {
        {text.substr(0, text.find("477.65") + 3), "line 12: the file ends after 1 of its rows"},
        {text.substr(0, text.find("rows-sha256")), "line 13: expected rows-sha256 after 2 rows"},
        {text.substr(0, text.size() - 1), "line 14: the last line has no line end: the file is cut short"},
        {replaced("477.65000000000066", "477.6"),
         "line 14: its rows do not match their SHA-256: the file changed after it was written"},
        {replaced("-3.25", "nan"), "line 13: expected a permutation index and one finite return per layer"},
        {replaced("-3.25", "inf"), "line 13: expected a permutation index and one finite return per layer"},
        {replaced("-3.25", "1e308"), "line 13: expected a permutation index and one finite return per layer"},
        {replaced("varkel permutation part 2", "varkel permutation part 1"),
         "line 1: a part file of an older version, without the SHA-256 of its rows; run its shard again"},
    };
    for (const auto& refusal : refusals) {
        EXPECT_FALSE(readPermutationPart(refusal.text, &error)) << refusal.text;
        EXPECT_EQ(error, refusal.error);
    }
}

// Daily bars from log close-to-close moves: opens at the close before, highs
// and lows a little outside, on the hundredths grid.
ProductRegistry historyOfMoves(const std::vector<double>& moves) {
    ProductRegistry registry;
    Product* product = registry.addProduct(name);
    double close = 100.0;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> spread(0.0, 0.004);
    for (std::size_t t = 0; t < moves.size(); ++t) {
        const double open = close;
        close = open * std::exp(moves[t]);
        Bar bar;
        bar.dateText = std::to_string(20000000 + t);
        bar.open = std::round(open * 100) / 100;
        bar.close = std::round(close * 100) / 100;
        bar.high = std::round(std::max(open, close) * (1 + spread(random)) * 100) / 100;
        bar.low = std::round(std::min(open, close) * (1 - spread(random)) * 100) / 100;
        product->bars.push_back(bar);
    }
    product->bars.emplace_back();
    return registry;
}

// AR(1) moves with coefficient `phi` around a daily drift.
std::vector<double> movesOf(unsigned seed, double phi, double drift) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 0.006);
    std::vector<double> moves;
    double previous = 0.0;
    for (int t = 0; t < 600; ++t) moves.push_back(previous = drift + phi * (previous - drift) + noise(random));
    return moves;
}

double wholeBuildP(const std::vector<double>& moves) {
    const ProductRegistry registry = historyOfMoves(moves);
    const PermutationRun run = runPermutationTest(registry, name, optionsFor(choiceOf(StudyKind::LinearRegression), 39, 1));
    EXPECT_EQ(run.outcome, RunOutcome::Done);
    return summarisePermutationRun(run.layers, run.real, run.rows, 1).wholeBuild().pValue;
}

// Planted serial order (strongly autocorrelated moves) is found: each p at
// most 0.05. A random walk and a plain drift (whose sum the permutation
// keeps) are not: p is about uniform there, so the mean over four seeds stays
// well above what order would give.
TEST(PermutationTest, FindsPlantedOrderButNotARandomWalkOrADrift) {
    for (const unsigned seed : {1u, 2u, 3u}) EXPECT_LE(wholeBuildP(movesOf(seed, 0.5, 0.0)), 0.05) << seed;
    for (const double drift : {0.0, 0.004}) {
        double sum = 0.0;
        for (const unsigned seed : {11u, 12u, 13u, 14u}) sum += wholeBuildP(movesOf(seed, 0.0, drift));
        EXPECT_GT(sum / 4, 0.25) << drift;
    }
}

TEST(PermutationTest, CancelledRunKeepsNothingAndBadOptionsAreRefused) {
    const ProductRegistry registry = test::samplePrefix("USD_JPY.txt", name, 400);
    std::atomic<bool> cancel{false};
    PermutationTestOptions options = optionsFor(choiceOf(StudyKind::LinearRegression, StudyKind::RateOfChange), 50, 1);
    options.cancel = &cancel;
    options.onProgress = [&cancel](int, std::int64_t done, std::int64_t) { cancel = done >= 3; };
    const PermutationRun cancelled = runPermutationTest(registry, name, options);
    EXPECT_EQ(cancelled.outcome, RunOutcome::Cancelled);
    EXPECT_TRUE(cancelled.rows.empty());

    PermutationTestOptions tooMany = optionsFor(choiceOf(StudyKind::LinearRegression), maxPermutations + 1, 1);
    PermutationTestOptions badShard = optionsFor(choiceOf(StudyKind::LinearRegression), 10, 1);
    badShard.shard = {5, 4};
    PermutationTestOptions badChoice = optionsFor(choiceOf(StudyKind::RateOfChange), 10, 1);  // ROC is no base
    for (const PermutationTestOptions& refused : {tooMany, badShard, badChoice})
        EXPECT_EQ(runPermutationTest(registry, name, refused).outcome, RunOutcome::Refused);
}

}  // namespace
