#pragma once

#include "chart/workspace_charts.h"

#include <cstdint>

// Repaints the price chart of a workspace from the bars, with the moving
// averages (paintMovingAverages) or the Keltner bands (paintKeltner).
void repaintPriceChart(varkel::WorkspaceCharts& workspace, std::int32_t kind);

// Repaints the study chart of a workspace with the study its key names; its
// colours and title stay as they are.
void repaintStudyChart(varkel::WorkspaceCharts& workspace, const varkel::StudyChart& record);
