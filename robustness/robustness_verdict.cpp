#include "robustness/robustness_verdict.h"

#include "base/formatted_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace varkel {

namespace {

std::string twoDecimals(double value) {
    if (!std::isfinite(value)) return "n/a";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

// "PBO 0.31, DSR 0.97" with the worst (largest) layer PBO; "DSR 0.97" without layers.
std::string figuresText(const std::vector<double>& layerPbos, double dsr) {
    std::string text;
    if (!layerPbos.empty()) {
        double worst = layerPbos.front();
        for (double pbo : layerPbos) {
            if (std::isnan(pbo)) {  // a layer without a PBO is the worst
                worst = pbo;
                break;
            }
            worst = std::max(worst, pbo);
        }
        text += "PBO " + twoDecimals(worst) + ", ";
    }
    return text + "DSR " + twoDecimals(dsr);
}

}  // namespace

bool holdsUp(const std::vector<double>& layerPbos, double dsr) {
    // Written as "below" and "above" so that a missing (NaN) figure never holds up.
    return std::all_of(layerPbos.begin(), layerPbos.end(), [](double pbo) { return pbo < pboHoldsBelow; }) &&
           dsr > dsrHoldsAbove;
}

std::string robustnessSentence(std::int64_t trials, const std::vector<double>& layerPbos, double dsr,
                               bool plateau) {
    std::string sentence =
        (plateau ? "The plateau trial of " : "The best of ") + withThousandsSeparators(trials) + " trials ";
    sentence += holdsUp(layerPbos, dsr) ? "holds up: " : "is likely a fluke: ";
    sentence += figuresText(layerPbos, dsr);
    if (plateau && !layerPbos.empty()) sentence += " (the PBO ranks the best in-sample trial)";
    return sentence;
}

std::string permutationVerdictSentence(std::int64_t trials, double pValue, const std::vector<double>& layerPbos,
                                       double dsr) {
    std::string sentence = "The best of " + withThousandsSeparators(trials) + " trials ";
    sentence += pValue < permutationHoldsBelow ? "holds up: " : "is likely a fluke: ";
    return sentence + "permutation test p = " + pValueText(pValue) + " (" + figuresText(layerPbos, dsr) + ")";
}

std::string pValueText(double pValue) {
    return formattedText(pValue >= 0.1 ? "%.2f" : pValue >= 0.001 ? "%.4f" : "%.2g", pValue);
}

std::string withThousandsSeparators(std::int64_t value) {
    const bool negative = value < 0;
    const std::string digits = std::to_string(value).substr(negative ? 1 : 0);
    std::string grouped;
    const int length = static_cast<int>(digits.size());
    for (int i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0) grouped += ',';
        grouped += digits[static_cast<std::size_t>(i)];
    }
    return negative ? "-" + grouped : grouped;
}

}  // namespace varkel
