#include "app/main_frame.h"

#include "app/about_dlg.h"
#include "app/chart_view.h"
#include "app/child_frame.h"
#include "app/command_icons.h"
#include "app/command_ids.h"
#include "app/command_strings.h"
#include "app/command_table.h"
#include "app/open_flow.h"
#include "app/recent_files.h"
#include "app/varkel_app.h"
#include "windows/data/import_dlg.h"
#include "workbench/app_title.h"
#include "workbench/seams.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFile>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QStyle>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <span>

namespace {

struct MenuItem {
    int id;             // 0: a separator
    const char* label;  // text after a tab is shown as the item's key
};
constexpr MenuItem separator{0, nullptr};

// Menu 129, shown while a chart view is open.
constexpr MenuItem fileMenu[] = {
    {cmd::fileOpen, "&Open...\tCtrl+O"},
    {cmd::downloadMenu, "&Download Data from Internet...\tCtrl+D"},
    {cmd::appendMenu, "&Append Data\tCtrl+A"},
    {cmd::importMenu, "&Import Price Data..."},
    {cmd::fileClose, "&Close"},
    separator,
    {cmd::print, "&Print...\tCtrl+P"},
    {cmd::printPreview, "Print Pre&view"},
    separator,
    {cmd::exit, "E&xit"},
};
constexpr MenuItem editMenu[] = {
    {cmd::undo, "&Undo\tCtrl+Z"}, separator, {cmd::cut, "Cu&t\tCtrl+X"},
    {cmd::copy, "&Copy\tCtrl+C"}, {cmd::paste, "&Paste\tCtrl+V"},
};
constexpr MenuItem viewMenu[] = {
    {cmd::toolbar, "&Toolbar"}, {cmd::statusBar, "&Status Bar"}, separator,
    {cmd::tickMenu, "Tick"},    {cmd::verticalLine, "&Vertical Line"},
};
constexpr MenuItem studiesMenu[] = {
    {cmd::movingAverageMenu, "Moving Average"},
    {cmd::keltnerMenu, "Keltner Channels"},
    {cmd::rsiMenu, "RSI"},
    {cmd::correlationMenu, "Time Series Correlation"},
    {cmd::macdMenu, "MACD"},
    {cmd::stochasticsMenu, "Stochastics"},
    {cmd::rateOfChangeMenu, "Rate Of Change"},
    {cmd::regressionMenu, "Linear Regression (Slope)"},
    {cmd::normalDistMenu, "Volatility (NormDist)"},
};
constexpr MenuItem actionMenu[] = {
    {cmd::buildModelMenu, "Build Trade Model"},
    {cmd::tradeSignalMenu, "Daily Trade Signal"},
    {cmd::performanceMenu, "Performance View"},
    separator,
    {cmd::parameterSurfaceMenu, "Parameter Surface"},
    {cmd::walkForwardMenu, "Walk-Forward Analysis..."},
    {cmd::permutationTestMenu, "Permutation Test..."},
    {cmd::scanMenu, "Scan..."},
};
constexpr MenuItem dataCheckMenu[] = {{cmd::correctFlaggedBarsMenu, "&Correct Flagged Bars..."}};
constexpr MenuItem helpMenu[] = {{cmd::about, "&About VarkelModel"}};

// Menu 128, shown while no view is open; the recent files follow Print Setup.
constexpr MenuItem noViewFileMenu[] = {
    {cmd::fileNew, "&Add\tCtrl+N"},
    {cmd::importMenu, "&Import Price Data..."},
    separator,
    {cmd::printSetup, "P&rint Setup..."},
    separator,
};
constexpr MenuItem noViewFileMenuEnd[] = {separator, {cmd::exit, "E&xit"}};
constexpr MenuItem noViewViewMenu[] = {{cmd::toolbar, "&Toolbar"}, {cmd::statusBar, "&Status Bar"}};
constexpr MenuItem noViewHelpMenu[] = {{cmd::about, "&About VarkelModel2c..."}};

// Toolbar 128, in button order.
constexpr int toolbarButtons[] = {
    cmd::downloadButton, cmd::appendButton, cmd::fileOpen, 0,
    cmd::movingAverageButton, cmd::keltnerButton, cmd::stochasticsButton, cmd::macdButton,
    cmd::rsiButton, cmd::correlationButton, cmd::regressionButton, cmd::normalDistButton,
    cmd::rateOfChangeButton, 0,
    cmd::buildModelButton, cmd::tradeSignalButton, cmd::performanceButton, 0,
    cmd::zoomButton,
};

// The only keys with commands behind them.
struct Accelerator {
    int id;
    QKeyCombination keys[2];
};
const Accelerator accelerators[] = {
    {cmd::fileNew, {Qt::CTRL | Qt::Key_N}},
    {cmd::fileOpen, {Qt::CTRL | Qt::Key_O}},
    {cmd::print, {Qt::CTRL | Qt::Key_P}},
    {cmd::undo, {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace}},
    {cmd::cut, {Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete}},
    {cmd::copy, {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert}},
    {cmd::paste, {Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert}},
    {cmd::downloadMenu, {Qt::CTRL | Qt::Key_D}},
    {cmd::appendMenu, {Qt::CTRL | Qt::Key_A}},
    {cmd::nextPane, {QKeyCombination(Qt::Key_F6)}},
    {cmd::previousPane, {Qt::SHIFT | Qt::Key_F6}},
};

// The smallest a cascaded view gets, whatever the frame's size.
constexpr QSize minimumViewSize(480, 320);

bool isRecentFile(int id) {
    return id >= cmd::recentFile1 && id < cmd::recentFile1 + cmd::recentFileCount;
}

}  // namespace

