#pragma once

#include "chart/workspace_charts.h"
#include "model/build_robustness.h"
#include "model/trade_model.h"
#include "model/trial_selection.h"

#include <optional>
#include <string>

class QWidget;
class TabStrip;

// Everything one chart view shows: the product and its registry, the price
// chart and the study charts (WorkspaceCharts), and the windows they live in.
// The shell keeps one per open view and hands the active one to the dialogs
// that work on it.
// The last build made in a view: its product, the model it kept, its
// robustness statistics (with the base layer's parameter surface) and how
// its layers chose their trials.
struct LastBuild {
    std::string productName;
    varkel::TradeModel model{};
    varkel::BuildRobustness robustness;
    varkel::TrialSelection selection = varkel::TrialSelection::best;
};

class ChartWorkspace : public varkel::WorkspaceCharts {
public:
    ChartWorkspace(QWidget* ownerView, TabStrip* productStrip, TabStrip* studyStrip)
        : view(ownerView), productTab(productStrip), studyTab(studyStrip) {}

    bool hasPriceChart = false;  // a product has been opened into this view
    QWidget* view;               // the view that shows this workspace; its title names the product
    TabStrip* productTab;
    TabStrip* studyTab;
    int studyChartCount = 0;     // tabs in studyTab
    bool isActive = true;        // belongs to the active view
    // Kept by the Strategy Builder; the Parameter Surface window shows it.
    std::optional<LastBuild> lastBuild;
};

// `workspace` when it shows a product's chart, else null: a dialog made for a
// view without a chart closes having done nothing.
inline ChartWorkspace* withPriceChart(ChartWorkspace* workspace) {
    return workspace != nullptr && workspace->hasPriceChart ? workspace : nullptr;
}
