#include "report/walk_forward_texts.h"

#include "base/formatted_text.h"
#include "search/trial_ledger.h"
#include "studies/study_catalogue.h"

#include <cstdio>

namespace varkel {

std::string thresholdText(double value) { return formattedText("@%.4g", value); }

std::string foldBaseText(const Layer& base) {
    if (findStudy(base.kind) == nullptr) return "-";
    const int spans = layerSpanCount(base.kind);
    std::string text;
    for (int i = 0; i < spans; ++i) text += (i > 0 ? "/" : "") + formattedText("%d", base.p.spans[i]);
    if (layerHasSetting(base.kind)) text += " " + thresholdText(base.p.setting);
    return text;
}

std::string foldFilterText(const Layer& filter) {
    if (!filter.inUse()) return "-";
    return formattedText("%d ", filter.p.spans[0]) + thresholdText(filter.p.setting);
}

std::string optionalText(const std::optional<double>& value, const char* pattern) {
    return value ? formattedText(pattern, *value) : std::string("n/a");
}

std::string walkForwardCsv(const WalkForwardReport& report, const Product& product) {
    std::string text =
        "fold,trainFrom,trainTo,testFrom,testTo,baseKind,baseParam1,baseParam2,baseParam3,baseThreshold,"
        "secondKind,secondSpan,secondThreshold,thirdKind,thirdSpan,thirdThreshold,inSampleReturn,"
        "outOfSampleReturn,efficiency\n";
    for (std::size_t k = 0; k < report.folds.size(); ++k) {
        const FoldResult& fold = report.folds[k];
        const TradeModel& m = fold.model;
        const Fold& bars = fold.bars;
        text += formattedText("%zu,%s,%s,%s,%s,", k + 1, product.bars[bars.trainFrom].dateText.c_str(),
                       product.bars[bars.trainTo - 1].dateText.c_str(), product.bars[bars.testFrom].dateText.c_str(),
                       product.bars[bars.testTo - 1].dateText.c_str());
        const Layer& base = m.layers[0];
        text += formattedText("%d,%d,%d,%d,%.17g,", static_cast<int>(base.kind), base.p.spans[0], base.p.spans[1],
                              base.p.spans[2], base.p.setting);
        for (const Layer& filter : {m.layers[1], m.layers[2]})
            text += formattedText("%d,%d,%.17g,", static_cast<int>(filter.kind), filter.p.spans[0], filter.p.setting);
        text += formattedText("%.17g,%.17g,", fold.inSampleReturn, fold.outOfSampleReturn);
        text += optionalText(fold.efficiency(), "%.17g") + "\n";
    }
    return text;
}

std::string walkForwardMemoryText(const WalkForwardReport& report) {
    const auto gigabytes = [](std::size_t bytes) { return formattedText("%.1f GB", static_cast<double>(bytes) / (1 << 30)); };
    return "Not enough memory for the walk-forward: its " + std::to_string(report.plannedFolds) +
           " folds would need " + gigabytes(report.ledgerBytesWanted) +
           " to keep every base trial's train-window sums, more than the " + gigabytes(TrialLedger::maxBytes) +
           " it may take. Use a longer test window (fewer folds).";
}

}  // namespace varkel
