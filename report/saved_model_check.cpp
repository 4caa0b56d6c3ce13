#include "report/saved_model_check.h"

#include "data/formatted_text.h"
#include "studies/study_frame.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace varkel {

namespace {

struct SpanUse {
    std::string name;
    std::int32_t span;
    int smallest;
};

struct ThresholdUse {
    std::string name;
    double value;
    bool mayBeNegative;
};

struct ModelUses {
    std::vector<SpanUse> spans;
    std::vector<ThresholdUse> thresholds;
};

// 4666 -> "4,666" (a count, never negative)
std::string withThousands(int count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

void addBase(const TradeModel& m, ModelUses& uses) {
    switch (m.baseKind) {
        case StudyKind::Macd:
            uses.spans = {{"MACD fast span", m.baseParam1, minStudySpan},
                          {"MACD slow span", m.baseParam2, minStudySpan},
                          {"MACD signal span", m.baseParam3, minStudySpan}};
            break;
        case StudyKind::TimeSeriesCorrelation:
            uses.spans = {{"TSC span", m.baseParam1, minStudySpan}};
            uses.thresholds = {{"TSC threshold", m.baseThreshold, true}};
            break;
        case StudyKind::LinearRegression:
            uses.spans = {{"LREG span", m.baseParam1, minStudySpan}};
            uses.thresholds = {{"LREG threshold", m.baseThreshold, true}};
            break;
        case StudyKind::Stochastics:
            uses.spans = {{"stochastics %K span", m.baseParam1, minStudySpan},
                          {"stochastics %D span", m.baseParam2, minStudySpan},
                          {"stochastics slow %D span", m.baseParam3, minStudySpan}};
            break;
        case StudyKind::KeltnerChannels:
            uses.spans = {{"Keltner EMA span", m.baseParam1, minStudySpan},
                          {"Keltner ATR span", m.baseParam2, minStudySpan}};
            uses.thresholds = {{"Keltner multiplier", m.baseThreshold, false}};
            break;
        default:
            break;
    }
}

// A kind that is not a filter study means the model has no such index.
void addFilter(const char* layer, StudyKind kind, std::int32_t span, double threshold, ModelUses& uses) {
    const char* name = nullptr;
    int smallest = minStudySpan;
    switch (kind) {
        case StudyKind::TimeSeriesCorrelation: name = "TSC"; break;
        case StudyKind::RateOfChange: name = "ROC"; smallest = 1; break;
        case StudyKind::LinearRegression: name = "LREG"; break;
        case StudyKind::NormalDistribution: name = "NDIST"; break;
        default: return;
    }
    const std::string prefix = std::string(layer) + " index " + name;
    uses.spans.push_back({prefix + " span", span, smallest});
    uses.thresholds.push_back({prefix + " threshold", threshold, true});
}

}  // namespace

std::optional<std::string> savedModelFault(const TradeModel& model, const Product& product) {
    ModelUses uses;
    addBase(model, uses);
    if (uses.spans.empty()) return std::nullopt;  // no base a model is built on
    addFilter("2nd", model.secondKind, model.secondSpan, model.secondThreshold, uses);
    addFilter("3rd", model.thirdKind, model.thirdSpan, model.thirdThreshold, uses);
    const std::string subject = "The trade model's ";
    const int bars = std::max(product.historyLength(), 0);
    for (const SpanUse& use : uses.spans) {
        if (use.span < use.smallest)
            return subject + use.name + " " + std::to_string(use.span) + " is below " + std::to_string(use.smallest) +
                   ", the smallest the study accepts";
        if (use.span > bars)
            return subject + use.name + " " + std::to_string(use.span) + " exceeds the " + withThousands(bars) +
                   (bars == 1 ? " bar of " : " bars of ") + product.name;
    }
    for (const ThresholdUse& use : uses.thresholds) {
        if (!std::isfinite(use.value))
            return subject + use.name + " " + (std::isnan(use.value) ? "nan" : formattedText("%g", use.value)) +
                   " is not a finite number";
        if (!use.mayBeNegative && use.value < 0.0)
            return subject + use.name + " " + formattedText("%g", use.value) + " is negative";
    }
    return std::nullopt;
}

}  // namespace varkel
