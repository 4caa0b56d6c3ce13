// Plateau selection: a hand-made surface with a spike and a plateau, and the
// fast neighbour lookup against a search over every pair of trials.
#include "search/plateau_selection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

using namespace varkel;

// Fast spans 4 .. 12 and slow spans fast + 1 .. 16, as the MACD grid is laid
// out, with a hole where trials were skipped.
ParameterSurface spikeAndPlateau() {
    ParameterSurface surface;
    surface.parameterNames = {"fast span", "slow span"};
    for (int fast = 4; fast <= 12; ++fast) {
        for (int slow = fast + 1; slow <= 16; ++slow) {
            if (fast == 6 && slow == 12) continue;  // never tried
            double value = 0.0;
            if (fast == 5 && slow == 7) value = 10.0;                                  // a lone spike
            if (fast == 5 && (slow == 6 || slow == 8)) value = -1.0;                   // beside it
            if (fast >= 8 && fast <= 10 && slow >= 12 && slow <= 14) value = 4.0;     // a plateau
            if (fast == 9 && slow == 13) value = 4.5;
            surface.parameters.push_back(fast);
            surface.parameters.push_back(slow);
            surface.returns.push_back(value);
        }
    }
    return surface;
}

std::int64_t trialAt(const ParameterSurface& surface, int fast, int slow) {
    for (std::size_t t = 0; t < surface.trialCount(); ++t)
        if (surface.parameter(t, 0) == fast && surface.parameter(t, 1) == slow) return static_cast<std::int64_t>(t);
    return -1;
}

TEST(PlateauSelection, PrefersABroadPlateauToALoneSpike) {
    const ParameterSurface surface = spikeAndPlateau();
    const std::vector<int> steps = gridSteps(surface);
    // Slow span 7 is the third slow value (5, 6, 7): step 2, whatever the fast span.
    const std::int64_t spike = trialAt(surface, 5, 7);
    EXPECT_EQ(steps[static_cast<std::size_t>(spike) * 2], 1);
    EXPECT_EQ(steps[static_cast<std::size_t>(spike) * 2 + 1], 2);

    const PlateauChoice choice = selectPlateau(surface);
    // Fast 9, slow 13: all nine neighbours tried and on the plateau.
    EXPECT_EQ(choice.trial, trialAt(surface, 9, 13));
    EXPECT_EQ(choice.neighbourhoodSize, 9);
    EXPECT_DOUBLE_EQ(choice.meanReturn, (8 * 4.0 + 4.5) / 9.0);

    // The spike's own neighbourhood averages only 8 / 8.
    ParameterSurface flat = surface;
    for (double& value : flat.returns) value = 1.0;
    EXPECT_EQ(selectPlateau(flat).trial, 0);  // every mean is 1: the first in grid order
}

TEST(PlateauSelection, NeighbourhoodsOnlyHoldTriedTrials) {
    // One return of 9 at fast 6 / slow 11, zero elsewhere. The trials around
    // it whose neighbourhoods would hold the untried (6, 12) have only eight
    // neighbours, mean 9 / 8; the first in grid order is (5, 11). Counting the
    // hole would give every neighbourhood nine and choose (5, 10) instead.
    ParameterSurface surface = spikeAndPlateau();
    for (double& value : surface.returns) value = 0.0;
    surface.returns[static_cast<std::size_t>(trialAt(surface, 6, 11))] = 9.0;
    const PlateauChoice choice = selectPlateau(surface);
    EXPECT_EQ(choice.trial, trialAt(surface, 5, 11));
    EXPECT_EQ(choice.neighbourhoodSize, 8);
    EXPECT_EQ(choice.meanReturn, 9.0 / 8.0);
}

struct Reference {
    std::int64_t trial = -1;
    double mean = 0.0;
};

Reference referencePlateau(const std::vector<int>& steps, int d, const std::vector<double>& returns) {
    Reference best;
    const auto trials = static_cast<std::int64_t>(returns.size());
    for (std::int64_t t = 0; t < trials; ++t) {
        double sum = 0.0;
        int count = 0;
        for (std::int64_t u = 0; u < trials; ++u) {
            bool near = true;
            for (int p = 0; p < d; ++p)
                near = near && std::abs(steps[static_cast<std::size_t>(t * d + p)] -
                                        steps[static_cast<std::size_t>(u * d + p)]) <= 1;
            if (near) {
                sum += returns[static_cast<std::size_t>(u)];
                ++count;
            }
        }
        const double mean = sum / count;
        if (best.trial < 0 || mean > best.mean) best = {t, mean};
    }
    return best;
}

TEST(PlateauSelection, MatchesASearchOverEveryPairOfTrials) {
    std::mt19937 random(17);
    // Dense boxes with holes in one to four dimensions, and a sparse
    // four-dimensional surface whose box is far larger than its trial count.
    struct Case {
        int dimensions;
        int width;
        double keep;
    };
    for (const Case& c : {Case{1, 300, 0.8}, Case{2, 30, 0.7}, Case{3, 9, 0.6}, Case{4, 6, 0.5}, Case{4, 200, 0.0}}) {
        std::vector<int> steps;
        std::vector<double> returns;
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        if (c.keep > 0.0) {
            int cells = 1;
            for (int p = 0; p < c.dimensions; ++p) cells *= c.width;
            for (int cell = 0; cell < cells; ++cell) {
                if (unit(random) > c.keep) continue;
                for (int p = 0, rest = cell; p < c.dimensions; ++p, rest /= c.width)
                    steps.push_back(rest % c.width);
                returns.push_back(std::round(unit(random) * 8.0) / 4.0);  // coarse, so means tie
            }
        } else {
            std::uniform_int_distribution<int> step(0, c.width - 1);
            for (int t = 0; t < 600; ++t) {
                // Pairs of close trials, so that sparse neighbourhoods are not all single.
                const std::size_t base = steps.size();
                for (int p = 0; p < c.dimensions; ++p) steps.push_back(step(random));
                if (t % 2 == 1)
                    for (int p = 0; p < c.dimensions; ++p)
                        steps[base + static_cast<std::size_t>(p)] =
                            steps[base - static_cast<std::size_t>(c.dimensions) + static_cast<std::size_t>(p)] + (p % 2);
                returns.push_back(unit(random));
            }
        }
        const Reference expected = referencePlateau(steps, c.dimensions, returns);
        const PlateauChoice choice =
            selectPlateau(steps.data(), c.dimensions, returns.data(), static_cast<std::int64_t>(returns.size()));
        EXPECT_EQ(choice.trial, expected.trial) << c.dimensions << " " << c.width;
        EXPECT_EQ(choice.meanReturn, expected.mean) << c.dimensions << " " << c.width;
    }
    EXPECT_EQ(selectPlateau(nullptr, 2, nullptr, 0).trial, -1);
}

}  // namespace
