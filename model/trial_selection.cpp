#include "model/trial_selection.h"

namespace varkel {

namespace {

std::optional<std::size_t> firstStrictlyBest(const TrialLedger& ledger, int window) {
    std::optional<std::size_t> chosen;
    double best = -999999.0;
    for (std::size_t row = 0; row < ledger.rowCount(); ++row) {
        const double sum = ledger.windowSum(row, window);
        if (sum > best) {
            best = sum;
            chosen = row;
        }
    }
    return chosen;
}

}  // namespace

std::optional<std::size_t> selectTrial(const TrialLedger& ledger, int window, SelectionRule rule) {
    switch (rule) {
        case SelectionRule::FirstStrictlyBest: return firstStrictlyBest(ledger, window);
    }
    return std::nullopt;
}

}  // namespace varkel