CMainFrame::CMainFrame(CVarkelModel2cApp& app) : app_(app), mdiArea_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("128"));
    setCentralWidget(mdiArea_);
    setDockOptions(dockOptions() | QMainWindow::AllowNestedDocks);
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
    connect(&app_.recentFiles(), &RecentFileList::changed, this, &CMainFrame::rebuildRecentFileItems);
    rebuildRecentFileItems();
    showMenusFor(false);
    updateCommandStates();
    resize(1200, 780);
}

CMainFrame::~CMainFrame() {
    // Closing the child frames while the frame goes must not touch its menus.
    mdiArea_->disconnect(this);
}

// A maximized child frame puts its document's name into the main title, and
// the last one closed leaves it empty; the workstation's title stays its own.
void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != appTitle) setWindowTitle(appTitle);
}

QAction* CMainFrame::createAction(int id, const QString& label) {
    auto* action = new QAction(label, this);
    action->setData(id);
    action->setObjectName(QString::number(id));
    action->setStatusTip(commandPrompt(id));
    if (!commandTip(id).isEmpty()) action->setToolTip(commandTip(id));
    action->setIcon(commandIcon(id));
    connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
    addAction(action);  // keys work whichever menu is shown
    actions_.emplace(id, action);
    return action;
}

void CMainFrame::createActions() {
    for (const Accelerator& accelerator : accelerators) {
        QList<QKeySequence> keys;
        for (const QKeyCombination& combination : accelerator.keys)
            if (combination != QKeyCombination()) keys << QKeySequence(combination);
        QAction* action = commandAction(accelerator.id);
        if (action == nullptr) action = createAction(accelerator.id, QString());
        action->setShortcuts(keys);
    }
    for (int id : {cmd::verticalLine, cmd::toolbar, cmd::statusBar}) {
        QAction* action = createAction(id, QString());
        action->setCheckable(true);
    }
}

QAction* CMainFrame::commandAction(int id) const {
    const auto found = actions_.lower_bound(id);
    return found != actions_.end() && found->first == id ? found->second : nullptr;
}

void CMainFrame::createMenus() {
    // An item takes the action of its id; an id met with a second label (About)
    // gets an action of its own.
    auto addItems = [this](QMenu* menu, std::span<const MenuItem> items) {
        for (const MenuItem& item : items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            const QString label = QString::fromUtf8(item.label);
            QAction* action = nullptr;
            for (auto [it, end] = actions_.equal_range(item.id); it != end; ++it)
                if (it->second->text().isEmpty() || it->second->text() == label) action = it->second;
            if (action == nullptr) action = createAction(item.id, label);
            action->setText(label);
            menu->addAction(action);
        }
    };
    auto addMenu = [&](QList<QMenu*>& menus, const char* title, std::span<const MenuItem> items) {
        auto* menu = new QMenu(QString::fromUtf8(title), this);
        addItems(menu, items);
        menus << menu;
        return menu;
    };
    addMenu(viewMenus_, "&File", fileMenu);
    addMenu(viewMenus_, "&Edit", editMenu);
    addMenu(viewMenus_, "&View", viewMenu);
    addMenu(viewMenus_, "&Studies", studiesMenu);
    addMenu(viewMenus_, "&Action", actionMenu);
    addMenu(viewMenus_, "&Data Check", dataCheckMenu);
    viewMenus_ << createWindowMenu();
    addMenu(viewMenus_, "&Help", helpMenu);

    recentFilesMenu_ = addMenu(noViewMenus_, "&File", noViewFileMenu);
    for (int i = 0; i < cmd::recentFileCount; ++i)
        recentFilesMenu_->addAction(createAction(cmd::recentFile1 + i, QString()));
    addItems(recentFilesMenu_, noViewFileMenuEnd);
    addMenu(noViewMenus_, "&View", noViewViewMenu);
    addMenu(noViewMenus_, "&Help", noViewHelpMenu);
}

