#include "cli/walkforward_text.h"

#include "cli/index_options.h"
#include "base/formatted_text.h"
#include "report/walk_forward_texts.h"

#include <cstdio>

namespace varkel::cli {

namespace {

std::string dates(const Product& product, int from, int to) {
    return product.bars[from].dateText + ".." + product.bars[to - 1].dateText;
}

std::string modelText(const TradeModel& model) {
    std::string text = indexName(model.layers[0].kind) + " " + foldBaseText(model.layers[0]);
    for (const Layer& filter : {model.layers[1], model.layers[2]})
        if (filter.inUse()) text += ", " + indexName(filter.kind) + " " + foldFilterText(filter);
    return text;
}

}  // namespace

std::string walkForwardTable(const WalkForwardReport& report, const Product& product, const FoldSettings& settings,
                             TrialSelection selection) {
    const TradeModel& whole = report.wholeHistoryModel;
    std::string text = formattedText("Walk-forward of %s: %d bars, %s train %d bars, test %d bars, %zu folds%s\n",
                              product.name.c_str(), product.historyLength(),
                              settings.anchored ? "anchored" : "rolling", settings.trainBars, settings.testBars,
                              report.folds.size(),
                              selection == TrialSelection::plateau ? ", plateau selection" : "");
    text += "Base Index " + indexName(whole.layers[0].kind);
    if (whole.layers[1].inUse()) text += ", 2nd Index " + indexName(whole.layers[1].kind);
    if (whole.layers[2].inUse()) text += ", 3rd Index " + indexName(whole.layers[2].kind);
    text += "\n\n";
    text += formattedText("%4s  %-21s  %-21s  %-14s  %-11s  %-11s  %13s  %9s  %13s  %9s  %10s\n", "fold", "train", "test",
                   "base", "2nd", "3rd", "in-sample", "per bar", "out-of-sample", "per bar", "efficiency");
    for (std::size_t k = 0; k < report.folds.size(); ++k) {
        const FoldResult& fold = report.folds[k];
        const TradeModel& m = fold.model;
        text += formattedText("%4zu  %-21s  %-21s  %-14s  %-11s  %-11s  %13.4f  %9.4f  %13.4f  %9.4f  %10s\n", k + 1,
                       dates(product, fold.bars.trainFrom, fold.bars.trainTo).c_str(),
                       dates(product, fold.bars.testFrom, fold.bars.testTo).c_str(), foldBaseText(m.layers[0]).c_str(),
                       foldFilterText(m.layers[1]).c_str(), foldFilterText(m.layers[2]).c_str(), fold.inSampleReturn,
                       fold.inSampleMean(), fold.outOfSampleReturn, fold.outOfSampleMean(),
                       optionalText(fold.efficiency(), "%.4f").c_str());
    }
    const WalkForwardTotals& totals = report.totals;
    const std::size_t folds = report.folds.size();
    const int firstTest = report.folds.empty() ? 0 : report.folds.front().bars.testFrom;
    const std::string testDates = report.folds.empty() ? "" : dates(product, firstTest, product.historyLength());
    text += formattedText("\nOut of sample, stitched over %zu bars (%s)\n", report.outOfSampleDaily.size(), testDates.c_str());
    text += formattedText("  net profit               %14.4f\n", totals.netProfit);
    text += "  Sharpe ratio             " + optionalText(totals.sharpePerBar, "%14.4f") + " per bar, " +
            optionalText(totals.sharpeAnnualised(), "%.4f") + " annualised\n";
    text += formattedText("  maximum drawdown         %14.4f\n", totals.maxDrawdown);
    text += formattedText("  profitable folds         %14d of %d (%.1f %%)\n", totals.profitableFolds, totals.folds,
                   totals.profitableFoldShare() * 100.0);
    text += "  walk-forward efficiency  " + optionalText(totals.efficiency, "%14.4f") + "\n";
    text += formattedText("  base parameter changes   %14d of %zu\n", totals.parameterChanges, folds > 0 ? folds - 1 : 0);
    text += "Whole-history build over the same bars (in sample)\n";
    text += formattedText("  net profit               %14.4f\n", report.wholeHistoryTestReturn);
    text += "  model                    " + modelText(whole) + "\n";
    return text;
}

}  // namespace varkel::cli
