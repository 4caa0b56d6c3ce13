#include "search/window_sums.h"

#include <algorithm>
#include <map>

namespace varkel {

WindowPlan::WindowPlan(const std::vector<BarWindow>& windows, int n) : windowCount(static_cast<int>(windows.size())) {
    // One running sum per distinct first bar, kept until its longest window ends.
    std::map<int, int> sumStartingAt;
    std::vector<int> firstBar, lastEnd;
    std::map<int, Boundary> byBar;
    auto boundaryAt = [&byBar](int bar) -> Boundary& {
        auto [it, added] = byBar.try_emplace(bar);
        it->second.bar = bar;
        return it->second;
    };
    for (const BarWindow& window : windows) {
        const int from = std::clamp(window.from, 1, std::max(n, 1));
        const int to = std::clamp(window.to, 1, std::max(n, 1));
        if (to <= from) {
            runningSumOf.push_back(-1);
            continue;
        }
        auto [it, added] = sumStartingAt.try_emplace(from, static_cast<int>(firstBar.size()));
        if (added) {
            firstBar.push_back(from);
            lastEnd.push_back(to);
            boundaryAt(from).starting.push_back(it->second);
        }
        lastEnd[it->second] = std::max(lastEnd[it->second], to);
        runningSumOf.push_back(it->second);
        boundaryAt(to).ending.push_back(static_cast<int>(runningSumOf.size()) - 1);
    }
    runningSums = static_cast<int>(firstBar.size());
    for (auto& [bar, boundary] : byBar) {
        for (int r = 0; r < runningSums; ++r)
            if (firstBar[r] <= bar && bar < lastEnd[r]) boundary.active.push_back(r);
        mostActive = std::max(mostActive, static_cast<int>(boundary.active.size()));
        boundaries.push_back(std::move(boundary));
    }
}

}  // namespace varkel
