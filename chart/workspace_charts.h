#pragma once

#include "chart/chart_control.h"
#include "data/product_registry.h"
#include "studies/study_kind.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// One analysis chart of the lower tab strip, registered under its study's key.
struct StudyChart {
    virtual ~StudyChart() = default;
    std::string key;
    ChartControl* chart = nullptr;
    double yMin = 0.0;  // the y range set by the last paint
    double yMax = 0.0;
};

// A study as the user last ran it on the workspace's product: its kind and
// the values it took (spans, then settings), so that it can run again on a
// reloaded history.
struct StudyRun {
    StudyKind kind = StudyKind::NotInUse;
    std::vector<double> values;
};

// What a chart workspace shows, as far as painting is concerned: the product,
// the registry it lives in, its charts and the range of bars shown. The window
// side (view, tab strips, activation) is added by the application.
struct WorkspaceCharts {
    virtual ~WorkspaceCharts() = default;

    ChartControl* priceChart = nullptr;
    std::string productName;
    int barsTotal = 0;     // chart points at Open: the bars including the next-day bar
    int barsShown = 0;     // how many of the latest bars the charts show
    double maxHigh = 0.0;  // price range of the bars last painted on the price chart
    double minLow = 0.0;
    double rangeMargin = 2.0;
    ProductRegistry registry;
    std::vector<std::unique_ptr<StudyChart>> studyCharts;  // in the order of the study tabs
    int priceOverlay = 0;  // 1: Keltner bands on the price chart, 0: moving averages
    std::string pricePath;            // the price file the product was loaded from
    std::vector<StudyRun> studyRuns;  // the last run of each study, in the order they were run
};

// Remembers that `kind` ran with `values`; an earlier run of the kind is forgotten.
void recordStudyRun(WorkspaceCharts& workspace, StudyKind kind, std::vector<double> values);

// The study chart registered under exactly `key`, or null.
StudyChart* findStudyChart(std::string_view key, WorkspaceCharts& workspace);

// Registers `chart` under `key` unless the key is taken; returns the record
// registered under the key. The caller inserts the tab.
StudyChart* addStudyChart(WorkspaceCharts& workspace, ChartControl* chart, std::string_view key);

}  // namespace varkel
