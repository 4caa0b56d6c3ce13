#pragma once

#include "chart/workspace_charts.h"
#include "studies/study_kind.h"

// Repaints the price chart of a workspace from the bars, with the moving
// averages (MovingAverages) or the Keltner bands (KeltnerChannels).
void repaintPriceChart(varkel::WorkspaceCharts& workspace, varkel::StudyKind kind);

// Repaints the study chart of a workspace with the study its key names; its
// colours and title stay as they are.
void repaintStudyChart(varkel::WorkspaceCharts& workspace, const varkel::StudyChart& record);

// Repaints the price chart with its overlay and every study chart, after the
// bars shown (the tick range) or the bars themselves changed.
void repaintEveryChart(varkel::WorkspaceCharts& workspace);

// Names the price chart's overlay lines for its hover read-out: "MA 20" and
// "MA 40", or the upper and lower Keltner bands.
void nameAverageLines(varkel::WorkspaceCharts& workspace, int shortSpan, int longSpan);
void nameKeltnerBands(varkel::WorkspaceCharts& workspace);