// The Window menu of an MDI application: arrange the views, step through them,
// or pick one from the list of open views (the active one checked).
QMenu* CMainFrame::createWindowMenu() {
    auto* menu = new QMenu(QStringLiteral("&Window"), this);
    menu->setObjectName(QStringLiteral("windowMenu"));
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { rebuildWindowMenu(menu); });
    rebuildWindowMenu(menu);
    return menu;
}

void CMainFrame::rebuildWindowMenu(QMenu* menu) {
    menu->clear();
    menu->addAction(QStringLiteral("&Cascade"), this, &CMainFrame::cascadeViews);
    menu->addAction(QStringLiteral("&Tile"), this, [this] {
        windowsArranged_ = true;
        mdiArea_->tileSubWindows();
    });
    menu->addAction(QStringLiteral("Ne&xt\tF6"), mdiArea_, &QMdiArea::activateNextSubWindow);
    menu->addAction(QStringLiteral("Pre&vious\tShift+F6"), mdiArea_, &QMdiArea::activatePreviousSubWindow);
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    if (!windows.isEmpty()) menu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QAction* item = menu->addAction(QStringLiteral("%1 %2").arg(number, window->windowTitle()), this,
                                        [this, window] { mdiArea_->setActiveSubWindow(window); });
        item->setCheckable(true);
        item->setChecked(window == mdiArea_->activeSubWindow());
    }
}

// Each view a step below and right of the one before, all at three quarters
// of the area: big enough to read, with every title bar showing. (The
// toolkit's own cascade shrinks maximized views to their title bars.)
void CMainFrame::cascadeViews() {
    windowsArranged_ = true;
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    const QSize area = mdiArea_->viewport()->size();
    const QSize size(std::max(area.width() * 3 / 4, minimumViewSize.width()),
                     std::max(area.height() * 3 / 4, minimumViewSize.height()));
    const int step = std::max(mdiArea_->style()->pixelMetric(QStyle::PM_TitleBarHeight), 24);
    const int steps = std::max(1, std::min(area.width() - size.width(), area.height() - size.height()) / step + 1);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        window->showNormal();
        window->setGeometry(QRect(QPoint((i % steps) * step, (i % steps) * step), size));
        window->raise();
    }
    if (QMdiSubWindow* active = mdiArea_->activeSubWindow()) active->raise();
}

void CMainFrame::createToolBars() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setObjectName(QStringLiteral("toolbar128"));
    toolBar_->setIconSize(QSize(32, 32));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : toolbarButtons) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = commandAction(id);
        if (action == nullptr) action = createAction(id, commandTip(id));
        toolBar_->addAction(action);
    }
}

void CMainFrame::createStatusBar() {
    auto* ready = new QLabel(QStringLiteral("Ready"), this);
    ready->setObjectName(QStringLiteral("statusMessage"));
    statusBar()->addWidget(ready, 1);
    // The lock-key panes; their state cannot be read portably, so they show greyed.
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(QString::fromLatin1(indicator), this);
        pane->setObjectName(QString::fromLatin1(indicator));
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setEnabled(false);
        statusBar()->addPermanentWidget(pane);
    }
}

void CMainFrame::showMenusFor(bool viewOpen) {
    menuBar()->clear();
    for (QMenu* menu : viewOpen ? viewMenus_ : noViewMenus_) menuBar()->addMenu(menu);
}

void CMainFrame::rebuildRecentFileItems() {
    const QStringList& files = app_.recentFiles().files();
    for (int i = 0; i < cmd::recentFileCount; ++i) {
        QAction* action = commandAction(cmd::recentFile1 + i);
        if (i < files.size())
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]));
        else
            action->setText(QStringLiteral("Recent File"));
        action->setVisible(i < files.size() || i == 0);
    }
    updateCommandStates();
}

