#include "model/layer.h"

#include "studies/study_catalogue.h"

#include <algorithm>

namespace varkel {

int layerSpanCount(StudyKind kind) {
    const StudyInfo* study = findStudy(kind);
    if (study == nullptr || study->builderParameters.empty()) return 0;
    return static_cast<int>(std::min<std::size_t>(study->spans.size(), 3));
}

bool layerHasSetting(StudyKind kind) {
    const StudyInfo* study = findStudy(kind);
    return study != nullptr && study->builderParameters.size() > static_cast<std::size_t>(layerSpanCount(kind));
}

Layer chosenLayer(StudyKind kind, const std::optional<LayerParameters>& chosen) {
    const LayerParameters values = chosen.value_or(LayerParameters{{nothingChosenSpan, nothingChosenSpan, nothingChosenSpan}, nothingChosenSetting});
    Layer layer{kind, {}};
    const int spans = layerSpanCount(kind);
    for (int i = 0; i < spans; ++i) layer.p.spans[i] = values.spans[i];
    if (layerHasSetting(kind)) layer.p.setting = values.setting;
    return layer;
}

static_assert(nothingChosenSpan == nothingChosenSetting, "a span and a setting say \"nothing chosen\" alike");

bool Layer::nothingChosen() const {
    const std::vector<double> values = layerValues(*this);
    return !values.empty() &&
           std::all_of(values.begin(), values.end(), [](double value) { return value == nothingChosenSetting; });
}

std::vector<double> layerValues(const Layer& layer) {
    std::vector<double> values;
    const int spans = layerSpanCount(layer.kind);
    for (int i = 0; i < spans; ++i) values.push_back(layer.p.spans[i]);
    if (layerHasSetting(layer.kind)) values.push_back(layer.p.setting);
    return values;
}

}  // namespace varkel
