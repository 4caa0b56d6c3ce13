#include "report/build_texts.h"

#include "data/formatted_text.h"

namespace varkel {

std::string layerReturnText(double bestReturn) { return formattedText("Return = %10.4f", bestReturn); }

std::string buildMeasureText(double value) { return formattedText("%10.4f", value); }

}  // namespace varkel
