#include "base/work_control.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace varkel;

// A flow hands each part of its work the control at that part's stage: the
// part must keep the caller's threads, cancel flag and listeners, and report
// its own stage, while the caller's control stays as it was.
TEST(WorkControl, PartsKeepTheControlAndReportTheirStage) {
    std::atomic<bool> cancel{false};
    std::vector<int> started;
    std::vector<std::pair<int, std::int64_t>> reported;
    WorkControl control;
    control.threads = 3;
    control.cancel = &cancel;
    control.onStageStarted = [&](int stage) { started.push_back(stage); };
    control.onProgress = [&](int stage, std::int64_t done, std::int64_t) { reported.push_back({stage, done}); };

    const WorkControl second = control.startStage(2);
    const WorkControl third = control.atStage(3);
    second.reportProgress(5, 10);
    third.reportProgress(7, 10);
    control.reportProgress(1, 10);
    EXPECT_EQ(started, std::vector<int>{2});  // atStage tells no listener
    EXPECT_EQ(reported, (std::vector<std::pair<int, std::int64_t>>{{2, 5}, {3, 7}, {0, 1}}));
    EXPECT_EQ(second.threads, 3);
    EXPECT_EQ(control.stage, 0);

    EXPECT_FALSE(third.cancelled());
    cancel = true;
    EXPECT_TRUE(second.cancelled());
    EXPECT_TRUE(third.cancelled());
    EXPECT_FALSE(WorkControl{}.cancelled());
    WorkControl{}.reportProgress(1, 1);  // no listener: nothing to call
}
