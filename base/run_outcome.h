#pragma once

#include <string>
#include <string_view>

namespace varkel {

enum class RunOutcome {
    Done,       // the result holds what the run found
    Refused,    // nothing ran; refusal says why
    Cancelled,  // stopped on request; nothing kept
};

// How a run (build, walk-forward, permutation test) ended; each one's result
// derives from it and holds its findings only when done.
struct RunEnd {
    RunOutcome outcome = RunOutcome::Refused;
    std::string refusal;  // why, when refused: a text for the trader

    bool done() const { return outcome == RunOutcome::Done; }
    void refuse(std::string why) {
        outcome = RunOutcome::Refused;
        refusal = std::move(why);
    }
};

// The refusal of a run on a product the registry does not hold.
inline std::string noProductRefusal(std::string_view name) { return "No product " + std::string(name); }

}  // namespace varkel
