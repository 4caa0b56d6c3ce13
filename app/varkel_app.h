#pragma once

#include "windows/model/last_build.h"
#include "workbench/chart_workspace.h"

#include <QObject>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CMainFrame;
class CVarkelModel2cView;
class RecentFileList;
class TabStrip;
struct StartOptions;

// The application object: the workspaces of the open views, the directory the
// program started in, the recent-file list and the main frame.
class CVarkelModel2cApp : public QObject {
    Q_OBJECT
public:
    // Every file the system finds by itself lies below `directory`.
    explicit CVarkelModel2cApp(std::string directory);
    ~CVarkelModel2cApp() override;

    static CVarkelModel2cApp* instance();

    // Creates the main frame (with the splash picture) and the first chart
    // view, shows the frame and opens the file named on the command line.
    void initInstance(const StartOptions& options);

    // The directory every file the system finds by itself lies below.
    std::string getStartDirectory() const { return startDirectory; }

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    RecentFileList& recentFiles() { return *recentFiles_; }

    // Creates the workspace of a view at its first layout; it starts active.
    ChartWorkspace& addWorkspace(CVarkelModel2cView* view, TabStrip* productTab, TabStrip* studyTab);
    // Drops the workspace of a view that is going away, with its registry.
    void removeWorkspace(const CVarkelModel2cView* view);

    std::vector<std::unique_ptr<ChartWorkspace>> workspaces;
    // Per workspace, the last build the Strategy Builder made in it; the
    // Parameter Surface window shows it.
    std::map<const ChartWorkspace*, LastBuild> lastBuilds;
    const std::string startDirectory;
    bool verticalLineMode = false;  // one switch for every view
    QString dataServerOption;       // --server: ahead of the stored data server

private:
    std::unique_ptr<RecentFileList> recentFiles_;
    std::unique_ptr<CMainFrame> mainFrame_;
};

// The workspace of the active view, or null.
ChartWorkspace* activeWorkspace();

// The last build made in `workspace`, if any.
std::optional<LastBuild> lastBuildOf(const ChartWorkspace* workspace);

// Marks the workspace of `view` active and every other one inactive.
void activateWorkspace(const CVarkelModel2cView* view);
