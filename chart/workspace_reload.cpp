#include "chart/workspace_reload.h"

#include "studies/study_catalogue.h"

#include <algorithm>

namespace varkel {

PriceFileLoad reloadWorkspaceProduct(WorkspaceCharts& workspace) {
    Product* shown = workspace.registry.findProduct(workspace.productName);
    if (shown == nullptr) return {};
    ProductRegistry fresh;
    Product* reloaded = fresh.addProduct(workspace.productName);
    if (reloaded == nullptr) return {};
    const PriceFileLoad load = loadPriceFile(fresh, workspace.productName, workspace.pricePath);
    if (!load) return load;
    for (const StudyRun& run : workspace.studyRuns)
        if (const StudyInfo* study = findStudy(run.kind)) study->compute(fresh, workspace.productName, run.values);

    const bool wholeHistoryShown = workspace.barsShown >= workspace.barsTotal;
    shown->bars = std::move(reloaded->bars);
    workspace.barsTotal = shown->barCount();
    workspace.barsShown = wholeHistoryShown ? workspace.barsTotal : std::min(workspace.barsShown, workspace.barsTotal);
    return load;
}

}  // namespace varkel
