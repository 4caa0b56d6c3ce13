#pragma once

#include <QMainWindow>

#include <map>
#include <memory>

class CVarkelModel2cApp;
class CVarkelModel2cView;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QPrinter;
class QToolBar;

// The multi-document main frame: menus, toolbar, status bar and the child
// frames of the chart views. Every command reaches its handler through
// dispatch(id) and the command table.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CVarkelModel2cApp& app);
    ~CMainFrame() override;

    // Runs the handler of a command id: the active view's, else the frame's.
    void dispatch(int id);
    // The action that carries a command id (on its data), or null.
    QAction* commandAction(int id) const;

    // A new empty document: a child frame, shown maximized, with its view.
    CVarkelModel2cView* newDocument();
    CVarkelModel2cView* activeView() const;
    QMdiArea* mdiArea() const { return mdiArea_; }
    QToolBar* toolBar() const { return toolBar_; }

    // The frame's command handlers.
    void onFileNew(int id);
    void onFileOpenWithoutView(int id);
    void onRecentFile(int id);
    void onImportPriceData(int id);
    void onPrintSetup(int id);
    void onExit(int id);
    void onToggleToolbar(int id);
    void onToggleStatusBar(int id);
    void onNextPane(int id);
    void onPreviousPane(int id);
    void onAbout(int id);

    // The printer set up by Print Setup and used by Print and Print Preview.
    QPrinter& printer();

protected:
    void changeEvent(QEvent* event) override;

private:
    QAction* createAction(int id, const QString& label);
    void createActions();
    void createMenus();
    QMenu* createWindowMenu();
    void cascadeViews();
    void rebuildWindowMenu(QMenu* menu);
    void createToolBars();
    void createStatusBar();
    void showMenusFor(bool viewOpen);
    void rebuildRecentFileItems();
    void updateCommandStates();
    void onSubWindowActivated();

    CVarkelModel2cApp& app_;
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    std::multimap<int, QAction*> actions_;  // About has one action per menu
    // Menu 128 while no view is open, menu 129 otherwise.
    QList<QMenu*> noViewMenus_;
    QList<QMenu*> viewMenus_;
    QMenu* recentFilesMenu_ = nullptr;
    QAction* recentFilesAnchor_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    int documentCount_ = 0;
    bool windowsArranged_ = false;  // cascaded or tiled since the last new view
};
