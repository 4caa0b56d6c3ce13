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

// "The best of 486,910 trials" or "The plateau trial of 486,910 trials".
std::string trialsText(std::int64_t trials, bool plateau) {
    return (plateau ? "The plateau trial of " : "The best of ") + withThousandsSeparators(trials) + " trials";
}

const char* const plateauRanking = "the PBO ranks the best in-sample trial";

}  // namespace

bool holdsUp(const std::vector<double>& layerPbos, double dsr) {
    // Written as "below" and "above" so that a missing (NaN) figure never holds up.
    return std::all_of(layerPbos.begin(), layerPbos.end(), [](double pbo) { return pbo < pboHoldsBelow; }) &&
           dsr > dsrHoldsAbove;
}

std::string robustnessSentence(std::int64_t trials, const std::vector<double>& layerPbos, double dsr,
                               bool plateau) {
    std::string sentence = trialsText(trials, plateau);
    sentence += holdsUp(layerPbos, dsr) ? " holds up: " : " is likely a fluke: ";
    sentence += figuresText(layerPbos, dsr);
    if (plateau && !layerPbos.empty()) sentence += std::string(" (") + plateauRanking + ")";
    return sentence;
}

std::string notFromNoiseText(const PermutationSummary& whole) {
    if (whole.pValue < permutationHoldsBelow) return {};
    // p is at least 1 / (P + 1): below 0.05 only from 20 histories on.
    if (1.0 / static_cast<double>(whole.permutations + 1) >= permutationHoldsBelow)
        return "With " + std::to_string(whole.permutations) +
               " shuffled histories no build can reach p below 0.05: the test needs at least 20.";
    if (whole.real > whole.quantile95)
        return formattedText("This build earned %.2f, more than the 95 %% quantile of the shuffled histories (%.2f), "
                             "but %lld of them did at least as well: more shuffled histories would tell.",
                             whole.real, whole.quantile95, static_cast<long long>(whole.atLeastAsGood));
    return formattedText("To stand out from noise this build needed more than %.2f (the 95 %% quantile of the "
                         "shuffled histories); it earned %.2f.",
                         whole.quantile95, whole.real);
}

std::string permutationVerdictSentence(std::int64_t trials, const PermutationSummary& whole,
                                       const std::vector<double>& layerPbos, double dsr, bool plateau) {
    const std::string figures = " (" + figuresText(layerPbos, dsr) +
                                (plateau && !layerPbos.empty() ? std::string("; ") + plateauRanking : "") + ")";
    if (whole.pValue < permutationHoldsBelow)
        return trialsText(trials, plateau) + " holds up against noise: permutation test p = " +
               pValueText(whole.pValue) + figures;
    std::string subject = trialsText(trials, plateau);
    subject[0] = 't';  // "the best of ..." inside the sentence
    return "The permutation test could not tell " + subject + " from noise: p = " + pValueText(whole.pValue) +
           figures + ". " + notFromNoiseText(whole);
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
