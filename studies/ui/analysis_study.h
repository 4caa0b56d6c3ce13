#pragma once

#include "data/product_registry.h"
#include "model/study_kind.h"

#include <span>
#include <string_view>
#include <vector>

// One entry of a study dialog: its control id, label and the span it shows
// when the dialog opens.
struct SpanEntry {
    int id;
    const char* label;
    int defaultSpan;
};

// How long a history must be for a span to give values. Computations leave
// the bars untouched when it is shorter, so the chart would show old values.
enum class HistoryNeed {
    anyLength,     // the computation writes every bar whatever the span
    spanBars,      // at least `span` price bars
    moreThanSpan,  // more than `span` price bars
};

// An analysis study as its dialog runs it: the entries, the computation and
// the chart it draws in the study tab strip.
struct AnalysisStudy {
    int dialogId;
    const char* dialogTitle;
    std::vector<SpanEntry> entries;  // one or three
    int minimumSpan;                 // the smallest span the computation accepts
    HistoryNeed historyNeed;
    // Runs the computation with the spans in entry order.
    void (*compute)(varkel::ProductRegistry& registry, std::string_view product, std::span<const int> spans);
    const char* key;
    const char* tabText;
    varkel::StudyKind kind;
    const char* titleFormat;  // one %d per entry
    // 2: series 0 green, series 1 blue, further series keep their colour;
    // 1: every series blue.
    int lineCount;
};

extern const AnalysisStudy macdStudy;
extern const AnalysisStudy rsiStudy;
extern const AnalysisStudy timeSeriesCorrelationStudy;
extern const AnalysisStudy rateOfChangeStudy;
extern const AnalysisStudy linearRegressionStudy;
extern const AnalysisStudy normalDistributionStudy;
extern const AnalysisStudy stochasticsStudy;
