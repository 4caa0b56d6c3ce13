#include "report/permutation_texts.h"

#include "base/formatted_text.h"
#include "robustness/robustness_verdict.h"

namespace varkel {

namespace {

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};

std::string timesText(std::int64_t count) {
    if (count == 0) return "never found a model at least as good";
    if (count == 1) return "found a model at least as good once";
    return "found a model at least as good " + std::to_string(count) + " times";
}

}  // namespace

std::string permutationSentence(const PermutationSummary& whole) {
    std::string sentence = "On " + std::to_string(whole.permutations) + " histories with " + shuffleDescription +
                           ", the search " + timesText(whole.atLeastAsGood) + ": p = " + pValueText(whole.pValue) +
                           ". ";
    if (whole.pValue < permutationHoldsBelow) return sentence + "This model holds up against noise.";
    return sentence + "The test could not tell this model from noise. " + notFromNoiseText(whole);
}

std::string permutationReportText(const PermutationReport& report, const std::string& title) {
    std::string text = title + "\n";
    text += formattedText("%lld permutations, seed %llu\n", static_cast<long long>(report.permutations),
                          static_cast<unsigned long long>(report.seed));
    text += formattedText("%-10s %14s %8s %16s %14s %14s %14s %14s\n", "Layer", "Real return", "p-value", "Rank",
                          "Mean", "5 %", "Median", "95 %");
    for (std::size_t layer = 0; layer < report.layers.size(); ++layer) {
        if (!report.layers[layer]) continue;
        const PermutationSummary& s = *report.layers[layer];
        const std::string rank = std::to_string(s.rank) + " of " + std::to_string(s.permutations + 1);
        text += formattedText("%-10s %14.4f %8.4f %16s %14.4f %14.4f %14.4f %14.4f\n", layerNames[layer], s.real,
                              s.pValue, rank.c_str(), s.mean, s.quantile5, s.median, s.quantile95);
    }
    return text + permutationSentence(report.wholeBuild()) + "\n";
}

std::string permutationCsv(const LayersInUse& layers, const std::vector<PermutationRow>& rows) {
    std::string text = "Permutation";
    for (std::size_t layer = 0; layer < layers.size(); ++layer)
        if (layers[layer]) text += std::string(",") + layerNames[layer];
    text += "\n";
    for (const PermutationRow& row : rows) {
        text += std::to_string(row.index);
        for (std::size_t layer = 0; layer < layers.size(); ++layer)
            if (layers[layer]) text += "," + shortestText(row.returns[layer]);
        text += "\n";
    }
    return text;
}

}  // namespace varkel
