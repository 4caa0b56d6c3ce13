#pragma once

#include "chart/workspace_charts.h"
#include "studies/study_kind.h"

// Repaints the price chart of a workspace from the bars, with the moving
// averages (MovingAverages) or the Keltner bands (KeltnerChannels).
void repaintPriceChart(varkel::WorkspaceCharts& workspace, varkel::StudyKind kind);

// Repaints the study chart of a workspace with the study its key names; its
// colours and title stay as they are.
void repaintStudyChart(varkel::WorkspaceCharts& workspace, const varkel::StudyChart& record);
