#include "report/walk_forward_texts.h"

#include "data/formatted_text.h"
#include "model/trial_ledger.h"
#include "studies/study_catalogue.h"

#include <cstdio>

namespace varkel {

std::string thresholdText(double value) { return formattedText("@%.4g", value); }

std::string foldBaseText(const TradeModel& model) {
    const StudyInfo* study = findStudy(model.baseKind);
    if (study == nullptr) return "-";
    const int spans[3] = {model.baseParam1, model.baseParam2, model.baseParam3};
    std::string text;
    for (std::size_t i = 0; i < study->spans.size() && i < 3; ++i) text += (i > 0 ? "/" : "") + formattedText("%d", spans[i]);
    if (study->builderParameters.size() > study->spans.size()) text += " " + thresholdText(model.baseThreshold);
    return text;
}

std::string foldFilterText(StudyKind kind, int span, double value) {
    if (kind == StudyKind::NotInUse) return "-";
    return formattedText("%d ", span) + thresholdText(value);
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
        text += formattedText("%d,%d,%d,%d,%.17g,%d,%d,%.17g,%d,%d,%.17g,%.17g,%.17g,", static_cast<int>(m.baseKind),
                       m.baseParam1, m.baseParam2, m.baseParam3, m.baseThreshold, static_cast<int>(m.secondKind),
                       m.secondSpan, m.secondThreshold, static_cast<int>(m.thirdKind), m.thirdSpan, m.thirdThreshold,
                       fold.inSampleReturn, fold.outOfSampleReturn);
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
