#include "report/robustness_texts.h"

#include "robustness/robustness_verdict.h"

#include <cmath>
#include <cstdio>

namespace varkel {

namespace {

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};

// "%.4f" of a figure, "n/a" for one that does not exist (NaN).
std::string figure(double value) {
    if (!std::isfinite(value)) return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::string layerLine(const char* name, const PboResult& pbo) {
    char label[16];
    std::snprintf(label, sizeof label, "%-10s", name);
    std::string line = std::string(label) + " PBO " + (pbo.valid ? figure(pbo.pbo) : "n/a");
    line += "  (S = " + std::to_string(pbo.blockCount) + ", " + std::to_string(pbo.splitCount) + " ways, " +
            withThousandsSeparators(pbo.trialCount) + " trials)";
    if (!pbo.valid) return line + "  history too short for the blocks";
    return line + "  median logit " + figure(pbo.medianLogit) + "  P(OOS loss) " +
           figure(pbo.outOfSampleLossProbability) + "  degradation slope " + figure(pbo.degradationSlope);
}

}  // namespace

std::vector<std::string> robustnessLines(const BuildRobustness& robustness) {
    std::vector<std::string> lines;
    if (!robustness.computed) return lines;
    lines.push_back("Robustness");
    for (std::size_t layer = 0; layer < robustness.layers.size(); ++layer)
        if (const auto& pbo = robustness.layers[layer]) lines.push_back(layerLine(layerNames[layer], *pbo));
    const double nan = std::nan("");
    const DeflatedSharpe* sharpe = robustness.sharpe ? &*robustness.sharpe : nullptr;
    lines.push_back("SR per bar " + figure(sharpe ? sharpe->moments.sharpe : nan) + "  annualised " +
                    figure(sharpe ? sharpe->annualisedSharpe : nan) + "  SR0 " +
                    figure(sharpe ? sharpe->benchmark : nan) + "  DSR " + figure(robustness.deflatedSharpe()) +
                    "  PSR " + figure(sharpe ? sharpe->probabilistic : nan) + "  (K = " +
                    withThousandsSeparators(robustness.trials) + " trials)");
    lines.push_back(robustnessSentence(robustness.trials, robustness.layerPbos(), robustness.deflatedSharpe()));
    return lines;
}

}  // namespace varkel
