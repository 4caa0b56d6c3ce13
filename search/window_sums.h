#pragma once

// Sums of eight trials' daily P&L over a ledger's bar windows, taken in the
// same pass over the bars that gives their final returns. Windows that start
// at the same bar share one running sum (its value after a window's last bar
// is that window's sum, added in bar order from 0.0), so nested windows cost
// one addition per bar and overlapping rolling windows one per window open.

#include "search/trial_ledger.h"
#include "search/trial_lanes.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace varkel {

// Where the running sums start, stop and are read, for windows on a history
// of n bars. Bar 0 earns nothing, so a window from bar 0 sums as one from bar 1.
class WindowPlan {
public:
    WindowPlan(const std::vector<BarWindow>& windows, int n);

    // Before the daily P&L of `bar` is added: the running sums that start
    // here are set to 0.0, the windows that end here are read, and from here
    // on the `active` running sums take every bar.
    struct Boundary {
        int bar;
        std::vector<int> starting;
        std::vector<int> ending;
        std::vector<int> active;
    };
    std::vector<Boundary> boundaries;  // ascending bars, 1 .. n
    std::vector<int> runningSumOf;     // per window; -1 for an empty window
    int runningSums = 0;
    int windowCount = 0;
    int mostActive = 0;  // the most running sums that take one bar
};

// Steps through a plan's boundaries in bar order: which running sums take the
// current bar, and where that changes next.
class PlanSteps {
public:
    explicit PlanSteps(const WindowPlan& plan) : plan_(&plan) {}

    void restart() {
        next_ = 0;
        nextBar_ = barAt(0);
        active_ = {};
    }
    // Crosses every boundary up to `bar` (all of them for INT_MAX), calling
    // cross(boundary) at each before its running sums take the bars.
    template <class Cross>
    void reach(int bar, Cross cross) {
        while (nextBar_ <= bar && next_ < plan_->boundaries.size()) {
            const WindowPlan::Boundary& b = plan_->boundaries[next_++];
            cross(b);
            active_ = b.active;
            nextBar_ = barAt(next_);
        }
    }
    // The next bar where the running sums change (INT_MAX after the last).
    int nextBoundary() const { return nextBar_; }
    std::span<const int> active() const { return active_; }

private:
    int barAt(std::size_t k) const { return k < plan_->boundaries.size() ? plan_->boundaries[k].bar : INT_MAX; }

    const WindowPlan* plan_;
    std::size_t next_ = 0;
    int nextBar_ = INT_MAX;
    std::span<const int> active_;
};

// How many bars of daily P&L the lane searches gather, where they take them
// in blocks, before they add them to the sums (at most; a boundary of the
// plan adds them sooner): 4 KB of AVX2 lanes for four channels, so the block
// stays in L1 between the loop's stores and the sums' loads.
constexpr int ledgerBlockBars = 32;

// `Channels` sets of eight lanes (a search may run several spans per pass).
// This side keeps the sums and steps through the plan; the vector code of
// each target (window_sums-inl.h) adds the bars' daily P&L to them.
template <int Channels>
class LaneWindowSums {
public:
    LaneWindowSums(const WindowPlan& plan, bool withSquares)
        : plan_(&plan), steps_(plan), withSquares_(withSquares),
          running_(static_cast<std::size_t>(plan.runningSums) * Channels),
          windows_(static_cast<std::size_t>(plan.windowCount) * Channels) {}

    // start(), then reach(bar) before adding each bar's daily P&L (bars 1 ..
    // n-1 in order; a bar that adds exactly 0.0 everywhere may be left out),
    // then finish(). A pass may take only some of the lanes, from `firstLane`
    // on: it starts, reads and keeps the sums of those lanes alone, so passes
    // over the other lanes may follow.
    void start(int firstLane = 0, int laneCount = lanes::width) {
        firstLane_ = firstLane;
        endLane_ = firstLane + laneCount;
        for (auto& w : windows_) clearLanes(w);
        for (auto& s : squares_) clearLanes(s);
        steps_.restart();
    }
    void reach(int bar) {
        steps_.reach(bar, [&](const WindowPlan::Boundary& b) { cross(b); });
    }
    void finish() { reach(INT_MAX); }
    // The next bar where the running sums change (INT_MAX after the last).
    int nextBoundary() const { return steps_.nextBoundary(); }

    bool withSquares() const { return withSquares_; }
    // Whether two running sums or more ever take the same bar.
    bool sumsOverlap() const { return plan_->mostActive > 1; }
    // The running sums that take the current bar.
    std::span<const int> active() const { return steps_.active(); }
    lanes::Doubles& running(int sum, int channel) { return running_[static_cast<std::size_t>(sum) * Channels + channel]; }
    lanes::Doubles& squares(int channel) { return squares_[channel]; }
    const lanes::Doubles& window(int channel, int w) const { return windows_[w * Channels + channel]; }
    const lanes::Doubles& squares(int channel) const { return squares_[channel]; }

