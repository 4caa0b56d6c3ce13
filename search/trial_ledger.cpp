#include "search/trial_ledger.h"

#include <algorithm>
#include <cstdint>

namespace varkel {

TrialLedger::TrialLedger(std::vector<BarWindow> windows, bool withSumsOfSquares)
    : windows_(std::move(windows)), withSquares_(withSumsOfSquares) {}

bool TrialLedger::begin(int historyLength, std::size_t slotCount) {
    complete_ = false;
    rows_ = 0;
    recording_ = std::all_of(windows_.begin(), windows_.end(), [historyLength](const BarWindow& w) {
        return w.from >= 0 && w.from <= w.to && w.to <= historyLength;
    });
    const std::size_t slotBytes = sizeof(spans_[0]) + sizeof(double) + sizeof(double) * (1 + windows_.size() + (withSquares_ ? 1 : 0)) +
                                  sizeof(std::uint8_t);
    bytesWanted_ = slotCount > SIZE_MAX / slotBytes ? SIZE_MAX : slotCount * slotBytes;
    if (overBudget()) recording_ = false;
    const std::size_t slots = recording_ ? slotCount : 0;
    // Emptied first, so that growing copies no old rows; the new slots keep
    // whatever the memory holds until recorded.
    const auto regrow = [](auto& column, std::size_t size) {
        column.clear();
        column.resize(size);
    };
    regrow(spans_, slots);
    regrow(settings_, slots);
    regrow(returns_, slots);
    regrow(sums_, slots * windows_.size());
    regrow(squares_, withSquares_ ? slots : 0);
    tried_.assign(slots, 0);
    return recording_;
}

void TrialLedger::record(std::size_t slot, const TrialParameters& parameters, double finalReturn,
                         double sumOfSquares) {
    spans_[slot] = parameters.spans;
    settings_[slot] = parameters.setting;
    returns_[slot] = finalReturn;
    if (withSquares_) squares_[slot] = sumOfSquares;
    tried_[slot] = 1;
}

std::size_t TrialLedger::bytes() const {
    return spans_.capacity() * sizeof(spans_[0]) +
           (settings_.capacity() + returns_.capacity() + sums_.capacity() + squares_.capacity()) * sizeof(double) +
           tried_.capacity();
}

void TrialLedger::finish(bool searchCompleted) {
    const std::size_t width = windows_.size();
    std::size_t row = 0;
    if (recording_ && searchCompleted) {
        for (std::size_t slot = 0; slot < tried_.size(); ++slot) {
            if (!tried_[slot]) continue;
            if (row != slot) {
                spans_[row] = spans_[slot];
                settings_[row] = settings_[slot];
                returns_[row] = returns_[slot];
                std::copy_n(sums_.begin() + slot * width, width, sums_.begin() + row * width);
                if (withSquares_) squares_[row] = squares_[slot];
            }
            ++row;
        }
    }
    rows_ = row;
    spans_.resize(row);
    settings_.resize(row);
    returns_.resize(row);
    sums_.resize(row * width);
    if (withSquares_) squares_.resize(row);
    // The columns keep the room of the untried slots (a few per cent of the
    // grid): shrinking would copy them and, for a moment, double the memory.
    tried_.clear();
    tried_.shrink_to_fit();
    complete_ = recording_ && searchCompleted;
    recording_ = false;
}

}  // namespace varkel
