#include "report/build_texts.h"

#include "base/formatted_text.h"
#include "report/measure_text.h"
#include "studies/study_catalogue.h"

#include <cctype>
#include <vector>

namespace varkel {

std::string layerReturnText(double bestReturn) { return formattedText("Return = %10.4f", bestReturn); }

std::string buildMeasureText(double value, int tradeCount) { return measureText("%10.4f", value, tradeCount); }

std::string layerParameterText(const Layer& layer) {
    const StudyInfo* study = findStudy(layer.kind);
    if (study == nullptr) return {};
    if (layer.nothingChosen()) return "nothing chosen (no trial beat the search's start value)";
    const std::vector<double> values = layerValues(layer);
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += formattedText("%s%s %g", i == 0 ? "" : ", ", study->builderParameters[i], values[i]);
    return text;
}

std::vector<std::string> filterCostTexts(const std::array<std::optional<double>, 3>& layerReturns,
                                         const TradeModel& model) {
    const char* const before[3] = {"", "the base alone earns more", "the layers before it alone earn more"};
    std::vector<std::string> texts;
    for (std::size_t layer = 1; layer < layerReturns.size(); ++layer) {
        const std::optional<double>& without = layerReturns[layer - 1];
        const std::optional<double>& with = layerReturns[layer];
        const StudyInfo* study = findStudy(model.layers[layer].kind);
        if (!without || !with || study == nullptr || !(*with < *without)) continue;
        std::string name = study->option;
        for (char& letter : name) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        texts.push_back(formattedText("The %s filter lowers the return from %.2f to %.2f: %s", name.c_str(), *without,
                                      *with, before[layer]));
    }
    return texts;
}

}  // namespace varkel
