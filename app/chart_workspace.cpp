#include "app/chart_workspace.h"

#include "app/varkel_app.h"

ChartWorkspace* activeWorkspace() {
    for (const auto& workspace : CVarkelModel2cApp::instance()->workspaces)
        if (workspace->isActive) return workspace.get();
    return nullptr;
}

void activateWorkspace(const CVarkelModel2cView* view) {
    for (const auto& workspace : CVarkelModel2cApp::instance()->workspaces)
        workspace->isActive = workspace->view == view;
}
