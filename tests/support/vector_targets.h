#pragma once

// Runs a check once on every vector target this binary holds and the
// processor supports (AVX-512, AVX2, SSE4, NEON, the portable fallback, ...),
// with the target's name in every failure message.

#include "search/vector_target.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <cstdint>
#include <string>

namespace varkel::test {

template <typename Check>
void onEveryVectorTarget(Check&& check) {
    // Every later test runs on the processor's own best target again, even
    // when a check here fails.
    struct RestoreTargets {
        ~RestoreTargets() { hwy::SetSupportedTargetsForTest(0); }
    } restore;
    // The XML report (--gtest_output=xml) names the target the program
    // dispatches to and those checked, so that a run on another processor or
    // in an emulator shows which vector code it proved.
    testing::Test::RecordProperty("vector_target_dispatched", vectorTargetName());
    std::string checked;
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        SCOPED_TRACE(testing::Message() << "vector target " << hwy::TargetName(target));
        ASSERT_EQ(vectorTargetName(), hwy::TargetName(target));
        check();
        checked += (checked.empty() ? "" : " ") + std::string(hwy::TargetName(target));
    }
    testing::Test::RecordProperty("vector_targets_checked", checked);
    // A processor whose targets this Highway does not recognise would check nothing and pass.
    EXPECT_FALSE(checked.empty()) << "no vector target of this binary is supported here";
}

}  // namespace varkel::test
