// The probability of backtest overfitting: the fast estimator against a
// straightforward one (every split, every trial, one sum at a time), and on
// constructed cases whose answer is known.
#include "robustness/cscv_splits.h"
#include "robustness/overfitting_probability.h"
#include "../support/vector_targets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace varkel;

struct ReferenceSplit {
    std::int64_t chosen = -1;
    double inSample = 0.0;
    double outOfSample = 0.0;
    double logit = 0.0;
};

double blockScore(const std::vector<double>& sums, std::int64_t trial, int blockCount, std::uint32_t mask) {
    double score = 0.0;
    for (int block = 0; block < blockCount; ++block)
        if (mask & (1u << block)) score += sums[static_cast<std::size_t>(trial * blockCount + block)];
    return score;
}

ReferenceSplit referenceSplit(const std::vector<double>& sums, std::int64_t trials, int blockCount,
                              std::uint32_t inSample) {
    const std::uint32_t outOfSample = ((1u << blockCount) - 1u) & ~inSample;
    ReferenceSplit split;
    double best = -INFINITY;
    for (std::int64_t t = 0; t < trials; ++t) {
        const double score = blockScore(sums, t, blockCount, inSample);
        if (score > best) {
            best = score;
            split.chosen = t;
        }
    }
    split.inSample = best;
    split.outOfSample = blockScore(sums, split.chosen, blockCount, outOfSample);
    std::int64_t below = 0;
    std::int64_t equal = 0;
    for (std::int64_t t = 0; t < trials; ++t) {
        const double score = blockScore(sums, t, blockCount, outOfSample);
        if (score < split.outOfSample) ++below;
        if (score == split.outOfSample) ++equal;
    }
    const double w = (below + equal / 2.0) / static_cast<double>(trials);
    split.logit = std::log(w / (1.0 - w));
    return split;
}

std::vector<double> randomSums(std::int64_t trials, int blockCount, unsigned seed, bool coarse) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> sums(static_cast<std::size_t>(trials * blockCount));
    // Coarse sums (whole tenths) make ties in and out of sample common.
    for (double& sum : sums) sum = coarse ? std::round(normal(random) * 10.0) / 10.0 : normal(random);
    return sums;
}

TEST(OverfittingProbability, SplitsAreEveryHalfOfTheBlocksInLexicographicOrder) {
    EXPECT_EQ(cscvSplits(4), (std::vector<std::uint32_t>{0b0011, 0b0101, 0b1001, 0b0110, 0b1010, 0b1100}));
    for (int blocks : {4, 6, 10, 16}) {
        const auto splits = cscvSplits(blocks);
        const auto complements = cscvComplements(splits, blocks);
        std::int64_t expected = 1;
        for (int k = 1; k <= blocks / 2; ++k) expected = expected * (blocks / 2 + k) / k;
        ASSERT_EQ(static_cast<std::int64_t>(splits.size()), expected);
        for (std::size_t i = 0; i < splits.size(); ++i) {
            EXPECT_EQ(std::popcount(splits[i]), blocks / 2);
            EXPECT_EQ(splits[i] | splits[static_cast<std::size_t>(complements[i])], (1u << blocks) - 1u);
            if (i > 0) {
                // The lowest block where two neighbours differ belongs to the earlier one.
                const std::uint32_t differ = splits[i - 1] ^ splits[i];
                EXPECT_TRUE(splits[i - 1] & differ & (~differ + 1u)) << blocks << " " << i;
            }
        }
    }
}

TEST(OverfittingProbability, MatchesTheStraightforwardEstimateBitForBitAtAnyThreadCountOnEveryTarget) {
    struct Case {
        std::int64_t trials;
        int blocks;
        bool coarse;
    };
    // 20,000 trials span three chunks of work and end in a partial tile.
    for (const Case& c : {Case{20000, 10, false}, Case{20000, 6, true}, Case{777, 4, true}, Case{1, 4, false},
                          Case{300, 16, false}}) {
        const std::vector<double> sums = randomSums(c.trials, c.blocks, 11u + c.trials, c.coarse);
        const auto splits = cscvSplits(c.blocks);
        std::vector<ReferenceSplit> expected;
        for (std::uint32_t mask : splits) expected.push_back(referenceSplit(sums, c.trials, c.blocks, mask));

        double overfit = 0.0;
        double losses = 0.0;
        std::vector<double> logits;
        for (const ReferenceSplit& split : expected) {
            overfit += split.logit <= 0.0 ? 1.0 : 0.0;
            losses += split.outOfSample < 0.0 ? 1.0 : 0.0;
            logits.push_back(split.logit);
        }
        std::sort(logits.begin(), logits.end());
        const double median = (logits[logits.size() / 2 - 1] + logits[logits.size() / 2]) / 2.0;

        test::onEveryVectorTarget([&] {
            for (int threads : {1, 2, 3}) {
                SCOPED_TRACE(testing::Message() << c.trials << " trials, " << c.blocks << " blocks, " << threads
                                                << " threads");
                WorkControl control;
                control.threads = threads;
                const PboResult result = estimatePbo(sums.data(), c.trials, c.blocks, control);
                ASSERT_TRUE(result.valid);
                ASSERT_EQ(result.splitCount, static_cast<int>(splits.size()));
                for (std::size_t i = 0; i < splits.size(); ++i) {
                    ASSERT_EQ(result.chosenTrials[i], expected[i].chosen) << i;
                    ASSERT_EQ(result.inSampleScores[i], expected[i].inSample) << i;
                    ASSERT_EQ(result.outOfSampleScores[i], expected[i].outOfSample) << i;
                    ASSERT_EQ(result.logits[i], expected[i].logit) << i;
                }
                EXPECT_EQ(result.pbo, overfit / static_cast<double>(splits.size()));
                EXPECT_EQ(result.outOfSampleLossProbability, losses / static_cast<double>(splits.size()));
                EXPECT_EQ(result.medianLogit, median);
            }
        });
    }
}

