#pragma once

#include <string_view>

class ChartWorkspace;
struct AnalysisStudy;

// Draws a computed study into its analysis chart in the study tab strip and
// shows that chart with `title`. The chart and its tab are made the first time
// the study is drawn and reused after that; a redraw leaves the tab's text as
// it is. Returns false, having drawn nothing, when the chart cannot be made.
bool drawAnalysisChart(ChartWorkspace& workspace, const AnalysisStudy& study, std::string_view title);
