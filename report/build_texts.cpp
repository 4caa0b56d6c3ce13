#include "report/build_texts.h"

#include "data/formatted_text.h"
#include "report/measure_text.h"
#include "studies/study_catalogue.h"

#include <vector>

namespace varkel {

std::string layerReturnText(double bestReturn) { return formattedText("Return = %10.4f", bestReturn); }

std::string buildMeasureText(double value, int tradeCount) { return measureText("%10.4f", value, tradeCount); }

std::string layerParameterText(const TradeModel& model, int layer) {
    const StudyKind kinds[3] = {model.baseKind, model.secondKind, model.thirdKind};
    if (layer < 1 || layer > 3) return {};
    const StudyInfo* study = findStudy(kinds[layer - 1]);
    if (study == nullptr || study->builderParameters.empty()) return {};
    // The values in the order the model stores them: spans, then one real value.
    std::vector<double> values;
    if (layer == 1) {
        const double spans[3] = {double(model.baseParam1), double(model.baseParam2), double(model.baseParam3)};
        values.assign(spans, spans + study->spans.size());
        values.push_back(model.baseThreshold);
    } else {
        values = layer == 2 ? std::vector<double>{double(model.secondSpan), model.secondThreshold}
                            : std::vector<double>{double(model.thirdSpan), model.thirdThreshold};
    }
    std::string text;
    for (std::size_t i = 0; i < study->builderParameters.size() && i < values.size(); ++i)
        text += formattedText("%s%s %g", i == 0 ? "" : ", ", study->builderParameters[i], values[i]);
    return text;
}

}  // namespace varkel
