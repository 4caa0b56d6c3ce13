#include "report/saved_model_check.h"

#include "base/formatted_text.h"
#include "studies/study_catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace varkel {

namespace {

// 4666 -> "4,666" (a count, never negative)
std::string withThousands(int count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

// One index of a model: the study, the spans and the real value it stores.
struct IndexUse {
    std::string layer;  // "" for the base, "2nd index " and "3rd index " for the filters
    const StudyInfo* study;
    std::array<std::int32_t, 3> spans;
    double real;  // the rule's threshold, or the study's setting (the Keltner multiplier)
};

std::optional<std::string> indexFault(const IndexUse& use, const Product& product) {
    const std::string subject = "The trade model's " + use.layer + use.study->name + " ";
    const int bars = std::max(product.historyLength(), 0);
    for (std::size_t i = 0; i < use.study->spans.size(); ++i) {
        const SpanParameter& parameter = use.study->spans[i];
        const std::string name = subject + (parameter.name == std::string_view("span") ? "" : parameter.name + std::string(" ")) +
                                 "span " + std::to_string(use.spans[i]);
        if (use.spans[i] < parameter.smallest)
            return name + " is below " + std::to_string(parameter.smallest) + ", the smallest the study accepts";
        if (use.spans[i] > bars)
            return name + " exceeds the " + withThousands(bars) + (bars == 1 ? " bar of " : " bars of ") + product.name;
    }
    // Only the studies whose builder parameters go beyond their spans read the real value.
    if (use.study->builderParameters.size() <= use.study->spans.size()) return std::nullopt;
    const std::string name = subject + use.study->builderParameters.back() + " ";
    if (!std::isfinite(use.real))
        return name + (std::isnan(use.real) ? "nan" : formattedText("%g", use.real)) + " is not a finite number";
    // A study's own setting (the band multiplier) cannot be negative; a rule's threshold can.
    if (!use.study->settings.empty() && use.real < 0.0) return name + formattedText("%g", use.real) + " is negative";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> savedModelFault(const TradeModel& model, const Product& product) {
    const Layer& baseLayer = model.layers[0];
    const StudyInfo* base = findStudy(baseLayer.kind);
    if (base == nullptr || !base->canBeBase()) return std::nullopt;  // no base a model is built on
    const auto& spans = baseLayer.p.spans;
    std::vector<IndexUse> uses{{"", base, {spans[0], spans[1], spans[2]}, baseLayer.p.setting}};
    // A kind that is no filter study means the model has no such index.
    const auto addFilter = [&uses](const char* subject, const Layer& filter) {
        const StudyInfo* study = findStudy(filter.kind);
        if (study != nullptr && study->canBeFilter())
            uses.push_back({subject, study, {filter.p.spans[0], -1, -1}, filter.p.setting});
    };
    addFilter("2nd index ", model.layers[1]);
    addFilter("3rd index ", model.layers[2]);
    for (const IndexUse& use : uses)
        if (auto fault = indexFault(use, product)) return fault;
    return std::nullopt;
}

std::string noTradeModelMessage(std::string_view productName) {
    return "No trade model for " + std::string(productName) + ": build one first";
}

}  // namespace varkel
