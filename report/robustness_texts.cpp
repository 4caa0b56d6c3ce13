#include "report/robustness_texts.h"

#include "robustness/robustness_verdict.h"

#include <cmath>
#include <cstdio>

namespace varkel {

namespace {

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};

std::string layerLine(const char* name, const PboResult& pbo) {
    char label[16];
    std::snprintf(label, sizeof label, "%-10s", name);
    std::string line = std::string(label) + " PBO " + (pbo.valid ? robustnessFigure(pbo.pbo) : "n/a");
    line += "  (S = " + std::to_string(pbo.blockCount) + ", " + std::to_string(pbo.splitCount) + " ways, " +
            withThousandsSeparators(pbo.trialCount) + " trials)";
    if (!pbo.valid) return line + "  history too short for the blocks";
    return line + "  median logit " + robustnessFigure(pbo.medianLogit) + "  P(OOS loss) " +
           robustnessFigure(pbo.outOfSampleLossProbability) + "  degradation slope " + robustnessFigure(pbo.degradationSlope);
}

}  // namespace

std::string robustnessFigure(double value) {
    if (!std::isfinite(value)) return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::vector<std::string> robustnessLines(const BuildRobustness& robustness) {
    std::vector<std::string> lines;
    if (!robustness.computed) return lines;
    lines.push_back("Robustness");
    for (std::size_t layer = 0; layer < robustness.layers.size(); ++layer)
        if (const auto& pbo = robustness.layers[layer]) lines.push_back(layerLine(layerNames[layer], *pbo));
    const double nan = std::nan("");
    const DeflatedSharpe* sharpe = robustness.sharpe ? &*robustness.sharpe : nullptr;
    lines.push_back("SR per bar " + robustnessFigure(sharpe ? sharpe->moments.sharpe : nan) + "  annualised " +
                    robustnessFigure(sharpe ? sharpe->annualisedSharpe : nan) + "  SR0 " +
                    robustnessFigure(sharpe ? sharpe->benchmark : nan) + "  DSR " + robustnessFigure(robustness.deflatedSharpe()) +
                    "  PSR " + robustnessFigure(sharpe ? sharpe->probabilistic : nan) + "  (K = " +
                    withThousandsSeparators(robustness.trials) + " trials)");
    lines.push_back(robustnessSentence(robustness.trials, robustness.layerPbos(), robustness.deflatedSharpe(),
                                       robustness.plateau));
    return lines;
}

}  // namespace varkel
