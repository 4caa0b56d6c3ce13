#include "chart/workspace_charts.h"

namespace varkel {

StudyChart* findStudyChart(std::string_view key, WorkspaceCharts& workspace) {
    for (auto& record : workspace.studyCharts)
        if (record->key == key) return record.get();
    return nullptr;
}

StudyChart* addStudyChart(WorkspaceCharts& workspace, ChartControl* chart, std::string_view key) {
    if (StudyChart* existing = findStudyChart(key, workspace)) return existing;
    auto record = std::make_unique<StudyChart>();
    record->key = std::string(key);
    record->chart = chart;
    workspace.studyCharts.push_back(std::move(record));
    return workspace.studyCharts.back().get();
}

}  // namespace varkel
