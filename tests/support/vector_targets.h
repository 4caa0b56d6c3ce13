#pragma once

// Runs a check once on every vector target this binary holds and the
// processor supports (AVX-512, AVX2, SSE4, the portable fallback, ...), with
// the target's name in every failure message.

#include "search/vector_target.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <cstdint>

namespace varkel::test {

template <typename Check>
void onEveryVectorTarget(Check&& check) {
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        SCOPED_TRACE(testing::Message() << "vector target " << hwy::TargetName(target));
        ASSERT_EQ(vectorTargetName(), hwy::TargetName(target));
        check();
    }
    hwy::SetSupportedTargetsForTest(0);
}

}  // namespace varkel::test
