// Family-wise p-values: hand-worked families, and random families (with many
// ties) against a literal reading of the stepdown min-p rule that ranks every
// history of every combination one comparison at a time.
#include "robustness/family_wise_p.h"
#include "robustness/permutation_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace varkel;

using Returns = std::vector<std::vector<double>>;

// The rule as stated, with the real history stored as history P of each
// combination and every p a double, computed afresh for every comparison.
std::vector<double> referenceAdjusted(const std::vector<double>& real, const Returns& permuted) {
    const std::size_t combinations = real.size();
    const std::size_t p = permuted.empty() ? 0 : permuted.front().size();
    const auto returnOf = [&](std::size_t c, std::size_t h) { return h == p ? real[c] : permuted[c][h]; };
    const auto historyP = [&](std::size_t c, std::size_t h) {
        std::size_t atLeast = 0;
        for (std::size_t g = 0; g <= p; ++g)
            if (g != h && returnOf(c, g) >= returnOf(c, h)) ++atLeast;
        return static_cast<double>(1 + atLeast) / static_cast<double>(p + 1);
    };
    std::vector<std::size_t> order;
    for (std::size_t c = 0; c < combinations; ++c) order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return historyP(a, p) < historyP(b, p); });
    std::vector<double> adjusted(combinations);
    double previous = 0.0;
    for (std::size_t i = 0; i < combinations; ++i) {
        const double own = historyP(order[i], p);
        std::size_t counted = 0;
        for (std::size_t h = 0; h <= p; ++h) {
            double smallest = 1.0;
            for (std::size_t j = i; j < combinations; ++j) smallest = std::min(smallest, historyP(order[j], h));
            if (smallest <= own) ++counted;
        }
        previous = std::max(previous, static_cast<double>(counted) / static_cast<double>(p + 1));
        adjusted[order[i]] = previous;
    }
    return adjusted;
}

struct HandFamily {
    std::string name;
    std::vector<double> real;
    Returns permuted;
    std::vector<double> raw;
    std::vector<double> adjusted;
};

// P = 4 throughout, so every p is a count over 5 histories. A history's rank
// for a combination is 1 + the other histories (real included) at least as
// high; "min" is a permuted history's smallest rank over the combinations not
// yet rejected, and it counts when it is at most the combination's raw rank.
std::vector<HandFamily> handFamilies() {
    return {
        // A: ranks of permuted histories 0..3 are 5 4 3 2, real rank 1.
        // B: 1 5 4 3, real rank 2.   C: 3 2 1 5, real rank 4.
        // Order A, B, C. C alone: {3,2,1,5} <= 4 for three, + real = 4/5.
        // B, C: min {1,2,1,3} <= 2 for three, + real = 4/5.
        // A, B, C: min {1,2,1,2} <= 1 for two, + real = 3/5.
        // Running maximum: 3/5, 4/5, 4/5.
        {"three combinations, B's one high permuted return drags A up",
         {10, 10, 1},
         {{1, 2, 3, 4}, {11, 1, 2, 3}, {5, 6, 7, 0}},
         {0.2, 0.4, 0.8},
         {0.6, 0.8, 0.8}},
        // Tied raw p 3/5, A first by index. A: ranks 2 1 5 4; B: 5 4 2 1.
        // B alone: {5,4,2,1} <= 3 for two, + real = 3/5.
        // A, B: min {2,1,2,1} <= 3 for all four, + real = 5/5 = 1.
        // Running maximum lifts B to 1.
        {"tied raw p, the running maximum lifts the later one",
         {10, 10},
         {{11, 12, 1, 2}, {1, 2, 11, 12}},
         {0.6, 0.6},
         {1.0, 1.0}},
        // Every permuted return ties the real one: each history's rank is 5.
        {"all ties", {3, 3}, {{3, 3, 3, 3}, {3, 3, 3, 3}}, {1.0, 1.0}, {1.0, 1.0}},
        // A strong combination among a weak one: the weak one's permuted
        // ranks 1 2 3 4 (real 0 ranks 5) reach A's raw rank 1 once.
        // A: ranks 2 3 4 5, real rank 1. Order A, B. B alone: all <= 5, 5/5.
        // A, B: min {1,2,3,4} <= 1 once, + real = 2/5; running max 2/5, 1.
        {"a strong combination beside a weak one", {10, 0}, {{4, 3, 2, 1}, {4, 3, 2, 1}}, {0.2, 1.0}, {0.4, 1.0}},
    };
}