    // Writes one lane of one channel, a trial with its parameters and final
    // return, into the ledger's slot.
    void record(TrialLedger& ledger, std::size_t slot, int channel, int lane, const TrialParameters& parameters,
                double finalReturn) const {
        double* sums = ledger.windowSumsOf(slot);
        for (int w = 0; w < plan_->windowCount; ++w) sums[w] = windows_[w * Channels + channel][lane];
        ledger.record(slot, parameters, finalReturn, squares_[channel][lane]);
    }

private:
    void clearLanes(lanes::Doubles& values) const {
        for (int lane = firstLane_; lane < endLane_; ++lane) values[lane] = 0.0;
    }
    void cross(const WindowPlan::Boundary& b) {
        for (const int r : b.starting)
            for (int c = 0; c < Channels; ++c) clearLanes(running_[r * Channels + c]);
        for (const int w : b.ending)
            for (int c = 0; c < Channels; ++c) {
                const lanes::Doubles& from = running_[plan_->runningSumOf[w] * Channels + c];
                lanes::Doubles& to = windows_[w * Channels + c];
                for (int lane = firstLane_; lane < endLane_; ++lane) to[lane] = from[lane];
            }
    }

    const WindowPlan* plan_;
    PlanSteps steps_;
    bool withSquares_;
    std::vector<lanes::Doubles> running_;  // [running sum][channel]
    std::vector<lanes::Doubles> windows_;  // [window][channel]
    lanes::Doubles squares_[Channels] = {};
    int firstLane_ = 0, endLane_ = lanes::width;
};

// The same sums for trials kept side by side in plain arrays, a value per
// trial (the position runs of the one-setting searches). Each array has room
// past the last trial for a vector's spare lanes.
class TrialWindowSums {
public:
    TrialWindowSums(const WindowPlan& plan, int trials, bool withSquares)
        : plan_(&plan), steps_(plan), trials_(trials), withSquares_(withSquares),
          stride_(static_cast<std::size_t>(trials) + 8),
          running_(static_cast<std::size_t>(plan.runningSums) * stride_),
          windows_(static_cast<std::size_t>(plan.windowCount) * stride_), squares_(stride_) {}

    const WindowPlan& plan() const { return *plan_; }
    int trials() const { return trials_; }
    bool withSquares() const { return withSquares_; }
    double* running(int sum) { return running_.data() + static_cast<std::size_t>(sum) * stride_; }
    double* window(int w) { return windows_.data() + static_cast<std::size_t>(w) * stride_; }
    double* squares() { return squares_.data(); }
    // start(), then reach(bar) before adding each bar's daily P&L to the
    // active() running sums (bars 1 .. n-1 in order), then finish(): as
    // LaneWindowSums steps through the plan.
    void start() {
        std::fill(windows_.begin(), windows_.end(), 0.0);
        std::fill(squares_.begin(), squares_.end(), 0.0);
        steps_.restart();
    }
    void reach(int bar) {
        steps_.reach(bar, [&](const WindowPlan::Boundary& b) { cross(b); });
    }
    void finish() { reach(INT_MAX); }
    // The next bar where the running sums change (INT_MAX after the last).
    int nextBoundary() const { return steps_.nextBoundary(); }
    std::span<const int> active() const { return steps_.active(); }

    // Writes one trial, with its parameters and final return, into the ledger's slot.
    void record(TrialLedger& ledger, std::size_t slot, int trial, const TrialParameters& parameters,
                double finalReturn) const {
        double* sums = ledger.windowSumsOf(slot);
        for (int w = 0; w < plan_->windowCount; ++w) sums[w] = windows_[static_cast<std::size_t>(w) * stride_ + trial];
        ledger.record(slot, parameters, finalReturn, squares_[static_cast<std::size_t>(trial)]);
    }

private:
    void cross(const WindowPlan::Boundary& b) {
        for (const int r : b.starting) std::fill_n(running(r), trials_, 0.0);
        for (const int w : b.ending) std::copy_n(running(plan_->runningSumOf[w]), trials_, window(w));
    }

    const WindowPlan* plan_;
    PlanSteps steps_;
    int trials_;
    bool withSquares_;
    std::size_t stride_;
    std::vector<double> running_;  // [running sum][trial]
    std::vector<double> windows_;  // [window][trial]
    std::vector<double> squares_;
};

// A search's side of its ledger: asks it for one slot per grid point, gives
// each worker its window sums, and hands the ledger back filled (or marked
// incomplete after a cancel). Records nothing when the search has no ledger.
class SearchRecording {
public:
    SearchRecording(TrialLedger* ledger, int n, std::size_t slotCount)
        : ledger_(ledger), on_(ledger != nullptr && ledger->begin(n, slotCount)),
          plan_(on_ ? ledger->windows() : std::vector<BarWindow>{}, n) {}

    bool on() const { return on_; }
    TrialLedger& ledger() const { return *ledger_; }
    template <int Channels>
    std::optional<LaneWindowSums<Channels>> windowSums() const {
        if (!on_) return std::nullopt;
        return LaneWindowSums<Channels>(plan_, ledger_->hasSumsOfSquares());
    }
    std::optional<TrialWindowSums> trialWindowSums(int trials) const {
        if (!on_) return std::nullopt;
        return TrialWindowSums(plan_, trials, ledger_->hasSumsOfSquares());
    }
    void finish(bool searchCompleted) const {
        if (ledger_ != nullptr) ledger_->finish(searchCompleted);
    }

private:
    TrialLedger* ledger_;
    bool on_;
    WindowPlan plan_;
};

}  // namespace varkel
