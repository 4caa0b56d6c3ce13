#pragma once

// The positions of many trials that differ in one sorted setting (a band
// multiplier, a threshold), bar by bar, as runs. On each bar the trials fall
// into a few stretches of equal position, bounded where the setting crosses a
// value of that bar; a whole stretch then earns one table entry per bar.

#include <algorithm>
#include <vector>

namespace varkel {

struct PositionRun {
    int first;     // the run's first trial
    int end;       // the trial past its last: the next run's first, or the trial count
    int position;  // -1, 0 or +1
};

class PositionRuns {
public:
    explicit PositionRuns(int trials) : trials_(trials), startsRun_(static_cast<std::size_t>(trials), 0) {}

    int trials() const { return trials_; }
    int bars() const { return static_cast<int>(barStart_.size()); }

    void clear() {
        runs_.clear();
        barStart_.clear();
        std::fill(startsRun_.begin(), startsRun_.end(), 0);
    }
    // Starts the next bar; its runs follow in ascending trials, the first one
    // from trial 0.
    void startBar() { barStart_.push_back(static_cast<int>(runs_.size())); }
    // A run that repeats the position before it lengthens that run instead.
    void add(int first, int position) {
        if (static_cast<int>(runs_.size()) > barStart_.back()) {
            PositionRun& last = runs_.back();
            if (last.position == position) return;
            last.end = first;
        }
        runs_.push_back({first, trials_, position});
        startsRun_[static_cast<std::size_t>(first)] = 1;
    }
    // A bar whose trials from .. to-1 hold `position` and every other trial
    // is flat: what add() would make of it, without its checks.
    void addOneRunBar(int from, int to, int position) {
        barStart_.push_back(static_cast<int>(runs_.size()));
        startsRun_[0] = 1;
        if (from >= to || position == 0) {
            runs_.push_back({0, trials_, 0});
            return;
        }
        if (from > 0) runs_.push_back({0, from, 0});
        runs_.push_back({from, to, position});
        startsRun_[static_cast<std::size_t>(from)] = 1;
        if (to == trials_) return;
        runs_.push_back({to, trials_, 0});
        startsRun_[static_cast<std::size_t>(to)] = 1;
    }
    // True when a run of some bar starts at the trial: trials between two such
    // starts hold the same position on every bar.
    bool startsRun(int trial) const { return startsRun_[static_cast<std::size_t>(trial)] != 0; }

    // The same runs over `trials` trials, trial t renumbered number[t]; the
    // numbering must keep each bar's run starts distinct and ascending, as
    // numbering the stretches between run starts does.
    PositionRuns renumbered(const std::vector<int>& number, int trials) const {
        PositionRuns result(trials);
        result.barStart_ = barStart_;
        result.runs_.reserve(runs_.size());
        for (const PositionRun& run : runs_) {
            const int first = number[static_cast<std::size_t>(run.first)];
            const int end = run.end < trials_ ? number[static_cast<std::size_t>(run.end)] : trials;
            result.runs_.push_back({first, end, run.position});
            result.startsRun_[static_cast<std::size_t>(first)] = 1;
        }
        return result;
    }

    const PositionRun* begin(int bar) const { return runs_.data() + barStart_[bar]; }
    const PositionRun* end(int bar) const {
        return runs_.data() + (bar + 1 < bars() ? barStart_[bar + 1] : static_cast<int>(runs_.size()));
    }

private:
    int trials_;
    std::vector<PositionRun> runs_;
    std::vector<int> barStart_;
    std::vector<char> startsRun_;
};

// The number of trials 0 .. count-1 for which `holds` is true, for a `holds`
// that is true on a prefix of them, searched from a `guess`: exact whatever
// the guess, quick when it is close.
template <class Holds>
int prefixLength(int count, int guess, Holds holds) {
    int at = std::clamp(guess, 0, count);
    while (at < count && holds(at)) ++at;
    while (at > 0 && !holds(at - 1)) --at;
    return at;
}

// Where a value falls among ascending settings, by interpolation: the guess
// for prefixLength, close on an evenly stepped grid.
class SettingGuess {
public:
    explicit SettingGuess(const std::vector<double>& settings)
        : first_(settings.front()), count_(static_cast<int>(settings.size())),
          scale_(static_cast<double>(count_ - 1) / (settings.back() - first_)) {}

    int operator()(double value) const {
        const double share = (value - first_) * scale_;
        if (!(share > 0.0)) return 0;  // also NaN, from a flat grid or value
        if (!(share < static_cast<double>(count_))) return count_;
        return static_cast<int>(share);
    }

private:
    double first_;
    int count_;
    double scale_;
};

// Adds one bar's runs: `bounds` (any order, repeats allowed) are the trials
// where a position may change, and positionAt(t) gives trial t's position.
template <int Count, class PositionAt>
void addRunsBetween(PositionRuns& runs, int (&bounds)[Count], PositionAt positionAt) {
    // Sorted by a network of compare-exchanges: no branch on where the bounds
    // fall, which changes from bar to bar.
    for (int b = 1; b < Count; ++b)
        for (int c = b; c > 0; --c) {
            const int low = std::min(bounds[c - 1], bounds[c]);
            bounds[c] = std::max(bounds[c - 1], bounds[c]);
            bounds[c - 1] = low;
        }
    runs.startBar();
    runs.add(0, positionAt(0));
    for (int b = 0; b < Count; ++b)
        if (bounds[b] > 0 && bounds[b] < runs.trials() && (b == 0 || bounds[b] != bounds[b - 1]))
            runs.add(bounds[b], positionAt(bounds[b]));
}

// Adds one bar's runs by reading every trial's position: for bars where the
// positions need not be monotone in the setting.
template <class PositionAt>
void addRunsOfEveryTrial(PositionRuns& runs, PositionAt positionAt) {
    runs.startBar();
    for (int t = 0; t < runs.trials(); ++t) runs.add(t, positionAt(t));
}

}  // namespace varkel
