#include "report/build_texts.h"

#include "base/formatted_text.h"
#include "base/formatted_text.h"
#include "report/measure_text.h"
#include "studies/study_catalogue.h"

#include <vector>

namespace varkel {

std::string layerReturnText(double bestReturn) { return formattedText("Return = %10.4f", bestReturn); }

std::string buildMeasureText(double value, int tradeCount) { return measureText("%10.4f", value, tradeCount); }

std::string layerParameterText(const Layer& layer) {
    const StudyInfo* study = findStudy(layer.kind);
    if (study == nullptr) return {};
    const std::vector<double> values = layerValues(layer);
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += formattedText("%s%s %g", i == 0 ? "" : ", ", study->builderParameters[i], values[i]);
    return text;
}

}  // namespace varkel
