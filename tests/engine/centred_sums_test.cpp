#include "studies/centred_sums.h"

#include "../support/sample_history.h"
#include "../support/vector_targets.h"

#include <gtest/gtest.h>

#include <vector>

using namespace varkel;

// Windows summed side by side in vector registers must give each window the
// sums of the plain one-window loop, bit for bit, on every target: full
// blocks of windows, the windows left over at the end, and spans from 1 up
// to the whole series.
TEST(CentredSums, EveryTargetSumsEachWindowAsTheOneWindowLoop) {
    const std::vector<double> closes = test::sampleCloses("USD_JPY.txt", 157);
    for (const int span : {1, 2, 3, 7, 40, 139, 157}) {
        SCOPED_TRACE(span);
        CentredSums expected{0.0, std::vector<double>(closes.size()), std::vector<double>(closes.size()),
                             std::vector<double>(closes.size())};
        for (int offset = 0; offset < span; ++offset) {
            const double dx = static_cast<double>(offset + 1) - (span + 1) / 2.0;
            expected.sxx += dx * dx;
        }
        for (std::size_t last = span - 1; last < closes.size(); ++last)
            for (int offset = 0; offset < span; ++offset) {
                const double dx = static_cast<double>(offset + 1) - (span + 1) / 2.0;
                const double dy = closes[last + 1 - span + offset] - closes[last + 1 - span];
                expected.sy[last] += dy;
                expected.syy[last] += dy * dy;
                expected.sxy[last] += dx * dy;
            }
        test::onEveryVectorTarget([&] {
            const CentredSums s = centredSums(closes, span);
            EXPECT_EQ(s.sxx, expected.sxx);
            EXPECT_EQ(s.sy, expected.sy);
            EXPECT_EQ(s.syy, expected.syy);
            EXPECT_EQ(s.sxy, expected.sxy);
        });
    }
}
