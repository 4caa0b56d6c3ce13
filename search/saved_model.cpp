#include "search/saved_model.h"

#include "search/search_kinds.h"

namespace varkel {

bool applyLayer(ProductRegistry& registry, std::string_view name, const Layer& layer, bool asFilter) {
    const SearchKind* row = findSearchKind(layer.kind, asFilter);
    if (row == nullptr) return false;
    row->apply(registry, name, layer.p, asFilter);
    return true;
}

bool applySavedModel(ProductRegistry& registry, std::string_view name, const TradeModel& model) {
    if (!applyLayer(registry, name, model.layers[0], false)) return false;
    // A filter place holding a study that is no filter (or no index) applies nothing.
    applyLayer(registry, name, model.layers[1], true);
    applyLayer(registry, name, model.layers[2], true);
    return true;
}

}  // namespace varkel