void CMainFrame::updateCommandStates() {
    const bool viewOpen = activeView() != nullptr;
    for (const auto& [id, action] : actions_) {
        const CommandRoute* route = findCommandRoute(id);
        bool enabled = route != nullptr && ((viewOpen && route->onView) || route->onFrame);
        if (isRecentFile(id)) enabled = enabled && id - cmd::recentFile1 < app_.recentFiles().files().size();
        action->setEnabled(enabled);
    }
    commandAction(cmd::verticalLine)->setChecked(app_.verticalLineMode);
    commandAction(cmd::toolbar)->setChecked(!toolBar_->isHidden());
    commandAction(cmd::statusBar)->setChecked(!statusBar()->isHidden());
}

void CMainFrame::dispatch(int id) {
    const CommandRoute* route = findCommandRoute(id);
    if (route == nullptr) return;
    CVarkelModel2cView* view = activeView();
    if (view != nullptr && route->onView != nullptr)
        (view->*route->onView)();
    else if (route->onFrame != nullptr)
        (this->*route->onFrame)(id);
    updateCommandStates();
}

CVarkelModel2cView* CMainFrame::newDocument() {
    auto* view = new CVarkelModel2cView;
    auto* frame = new CChildFrame(view, ++documentCount_);
    mdiArea_->addSubWindow(frame);
    // The menus follow once the frame is gone from the area.
    connect(frame, &QObject::destroyed, this, [this] { onSubWindowActivated(); }, Qt::QueuedConnection);
    // A frame that another one's maximizing restores keeps the full area.
    frame->resize(mdiArea_->viewport()->size());
    windowsArranged_ = false;
    frame->showMaximized();
    mdiArea_->setActiveSubWindow(frame);
    return view;
}

CVarkelModel2cView* CMainFrame::activeView() const {
    auto* frame = qobject_cast<CChildFrame*>(mdiArea_->activeSubWindow());
    return frame != nullptr ? frame->view() : nullptr;
}

void CMainFrame::onSubWindowActivated() {
    if (auto* frame = qobject_cast<CChildFrame*>(mdiArea_->activeSubWindow())) {
        // Views fill the area unless the user cascaded or tiled them.
        if (!windowsArranged_) frame->showMaximized();
        frame->view()->onActivated();
    }
    showMenusFor(!mdiArea_->subWindowList().isEmpty());
    updateCommandStates();
}

void CMainFrame::onFileNew(int) {
    newDocument();
}

// With no view open, Open starts a new view and asks for its product.
void CMainFrame::onFileOpenWithoutView(int) {
    newDocument()->onFileOpen();
}

// A recent file opens into a new view once its product is named.
void CMainFrame::onRecentFile(int id) {
    const QStringList& files = app_.recentFiles().files();
    const int index = id - cmd::recentFile1;
    if (index >= files.size()) return;
    const QString path = files[index];
    newDocument();
    runOpenFlow(this, path);
}

// An imported history the user wants to see opens into a new view.
void CMainFrame::onImportPriceData(int) {
    QStringList shown;
    for (const auto& workspace : app_.workspaces)
        if (workspace->hasPriceChart) shown << QFile::decodeName(workspace->pricePath.c_str());
    CImportDlg dialog(app_.getStartDirectory(), shown, this);
    if (runDialog(dialog) != QDialog::Accepted || !dialog.openRequested()) return;
    CVarkelModel2cView* view = newDocument();
    openPriceFile(*view->workspace(), dialog.productName(), dialog.importedPath());
}

void CMainFrame::onPrintSetup(int) {
    QPageSetupDialog dialog(&printer(), this);
    runDialog(dialog);
}

void CMainFrame::onExit(int) {
    close();
}

void CMainFrame::onToggleToolbar(int) {
    toolBar_->setVisible(toolBar_->isHidden());
}

void CMainFrame::onToggleStatusBar(int) {
    statusBar()->setVisible(statusBar()->isHidden());
}

void CMainFrame::onNextPane(int) {
    mdiArea_->activateNextSubWindow();
}

void CMainFrame::onPreviousPane(int) {
    mdiArea_->activatePreviousSubWindow();
}

void CMainFrame::onAbout(int) {
    CAboutDlg dialog(this);
    runDialog(dialog);
}

QPrinter& CMainFrame::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}