TEST(FamilyWisePValues, HandWorkedFamiliesGiveTheirKnownAdjustedP) {
    for (const HandFamily& family : handFamilies()) {
        SCOPED_TRACE(family.name);
        const FamilyPValues p = familyWisePValues(family.real, family.permuted);
        EXPECT_EQ(p.raw, family.raw);
        EXPECT_EQ(p.adjusted, family.adjusted);
        EXPECT_EQ(referenceAdjusted(family.real, family.permuted), family.adjusted);
    }
}

Returns randomReturns(std::mt19937_64& random, std::size_t combinations, std::size_t histories, int levels) {
    std::uniform_int_distribution<int> level(0, levels - 1);
    Returns returns(combinations, std::vector<double>(histories));
    for (auto& row : returns)
        for (double& r : row) r = 0.5 * level(random);
    return returns;
}

TEST(FamilyWisePValues, RandomFamiliesFollowTheRuleAndItsGuarantees) {
    std::mt19937_64 random(34);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const std::size_t combinations = 1 + random() % 7;
        const std::size_t histories = random() % 12;
        const int levels = 2 + static_cast<int>(random() % 9);  // few levels: many ties
        const Returns permuted = randomReturns(random, combinations, histories, levels);
        const std::vector<double> real = randomReturns(random, 1, combinations, levels).front();
        const FamilyPValues p = familyWisePValues(real, permuted);

        EXPECT_EQ(p.adjusted, referenceAdjusted(real, permuted));
        for (std::size_t c = 0; c < combinations; ++c) {
            EXPECT_EQ(p.raw[c], summarisePermutations(real[c], permuted[c]).pValue);
            EXPECT_GE(p.adjusted[c], p.raw[c]);
            EXPECT_LE(p.adjusted[c], 1.0);
            EXPECT_EQ(familyWisePValues({real[c]}, {permuted[c]}).adjusted.front(), p.raw[c]) << "family of one";
        }
        const std::vector<std::size_t> order = stepdownOrder(p.raw);
        for (std::size_t i = 1; i < order.size(); ++i) {
            EXPECT_LE(p.raw[order[i - 1]], p.raw[order[i]]);
            EXPECT_LE(p.adjusted[order[i - 1]], p.adjusted[order[i]]);
            if (p.raw[order[i - 1]] == p.raw[order[i]]) {
                EXPECT_LT(order[i - 1], order[i]);
            }
        }

        // Copies of a combination add no new way to be fooled: every
        // adjusted p stays as it was, the copies' equal to the original's.
        const std::size_t copied = random() % combinations;
        std::vector<double> realWithCopies = real;
        Returns permutedWithCopies = permuted;
        for (int copy = 0; copy < 2; ++copy) {
            realWithCopies.push_back(real[copied]);
            permutedWithCopies.push_back(permuted[copied]);
        }
        const FamilyPValues withCopies = familyWisePValues(realWithCopies, permutedWithCopies);
        for (std::size_t c = 0; c < realWithCopies.size(); ++c)
            EXPECT_EQ(withCopies.adjusted[c], p.adjusted[c < combinations ? c : copied]) << c;
    }
}

TEST(FamilyWisePValues, RefusesFamiliesThatCannotBeRanked) {
    const double nan = std::nan("");
    const struct {
        std::string name;
        std::vector<double> real;
        Returns permuted;
    } refused[] = {
        {"a row missing", {1, 2}, {{1, 2}}},
        {"rows of unequal length", {1, 2}, {{1, 2}, {1}}},
        {"a real return that is not a number", {nan}, {{1, 2}}},
        {"a permuted return that is not a number", {1}, {{1, nan}}},
    };
    for (const auto& family : refused)
        EXPECT_THROW(familyWisePValues(family.real, family.permuted), std::invalid_argument) << family.name;
    const FamilyPValues empty = familyWisePValues({}, {});
    EXPECT_TRUE(empty.raw.empty() && empty.adjusted.empty());
}

}  // namespace
