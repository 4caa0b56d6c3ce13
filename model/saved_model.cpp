#include "model/saved_model.h"

#include "model/apply_operations.h"

namespace varkel {

namespace {

bool applyBase(ProductRegistry& registry, std::string_view name, const TradeModel& model) {
    switch (model.baseKind) {
        case StudyKind::Macd:
            applyMacd(registry, name, model.baseParam1, model.baseParam2, model.baseParam3, 0.0);
            return true;
        case StudyKind::TimeSeriesCorrelation:
            applyTsc(registry, name, model.baseParam1, model.baseThreshold, false);
            return true;
        case StudyKind::LinearRegression:
            applyLreg(registry, name, model.baseParam1, model.baseThreshold, false);
            return true;
        case StudyKind::Stochastics:
            applyStochastics(registry, name, model.baseParam1, model.baseParam2, model.baseParam3,
                             0.0);
            return true;
        case StudyKind::KeltnerChannels:
            applyKeltner(registry, name, model.baseParam1, model.baseParam2, model.baseThreshold);
            return true;
        default:
            return false;
    }
}

// A kind that is not a filter study (a model without this index) applies nothing.
void applyFilter(ProductRegistry& registry, std::string_view name, StudyKind kind, int span,
                 double threshold) {
    switch (kind) {
        case StudyKind::TimeSeriesCorrelation: applyTsc(registry, name, span, threshold, true); break;
        case StudyKind::RateOfChange: applyRoc(registry, name, span, threshold); break;
        case StudyKind::LinearRegression: applyLreg(registry, name, span, threshold, true); break;
        case StudyKind::NormalDistribution: applyNdist(registry, name, span, threshold); break;
        default: break;
    }
}

}  // namespace

bool applySavedModel(ProductRegistry& registry, std::string_view name, const TradeModel& model) {
    if (!applyBase(registry, name, model)) return false;
    applyFilter(registry, name, model.secondKind, model.secondSpan, model.secondThreshold);
    applyFilter(registry, name, model.thirdKind, model.thirdSpan, model.thirdThreshold);
    return true;
}

}  // namespace varkel
