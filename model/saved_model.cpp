#include "model/saved_model.h"

#include "model/apply_operations.h"

namespace varkel {

bool applyLayer(ProductRegistry& registry, std::string_view name, const Layer& layer, bool asFilter) {
    const auto& spans = layer.p.spans;
    const double setting = layer.p.setting;
    switch (layer.kind) {
        case StudyKind::Macd:
            if (asFilter) return false;
            applyMacd(registry, name, spans[0], spans[1], spans[2], 0.0);
            return true;
        case StudyKind::Stochastics:
            if (asFilter) return false;
            applyStochastics(registry, name, spans[0], spans[1], spans[2], 0.0);
            return true;
        case StudyKind::KeltnerChannels:
            if (asFilter) return false;
            applyKeltner(registry, name, spans[0], spans[1], setting);
            return true;
        case StudyKind::TimeSeriesCorrelation: applyTsc(registry, name, spans[0], setting, asFilter); return true;
        case StudyKind::LinearRegression: applyLreg(registry, name, spans[0], setting, asFilter); return true;
        case StudyKind::RateOfChange:
            if (!asFilter) return false;
            applyRoc(registry, name, spans[0], setting);
            return true;
        case StudyKind::NormalDistribution:
            if (!asFilter) return false;
            applyNdist(registry, name, spans[0], setting);
            return true;
        default: return false;
    }
}

bool applySavedModel(ProductRegistry& registry, std::string_view name, const TradeModel& model) {
    if (!applyLayer(registry, name, model.layers[0], false)) return false;
    // A filter place holding a study that is no filter (or no index) applies nothing.
    applyLayer(registry, name, model.layers[1], true);
    applyLayer(registry, name, model.layers[2], true);
    return true;
}

}  // namespace varkel
