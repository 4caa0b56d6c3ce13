#pragma once

namespace varkel {

// The bars [from, to) of a history, by bar index.
struct BarWindow {
    int from = 0;
    int to = 0;
    bool operator==(const BarWindow&) const = default;
};

}  // namespace varkel
