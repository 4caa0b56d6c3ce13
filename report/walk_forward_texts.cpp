#include "report/walk_forward_texts.h"

#include "base/formatted_text.h"
#include "model/trade_model_file.h"
#include "data/price_check.h"
#include "report/flagged_return.h"
#include "studies/study_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <span>

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

std::string walkForwardVerdict(const WalkForwardReport& report) {
    const WalkForwardTotals& totals = report.totals;
    return formattedText("Out of sample: net %.2f over %d fold%s, %d of %d profitable (%.0f %%), efficiency ",
                         totals.netProfit, totals.folds, totals.folds == 1 ? "" : "s", totals.profitableFolds,
                         totals.folds, 100.0 * totals.profitableFoldShare()) +
           optionalText(totals.efficiency, "%.2f") +
           formattedText("; the whole-history build earns %.2f on the same bars, in sample.",
                         report.wholeHistoryTestReturn);
}

std::string cutTestWindowText(const WalkForwardReport& report, int testBars) {
    if (report.folds.empty()) return {};
    const int tested = report.folds.back().bars.testLength();
    if (tested >= testBars) return {};
    return formattedText("The %s fold tests only %d bar%s, not the %d asked: the history ends there.",
                         report.folds.size() == 1 ? "single" : "last", tested, tested == 1 ? "" : "s", testBars);
}

std::string parameterColumnKey(const WalkForwardReport& report) {
    if (report.folds.empty()) return {};
    const TradeModel& model = report.folds.front().model;
    std::string key;
    const auto add = [&key](const char* layer, StudyKind kind, bool filter) {
        const StudyInfo* study = findStudy(kind);
        if (study == nullptr || study->builderParameters.empty()) return;
        std::string names;
        if (filter) {
            names = std::string(study->builderParameters[0]) + " @" + study->builderParameters[1];
        } else {
            for (std::size_t i = 0; i < study->spans.size(); ++i)
                names += (i > 0 ? "/" : "") + std::string(study->builderParameters[i]);
            if (study->builderParameters.size() > study->spans.size())
                names += std::string(" @") + study->builderParameters.back();
        }
        key += (key.empty() ? "" : "; ") + std::string(layer) + " " + study->name + ": " + names;
    };
    add("Base", model.layers[0].kind, false);
    add("2nd", model.layers[1].kind, true);
    add("3rd", model.layers[2].kind, true);
    return key;
}

std::string walkForwardDataQualityNote(const WalkForwardReport& report, const Product& product,
                                       const std::string& pricePath) {
    const std::size_t tested = report.wholeHistoryDaily.size();
    const auto history = static_cast<std::size_t>(std::max(product.historyLength(), 0));
    if (tested > history) return {};
    const std::span<const Bar> bars = std::span(product.bars).subspan(history - tested, tested);
    return dataQualityNote(checkPriceFile(pricePath, product.name), bars, report.wholeHistoryDaily);
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
        // Thresholds as the model file holds them (4.800000, not the search's
        // 4.799999999999942); the fold's figures exact.
        const auto setting = [](double value) { return modelFileRealText(value) + ","; };
        const auto number = [](double value) { return shortestText(value) + ","; };
        const Layer& base = m.layers[0];
        text += formattedText("%d,%d,%d,%d,", static_cast<int>(base.kind), base.p.spans[0], base.p.spans[1],
                              base.p.spans[2]) +
                setting(base.p.setting);
        for (const Layer& filter : {m.layers[1], m.layers[2]})
            text += formattedText("%d,%d,", static_cast<int>(filter.kind), filter.p.spans[0]) + setting(filter.p.setting);
        text += number(fold.inSampleReturn) + number(fold.outOfSampleReturn);
        const std::optional<double> efficiency = fold.efficiency();
        text += (efficiency ? shortestText(*efficiency) : std::string("n/a")) + "\n";
    }
    return text;
}

}  // namespace varkel
