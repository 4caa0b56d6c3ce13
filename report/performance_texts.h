#pragma once

#include "model/trade_model.h"

#include <array>
#include <string>
#include <string_view>

namespace varkel {

// One read-out of the performance viewer: the id of its control, the caption
// beside it (or, where the window shows none, what it holds) and its text.
struct PerformanceText {
    int controlId = 0;
    std::string_view label;
    std::string text;
};

// The viewer's twenty-two read-outs in reading order: the product, the eight
// figures, then the base, second and third index with their parameter lines.
struct PerformanceTexts {
    std::array<PerformanceText, 22> entries;

    // The text of a control; empty for an id the viewer does not have.
    const std::string& text(int controlId) const;
};

// What the performance viewer shows for a product's saved model. A kind that is
// not a study of its role reads "N/A" with empty parameter lines.
PerformanceTexts performanceTexts(std::string_view productName, const TradeModel& model);

}  // namespace varkel
