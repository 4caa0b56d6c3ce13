#pragma once

#include "studies/study_catalogue.h"

#include <vector>

// One entry of a study dialog: its control id and label. The span it shows
// when the dialog opens is the catalogue's default.
struct SpanEntry {
    int id;
    const char* label;
};

// An analysis study as its dialog runs it: the catalogue's study (spans,
// computation, chart key, painting kind) and what the window adds to it.
struct AnalysisStudy {
    const varkel::StudyInfo& info;
    int dialogId;
    const char* dialogTitle;
    std::vector<SpanEntry> entries;  // one per span of the study, in its order
    const char* tabText;
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