TEST(OverfittingProbability, DegradationSlopeIsTheLeastSquaresFitOfTheChosenScores) {
    const std::vector<double> sums = randomSums(5000, 8, 5u, false);
    const PboResult result = estimatePbo(sums.data(), 5000, 8);
    ASSERT_TRUE(result.valid);
    // Any other line through the points leaves a larger sum of squared residuals.
    const auto n = static_cast<double>(result.splitCount);
    double meanX = 0.0, meanY = 0.0;
    for (int i = 0; i < result.splitCount; ++i) {
        meanX += result.inSampleScores[static_cast<std::size_t>(i)] / n;
        meanY += result.outOfSampleScores[static_cast<std::size_t>(i)] / n;
    }
    auto residuals = [&](double slope) {
        double sum = 0.0;
        for (int i = 0; i < result.splitCount; ++i) {
            const double r = result.outOfSampleScores[static_cast<std::size_t>(i)] - meanY -
                             slope * (result.inSampleScores[static_cast<std::size_t>(i)] - meanX);
            sum += r * r;
        }
        return sum;
    };
    EXPECT_LT(residuals(result.degradationSlope), residuals(result.degradationSlope + 0.01));
    EXPECT_LT(residuals(result.degradationSlope), residuals(result.degradationSlope - 0.01));
}

TEST(OverfittingProbability, OneTrialBestInEveryBlockIsNeverOverfit) {
    const std::int64_t trials = 3000;
    const int blocks = 10;
    std::vector<double> sums = randomSums(trials, blocks, 3u, false);
    const std::int64_t star = 1234;
    for (int block = 0; block < blocks; ++block) sums[static_cast<std::size_t>(star * blocks + block)] = 10.0;
    const PboResult result = estimatePbo(sums.data(), trials, blocks);
    ASSERT_TRUE(result.valid);
    EXPECT_EQ(result.pbo, 0.0);
    EXPECT_EQ(result.outOfSampleLossProbability, 0.0);
    for (int i = 0; i < result.splitCount; ++i) EXPECT_EQ(result.chosenTrials[static_cast<std::size_t>(i)], star);
    // Ranked first of 3,000 out of sample: w = 2999.5 / 3000.
    EXPECT_NEAR(result.medianLogit, std::log(2999.5 / 0.5), 1e-9);
}

TEST(OverfittingProbability, IndependentNoiseIsOverfitHalfTheTime) {
    // With independent trials the in-sample choice says nothing about the
    // out-of-sample blocks, so the chosen trial's out-of-sample rank is uniform
    // on 1 .. T; for even T exactly half of the ranks give w <= 1/2. The PBO of
    // one seed therefore has mean exactly 0.5 (its splits are correlated, so it
    // varies a lot); seeds are independent, so the mean of M seeds lies within
    // four standard errors s / sqrt(M) of 0.5 but for a 1-in-15,000 chance.
    const int seeds = 60;
    std::vector<double> pbos;
    for (int seed = 0; seed < seeds; ++seed) {
        const std::vector<double> sums = randomSums(200, 10, 1000u + seed, false);
        pbos.push_back(estimatePbo(sums.data(), 200, 10).pbo);
    }
    double mean = 0.0;
    for (double pbo : pbos) mean += pbo / seeds;
    double variance = 0.0;
    for (double pbo : pbos) variance += (pbo - mean) * (pbo - mean) / (seeds - 1);
    const double standardError = std::sqrt(variance / seeds);
    EXPECT_GT(standardError, 0.0);
    EXPECT_NEAR(mean, 0.5, 4.0 * standardError);
    // A PBO is a share: whatever the correlation, its variance is at most 1/4.
    EXPECT_NEAR(mean, 0.5, 4.0 * 0.5 / std::sqrt(static_cast<double>(seeds)));
}

TEST(OverfittingProbability, RefusesBadInputAndStopsWhenCancelled) {
    const std::vector<double> sums = randomSums(100, 16, 9u, false);
    for (int blocks : {2, 3, 5, 18}) EXPECT_FALSE(estimatePbo(sums.data(), 100 * 16 / blocks, blocks).valid) << blocks;
    EXPECT_FALSE(estimatePbo(sums.data(), 0, 10).valid);
    EXPECT_FALSE(estimatePbo(nullptr, 10, 10).valid);

    std::atomic<bool> cancel{true};
    WorkControl control;
    control.cancel = &cancel;
    const PboResult cancelled = estimatePbo(sums.data(), 100, 16, control);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.valid);
}

TEST(OverfittingProbability, ReportsProgressOverBothPasses) {
    const std::int64_t trials = 40000;
    const std::vector<double> sums = randomSums(trials, 4, 2u, false);
    std::vector<std::int64_t> done;
    WorkControl control;
    control.threads = 2;
    control.onProgress = [&](int, std::int64_t d, std::int64_t total) {
        EXPECT_EQ(total, 2 * trials);
        done.push_back(d);
    };
    ASSERT_TRUE(estimatePbo(sums.data(), trials, 4, control).valid);
    ASSERT_FALSE(done.empty());
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), 2 * trials);
}

}  // namespace
