#pragma once

#include "chart/workspace_charts.h"

class CVarkelModel2cView;
class TabStrip;

// Everything one chart view shows: the product and its registry, the price
// chart and the study charts (WorkspaceCharts), and the windows they live in.
// The application keeps one per open view; commands act on the active one.
class ChartWorkspace : public varkel::WorkspaceCharts {
public:
    ChartWorkspace(CVarkelModel2cView* ownerView, TabStrip* productStrip, TabStrip* studyStrip)
        : view(ownerView), productTab(productStrip), studyTab(studyStrip) {}

    bool hasPriceChart = false;  // a product has been opened into this view
    CVarkelModel2cView* view;
    TabStrip* productTab;
    TabStrip* studyTab;
    int studyChartCount = 0;     // tabs in studyTab
    bool isActive = true;        // belongs to the active view
};

// The workspace of the active view, or null.
ChartWorkspace* activeWorkspace();

// Marks the workspace of `view` active and every other one inactive.
void activateWorkspace(const CVarkelModel2cView* view);
