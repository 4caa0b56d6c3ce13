#include "app/varkel_app.h"

#include "app/chart_view.h"
#include "app/main_frame.h"
#include "app/open_flow.h"
#include "app/program_picture.h"
#include "app/recent_files.h"
#include "app/start_options.h"
#include "workbench/app_title.h"
#include "workbench/price_file_written.h"

#include <utility>

namespace {

CVarkelModel2cApp* theApp = nullptr;

}  // namespace

CVarkelModel2cApp::CVarkelModel2cApp(std::string directory)
    : startDirectory(std::move(directory)), recentFiles_(std::make_unique<RecentFileList>()) {
    theApp = this;
}

CVarkelModel2cApp::~CVarkelModel2cApp() {
    // The frame's views drop their workspaces as they go.
    setPriceFileWrittenHandler({});
    mainFrame_.reset();
    theApp = nullptr;
}

CVarkelModel2cApp* CVarkelModel2cApp::instance() {
    return theApp;
}

void CVarkelModel2cApp::initInstance(const StartOptions& options) {
    Q_INIT_RESOURCE(varkel);
    dataServerOption = options.dataServer;
    recentFiles_->load();
    setPriceFileWrittenHandler(reloadViewsShowing);
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    if (options.splash) showSplash();
    CVarkelModel2cView* view = mainFrame_->newDocument();
    mainFrame_->show();
    mainFrame_->setWindowTitle(appTitle);
    if (!options.openProduct.isEmpty() && view->workspace() != nullptr)
        openPriceFile(*view->workspace(), options.openProduct, options.openPath);
    else if (!options.openPath.isEmpty())
        runOpenFlow(mainFrame_.get(), options.openPath);
}

ChartWorkspace& CVarkelModel2cApp::addWorkspace(CVarkelModel2cView* view, TabStrip* productTab,
                                                TabStrip* studyTab) {
    workspaces.push_back(std::make_unique<ChartWorkspace>(view, productTab, studyTab));
    activateWorkspace(view);
    return *workspaces.back();
}

void CVarkelModel2cApp::removeWorkspace(const CVarkelModel2cView* view) {
    std::erase_if(lastBuilds, [view](const auto& entry) { return entry.first->view == view; });
    std::erase_if(workspaces, [view](const auto& workspace) { return workspace->view == view; });
}

std::optional<LastBuild> lastBuildOf(const ChartWorkspace* workspace) {
    const auto& builds = CVarkelModel2cApp::instance()->lastBuilds;
    const auto found = builds.find(workspace);
    if (found == builds.end()) return std::nullopt;
    return found->second;
}

ChartWorkspace* activeWorkspace() {
    for (const auto& workspace : CVarkelModel2cApp::instance()->workspaces)
        if (workspace->isActive) return workspace.get();
    return nullptr;
}

void activateWorkspace(const CVarkelModel2cView* view) {
    for (const auto& workspace : CVarkelModel2cApp::instance()->workspaces)
        workspace->isActive = workspace->view == view;
}
