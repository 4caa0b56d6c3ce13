#include "cli/walkforward_text.h"

#include "cli/index_options.h"
#include "studies/study_catalogue.h"

#include <cstdarg>
#include <cstdio>

namespace varkel::cli {

namespace {

std::string format(const char* pattern, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(text, sizeof text, pattern, arguments);
    va_end(arguments);
    return text;
}

std::string dates(const Product& product, int from, int to) {
    return product.bars[from].dateText + ".." + product.bars[to - 1].dateText;
}

std::string threshold(double value) { return format("@%.4g", value); }

// The base spans joined by "/", then its real-valued parameter (threshold,
// multiplier) when the study has one: "12/26/9", "20/10 @1.5".
std::string baseText(const TradeModel& model) {
    const StudyInfo* study = findStudy(model.baseKind);
    if (study == nullptr) return "-";
    const int spans[3] = {model.baseParam1, model.baseParam2, model.baseParam3};
    std::string text;
    for (std::size_t i = 0; i < study->spans.size() && i < 3; ++i) text += (i > 0 ? "/" : "") + format("%d", spans[i]);
    if (study->builderParameters.size() > study->spans.size()) text += " " + threshold(model.baseThreshold);
    return text;
}

std::string filterText(StudyKind kind, int span, double value) {
    if (kind == StudyKind::NotInUse) return "-";
    return format("%d ", span) + threshold(value);
}

std::string ratio(const std::optional<double>& value, const char* pattern) {
    return value ? format(pattern, *value) : std::string("n/a");
}

std::string modelText(const TradeModel& model) {
    std::string text = indexName(model.baseKind) + " " + baseText(model);
    if (model.secondKind != StudyKind::NotInUse)
        text += ", " + indexName(model.secondKind) + " " +
                filterText(model.secondKind, model.secondSpan, model.secondThreshold);
    if (model.thirdKind != StudyKind::NotInUse)
        text += ", " + indexName(model.thirdKind) + " " +
                filterText(model.thirdKind, model.thirdSpan, model.thirdThreshold);
    return text;
}

}  // namespace

std::string walkForwardTable(const WalkForwardReport& report, const Product& product, const FoldSettings& settings,
                             TrialSelection selection) {
    const TradeModel& whole = report.wholeHistoryModel;
    std::string text = format("Walk-forward of %s: %d bars, %s train %d bars, test %d bars, %zu folds%s\n",
                              product.name.c_str(), product.historyLength(),
                              settings.anchored ? "anchored" : "rolling", settings.trainBars, settings.testBars,
                              report.folds.size(),
                              selection == TrialSelection::plateau ? ", plateau selection" : "");
    text += "Base Index " + indexName(whole.baseKind);
    if (whole.secondKind != StudyKind::NotInUse) text += ", 2nd Index " + indexName(whole.secondKind);
    if (whole.thirdKind != StudyKind::NotInUse) text += ", 3rd Index " + indexName(whole.thirdKind);
    text += "\n\n";
    text += format("%4s  %-21s  %-21s  %-14s  %-11s  %-11s  %13s  %9s  %13s  %9s  %10s\n", "fold", "train", "test",
                   "base", "2nd", "3rd", "in-sample", "per bar", "out-of-sample", "per bar", "efficiency");
    for (std::size_t k = 0; k < report.folds.size(); ++k) {
        const FoldResult& fold = report.folds[k];
        const TradeModel& m = fold.model;
        text += format("%4zu  %-21s  %-21s  %-14s  %-11s  %-11s  %13.4f  %9.4f  %13.4f  %9.4f  %10s\n", k + 1,
                       dates(product, fold.bars.trainFrom, fold.bars.trainTo).c_str(),
                       dates(product, fold.bars.testFrom, fold.bars.testTo).c_str(), baseText(m).c_str(),
                       filterText(m.secondKind, m.secondSpan, m.secondThreshold).c_str(),
                       filterText(m.thirdKind, m.thirdSpan, m.thirdThreshold).c_str(), fold.inSampleReturn,
                       fold.inSampleMean(), fold.outOfSampleReturn, fold.outOfSampleMean(),
                       ratio(fold.efficiency(), "%.4f").c_str());
    }
    const WalkForwardTotals& totals = report.totals;
    const std::size_t folds = report.folds.size();
    const int firstTest = report.folds.empty() ? 0 : report.folds.front().bars.testFrom;
    const std::string testDates = report.folds.empty() ? "" : dates(product, firstTest, product.historyLength());
    text += format("\nOut of sample, stitched over %zu bars (%s)\n", report.outOfSampleDaily.size(), testDates.c_str());
    text += format("  net profit               %14.4f\n", totals.netProfit);
    text += "  Sharpe ratio             " + ratio(totals.sharpePerBar, "%14.4f") + " per bar, " +
            ratio(totals.sharpeAnnualised(), "%.4f") + " annualised\n";
    text += format("  maximum drawdown         %14.4f\n", totals.maxDrawdown);
    text += format("  profitable folds         %14d of %d (%.1f %%)\n", totals.profitableFolds, totals.folds,
                   totals.profitableFoldShare() * 100.0);
    text += "  walk-forward efficiency  " + ratio(totals.efficiency, "%14.4f") + "\n";
    text += format("  base parameter changes   %14d of %zu\n", totals.parameterChanges, folds > 0 ? folds - 1 : 0);
    text += format("Whole-history build over the same bars (in sample)\n");
    text += format("  net profit               %14.4f\n", report.wholeHistoryTestReturn);
    text += "  model                    " + modelText(whole) + "\n";
    return text;
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
        text += format("%zu,%s,%s,%s,%s,", k + 1, product.bars[bars.trainFrom].dateText.c_str(),
                       product.bars[bars.trainTo - 1].dateText.c_str(), product.bars[bars.testFrom].dateText.c_str(),
                       product.bars[bars.testTo - 1].dateText.c_str());
        text += format("%d,%d,%d,%d,%.17g,%d,%d,%.17g,%d,%d,%.17g,%.17g,%.17g,", static_cast<int>(m.baseKind),
                       m.baseParam1, m.baseParam2, m.baseParam3, m.baseThreshold, static_cast<int>(m.secondKind),
                       m.secondSpan, m.secondThreshold, static_cast<int>(m.thirdKind), m.thirdSpan, m.thirdThreshold,
                       fold.inSampleReturn, fold.outOfSampleReturn);
        text += ratio(fold.efficiency(), "%.17g") + "\n";
    }
    return text;
}

}  // namespace varkel::cli
