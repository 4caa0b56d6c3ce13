#include "chart/workspace_charts.h"

#include <algorithm>

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

void recordStudyRun(WorkspaceCharts& workspace, StudyKind kind, std::vector<double> values) {
    std::erase_if(workspace.studyRuns, [kind](const StudyRun& run) { return run.kind == kind; });
    workspace.studyRuns.push_back({kind, std::move(values)});
}

}  // namespace varkel
