#include "model/trade_model.h"
#include "search/trial_selection.h"
#include "robustness/surface_slice.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varkel;

namespace {

// Three parameters a in {1, 2}, b in {10, 20, 30}, c in {0.5, 1.0}; the trial
// (2, 30, *) was never tried. Return = 100 a + b + 1000 c, except one tie.
ParameterSurface smallSurface() {
    ParameterSurface surface;
    surface.parameterNames = {"a", "b", "c"};
    for (double a : {1.0, 2.0})
        for (double b : {10.0, 20.0, 30.0})
            for (double c : {0.5, 1.0}) {
                if (a == 2.0 && b == 30.0) continue;
                surface.parameters.insert(surface.parameters.end(), {a, b, c});
                surface.returns.push_back(100 * a + b + 1000 * c);
            }
    // (1, 10, 0.5) ties (1, 10, 1.0): the earlier trial keeps the cell.
    surface.returns[1] = surface.returns[0];
    return surface;
}

}  // namespace

TEST(SurfaceSlice, HeldAndBestOverTheRest) {
    const ParameterSurface surface = smallSurface();
    struct Case {
        SliceRequest request;
        std::vector<double> across, up;
        std::vector<std::int64_t> trials;  // row-major, up then across
    };
    const Case cases[] = {
        // a across, b up, c held at 1.0: trials 1, 3, 5 (a = 1) and 7, 9 (a = 2).
        {{0, 1, false, {0, 0, 1.0}}, {1, 2}, {10, 20, 30}, {1, 7, 3, 9, 5, -1}},
        // The same, c held at 0.5.
        {{0, 1, false, {0, 0, 0.5}}, {1, 2}, {10, 20, 30}, {0, 6, 2, 8, 4, -1}},
        // Best over c: c = 1.0 wins everywhere but the tie at (1, 10).
        {{0, 1, true, {}}, {1, 2}, {10, 20, 30}, {0, 7, 3, 9, 5, -1}},
        // c across, a up, best over b: b = 30 for a = 1, b = 20 for a = 2.
        {{2, 0, true, {}}, {0.5, 1.0}, {1, 2}, {4, 5, 8, 9}},
    };
    for (const Case& c : cases) {
        const SurfaceSlice slice = sliceSurface(surface, c.request);
        EXPECT_EQ(slice.acrossValues, c.across);
        EXPECT_EQ(slice.upValues, c.up);
        ASSERT_EQ(slice.trials, c.trials);
        for (std::size_t cell = 0; cell < slice.trials.size(); ++cell) {
            if (c.trials[cell] < 0)
                EXPECT_TRUE(std::isnan(slice.returns[cell]));
            else
                EXPECT_EQ(slice.returns[cell], surface.returns[c.trials[cell]]);
        }
    }
    EXPECT_TRUE(sliceSurface(surface, {1, 1, true, {}}).trials.empty());
}

TEST(SurfaceSlice, FindsTheBuiltModelsTrial) {
    const ParameterSurface surface = smallSurface();
    EXPECT_EQ(findTrial(surface, {2, 20, 0.5}), 8);
    EXPECT_EQ(findTrial(surface, {2, 30, 0.5}), -1);
    EXPECT_EQ(findTrial(surface, {2, 20}), -1);

    // A Keltner model's two spans and its multiplier, in the surface's order;
    // MACD has no real-valued parameter on its surface.
    TradeModel keltner;
    keltner.layers[0].kind = StudyKind::KeltnerChannels;
    keltner.layers[0].p.spans[0] = 20;
    keltner.layers[0].p.spans[1] = 10;
    keltner.layers[0].p.setting = 1.5;
    EXPECT_EQ(layerValues(keltner.base()), (std::vector<double>{20, 10, 1.5}));
    TradeModel macd;
    macd.layers[0].kind = StudyKind::Macd;
    macd.layers[0].p.spans[0] = 12;
    macd.layers[0].p.spans[1] = 26;
    macd.layers[0].p.spans[2] = 9;
    EXPECT_EQ(layerValues(macd.base()), (std::vector<double>{12, 26, 9}));
}

// The colour scale reaches the 5th or 95th percentile, whichever lies
// farther from break-even: a lone huge loss does not wash out the rest.
TEST(SurfaceSlice, ColourReachIgnoresTheOutlyingFewPerCent) {
    struct Case {
        std::vector<double> returns;
        double reach;
    };
    const double nan = std::nan("");
    std::vector<double> hundred;
    for (int i = 1; i <= 100; ++i) hundred.push_back(i);  // 1 .. 100
    std::vector<double> outlier = hundred;
    outlier[0] = -2500.0;                                  // one huge loss among 100
    const Case cases[] = {
        {{}, 0.0},
        {{nan, nan}, 0.0},
        {{3.0}, 3.0},
        {hundred, 95.0},   // ranks 5 and 95 of 100
        {outlier, 95.0},   // the -2500 lies below the 5th percentile
        {{-40.0, nan, 10.0}, 40.0},
    };
    for (const Case& c : cases) {
        SurfaceSlice slice;
        slice.returns = c.returns;
        EXPECT_EQ(colourReach(slice), c.reach) << c.returns.size();
    }
}
