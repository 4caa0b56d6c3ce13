#pragma once

#include "base/bar_window.h"
#include "base/column_allocator.h"
#include "model/layer.h"

#include <cstddef>
#include <array>
#include <cstdint>
#include <vector>

namespace varkel {

// A trial's parameters are a layer's (spans, then the setting); a search
// fills the places its study uses.
using TrialParameters = LayerParameters;

// What a layer search records of every trial it tries, beside its own result:
// the trial's parameters, its final return, the sums of its daily P&L over
// caller-given bar windows (each summed in bar order from 0.0, as a back-test
// of the trial alone adds them up, so windows may overlap) and, when asked,
// the sum of its squared daily P&L over bars 1 .. N-1. Rows come in the grid
// order of a one-trial-at-a-time search; trials the search skips have no row.
//
// Plain columns of numbers, no object per trial: 810,000 Keltner trials with
// ten windows and the squares take about 100 MB.
class TrialLedger {
public:
    // The most memory one ledger may take. A walk-forward with a short test
    // window has a window per fold: 4,600 folds of the MACD grid would want
    // about 19 GB. Such a ledger is refused (overBudget) rather than left to
    // fail the machine.
    static constexpr std::size_t maxBytes = std::size_t{1} << 30;

    explicit TrialLedger(std::vector<BarWindow> windows, bool withSumsOfSquares = false);

    // Whether the last begin() was refused because its columns would take
    // more than maxBytes, and how many bytes they would have taken.
    bool overBudget() const { return bytesWanted_ > maxBytes; }
    std::size_t bytesWanted() const { return bytesWanted_; }

    // True once a search has filled the ledger; false before, after a
    // cancelled search, or when a window does not lie within the history.
    bool complete() const { return complete_; }
    std::size_t rowCount() const { return rows_; }
    const std::vector<BarWindow>& windows() const { return windows_; }
    int windowCount() const { return static_cast<int>(windows_.size()); }
    bool hasSumsOfSquares() const { return withSquares_; }

    TrialParameters parameters(std::size_t row) const { return {spans_[row], settings_[row]}; }
    double finalReturn(std::size_t row) const { return returns_[row]; }
    double windowSum(std::size_t row, int window) const { return sums_[row * windows_.size() + window]; }
    // 0.0 unless the ledger was asked for the squares.
    double sumOfSquares(std::size_t row) const { return withSquares_ ? squares_[row] : 0.0; }

    // The same columns as plain arrays of rowCount() entries (windowCount()
    // per row for the window sums, row after row), for statistics that walk
    // every trial. sumsOfSquares() is null unless the ledger was asked for them.
    const double* finalReturns() const { return returns_.data(); }
    const double* windowSumRows() const { return sums_.data(); }
    const double* sumsOfSquares() const { return withSquares_ ? squares_.data() : nullptr; }
    // The memory the columns hold.
    std::size_t bytes() const;

    // For the searches. begin() makes one slot per point of the grid, in grid
    // order (refusing windows outside bars 0 .. historyLength); workers fill
    // distinct slots without locks; finish() drops the slots of trials not
    // tried, keeping the order. begin() records nothing, and says no, when the
    // slots would take more than maxBytes.
    bool begin(int historyLength, std::size_t slotCount);
    void record(std::size_t slot, const TrialParameters& parameters, double finalReturn, double sumOfSquares);
    double* windowSumsOf(std::size_t slot) { return sums_.data() + slot * windows_.size(); }
    void finish(bool searchCompleted);
    bool recording() const { return recording_; }

private:
    // Grown without zeroing (ColumnAllocator): begin() leaves every slot to
    // the worker that records it, and finish() drops those nobody recorded.
    template <class T>
    using Column = std::vector<T, ColumnAllocator<T>>;

    std::vector<BarWindow> windows_;
    bool withSquares_;
    bool complete_ = false;
    bool recording_ = false;
    std::size_t rows_ = 0;
    std::size_t bytesWanted_ = 0;
    Column<std::array<std::int32_t, 3>> spans_;  // the parameters, a column for the spans
    Column<double> settings_;                    // and one for the setting
    Column<double> returns_;
    Column<double> sums_;  // [row][window]
    Column<double> squares_;
    std::vector<std::uint8_t> tried_;  // per slot while a search runs
};

}  // namespace varkel
