#include "ui_test_support.h"

#include "app/chart_view.h"
#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/recent_files.h"
#include "workbench/chart_workspace.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QPrintPreviewWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

QStringList menuTitles(QMainWindow* frame) {
    QStringList titles;
    for (QAction* action : frame->menuBar()->actions()) titles << action->text();
    return titles;
}

QMenu* menuTitled(QMainWindow* frame, const QString& title) {
    for (QAction* action : frame->menuBar()->actions())
        if (action->text() == title) return action->menu();
    return nullptr;
}

QStringList itemLabels(QMenu* menu) {
    QStringList labels;
    for (QAction* action : menu->actions()) labels << (action->isSeparator() ? "-" : action->text());
    return labels;
}

void closeAllViews(CMainFrame* frame) {
    frame->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

class CommandDispatchTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithOneViewTitleToolbarAndStatusBar();
    void toolbarFollowsTheButtonOrderWithTipsAndPrompts();
    void viewMenusHoldEveryItem();
    void onlyTheListedKeysHaveCommands();
    void menuAndToolbarIdsShareTheirHandler();
    void tickAndZoomAreGuarded();
    void tickWithoutAnyWorkspace();
    void anEmptyViewShowsNoFiguresAndSaysWhy();
    void openAndAboutRunTheirDialogs();
    void robustnessCommandsOpenTheirWindowsOnTheFrame();
    void verticalLineItemTogglesItsCheckMark();
    void noViewMenuAppearsWhenTheLastViewCloses();
    void recentFileListKeepsFourEntries();
    void keysDoWhatTheMenuLabelsSay();
    void windowMenuArrangesAndSwitchesViews();
    void printPreviewOpensReadable();
};

void CommandDispatchTest::startsWithOneViewTitleToolbarAndStatusBar() {
    Workstation station;
    CMainFrame* frame = station.frame();
    QCOMPARE(frame->windowTitle(), QStringLiteral("Varkel Model"));
    QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
    QVERIFY(frame->mdiArea()->activeSubWindow()->isMaximized());
    QVERIFY(frame->activeView()->workspace() != nullptr);
    QCOMPARE(activeWorkspace(), frame->activeView()->workspace());
    QCOMPARE(frame->statusBar()->findChild<QLabel*>("statusMessage")->text(), QStringLiteral("Ready"));
    for (const char* pane : {"CAP", "NUM", "SCRL"})
        QCOMPARE(frame->statusBar()->findChild<QLabel*>(pane)->text(), QString::fromLatin1(pane));
    QCOMPARE(frame->toolBar()->iconSize(), QSize(32, 32));
}

void CommandDispatchTest::toolbarFollowsTheButtonOrderWithTipsAndPrompts() {
    Workstation station;
    QList<int> ids;
    for (QAction* action : station.frame()->toolBar()->actions()) {
        ids << (action->isSeparator() ? 0 : action->data().toInt());
        if (!action->isSeparator()) QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
    }
    const QList<int> expected = {32801, 32798, 57601, 0,     32805, 32809, 32804, 32789, 32788, 32790,
                                 32791, 32792, 32787, 0,     32793, 32794, 32795, 0,     32796};
    QCOMPARE(ids, expected);
    QAction* download = station.frame()->commandAction(32801);
    QCOMPARE(download->toolTip(), QStringLiteral("Download"));
    QCOMPARE(download->statusTip(), QStringLiteral("Download Hist Price file from Internet"));
    QCOMPARE(station.frame()->commandAction(32796)->toolTip(), QStringLiteral("Zoom Charts"));
    QCOMPARE(station.frame()->commandAction(32794)->statusTip(), QStringLiteral("Trade Signal "));
    QCOMPARE(station.frame()->commandAction(32782)->statusTip(), QStringLiteral("Adding Linear Regression (Sloop)"));
}

void CommandDispatchTest::viewMenusHoldEveryItem() {
    Workstation station;
    CMainFrame* frame = station.frame();
    QCOMPARE(menuTitles(frame),
             QStringList({"&File", "&Edit", "&View", "&Studies", "&Action", "&Data Check", "&Window", "&Help"}));
    QCOMPARE(itemLabels(menuTitled(frame, "&Data Check")), QStringList({"&Correct Flagged Bars..."}));
    QCOMPARE(itemLabels(menuTitled(frame, "&File")),
             QStringList({"&Open...\tCtrl+O", "&Download Data from Internet...\tCtrl+D", "&Append Data\tCtrl+A",
                          "&Import Price Data...", "&Close", "-", "&Print...\tCtrl+P", "Print Pre&view", "-", "E&xit"}));
    QCOMPARE(itemLabels(menuTitled(frame, "&Studies")),
             QStringList({"Moving Average", "Keltner Channels", "RSI", "Time Series Correlation", "MACD",
                          "Stochastics", "Rate Of Change", "Linear Regression (Slope)", "Volatility (NormDist)"}));
    QCOMPARE(itemLabels(menuTitled(frame, "&Action")),
             QStringList({"Build Trade Model", "Daily Trade Signal", "Performance View", "-", "Parameter Surface",
                          "Walk-Forward Analysis...", "Permutation Test...", "Scan..."}));
    QCOMPARE(itemLabels(menuTitled(frame, "&Help")), QStringList({"&About VarkelModel"}));
    for (QAction* edit : menuTitled(frame, "&Edit")->actions())
        QVERIFY(edit->isSeparator() || !edit->isEnabled());
    QVERIFY(frame->commandAction(32806)->isEnabled());
    QVERIFY(frame->commandAction(59392)->isChecked());
    frame->dispatch(59392);
    QVERIFY(frame->toolBar()->isHidden());
    QVERIFY(!frame->commandAction(59392)->isChecked());
}

void CommandDispatchTest::onlyTheListedKeysHaveCommands() {
    Workstation station;
    QMap<QString, int> keyed;
    for (QAction* action : station.frame()->actions())
        for (const QKeySequence& key : action->shortcuts()) keyed[key.toString()] = action->data().toInt();
    const QMap<QString, int> expected = {
        {"Ctrl+N", 57600},         {"Ctrl+O", 57601},   {"Ctrl+P", 57607},      {"Ctrl+Z", 57643},
        {"Alt+Backspace", 57643},  {"Ctrl+X", 57635},   {"Shift+Del", 57635},   {"Ctrl+C", 57634},
        {"Ctrl+Ins", 57634},       {"Ctrl+V", 57637},   {"Shift+Ins", 57637},   {"F6", 57680},
        {"Shift+F6", 57681},       {"Ctrl+D", 32799},   {"Ctrl+A", 32797},
    };
    QCOMPARE(keyed, expected);
}

void CommandDispatchTest::menuAndToolbarIdsShareTheirHandler() {
    Workstation station;
    const QList<QPair<int, int>> pairs = {{32799, 32801}, {32797, 32798}, {32784, 32796}, {32806, 32805},
                                          {32808, 32809}, {32779, 32788}, {32780, 32790}, {32785, 32789},
                                          {32802, 32804}, {32781, 32787}, {32782, 32791}, {32783, 32792},
                                          {32776, 32793}, {32777, 32794}, {32786, 32795}};
    for (const auto& [menuId, buttonId] : pairs) {
        const CommandRoute* menu = findCommandRoute(menuId);
        const CommandRoute* button = findCommandRoute(buttonId);
        QVERIFY(menu != nullptr && button != nullptr);
        QVERIFY(menu->onView != nullptr);
        QVERIFY(menu->onView == button->onView);
        QVERIFY(station.frame()->commandAction(menuId)->isEnabled());
        QVERIFY(station.frame()->commandAction(buttonId)->isEnabled());
    }
}

void CommandDispatchTest::tickAndZoomAreGuarded() {
    Workstation station;
    station.frame()->dispatch(32784);
    station.frame()->dispatch(32796);
    QCOMPARE(station.messages, QStringList({"No chart avtive", "No chart avtive"}));
}

void CommandDispatchTest::tickWithoutAnyWorkspace() {
    Workstation station;
    closeAllViews(station.frame());
    QVERIFY(station.app.workspaces.empty());
    QVERIFY(!station.frame()->commandAction(32784)->isEnabled());
    CVarkelModel2cView neverShown;
    neverShown.onTick();
    QCOMPARE(station.messages, QStringList({"No chart active"}));
}

// A view without a price file has nothing to report: the Performance Viewer
// and the Trade Signal do not open, the builder opens for its choices but its
// OK builds nothing; each says why.
void CommandDispatchTest::anEmptyViewShowsNoFiguresAndSaysWhy() {
    Workstation station;
    QStringList opened;
    station.answerDialog = [&](QDialog& dialog) {
        opened << dialog.windowTitle();
        if (dialog.objectName() == QStringLiteral("144")) dialog.findChild<QPushButton*>("1")->click();
        return int(QDialog::Rejected);
    };
    for (const int id : {cmd::performanceMenu, cmd::tradeSignalMenu, cmd::buildModelMenu}) station.frame()->dispatch(id);
    QCOMPARE(opened, QStringList({"Strategy Builder"}));
    QCOMPARE(station.messages.size(), 3);
    for (const QString& message : station.messages)
        QVERIFY2(message.startsWith("Open a price file first: "), qPrintable(message));
}

void CommandDispatchTest::openAndAboutRunTheirDialogs() {
    Workstation station;
    QStringList dialogs;
    station.answerDialog = [&](QDialog& dialog) {
        dialogs << dialog.objectName() + " " + dialog.windowTitle();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(57601);
    station.frame()->dispatch(57664);
    QCOMPARE(dialogs, QStringList({"133 Product Name", "100 About Varkel Model"}));
    QCOMPARE(station.fileDialogs, 0);
}

void CommandDispatchTest::verticalLineItemTogglesItsCheckMark() {
    Workstation station;
    QAction* item = station.frame()->commandAction(32807);
    QVERIFY(item->isCheckable() && !item->isChecked());
    station.frame()->dispatch(32807);
    QVERIFY(item->isChecked());
    QVERIFY(station.app.verticalLineMode);
    item->trigger();  // as a click on the menu item does
    QVERIFY(!item->isChecked());
    QVERIFY(!station.app.verticalLineMode);
}

void CommandDispatchTest::noViewMenuAppearsWhenTheLastViewCloses() {
    Workstation station;
    CMainFrame* frame = station.frame();
    frame->dispatch(57602);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QVERIFY(frame->mdiArea()->subWindowList().isEmpty());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Varkel Model"));
    QCOMPARE(menuTitles(frame), QStringList({"&File", "&View", "&Help"}));
    QStringList fileItems = itemLabels(menuTitled(frame, "&File"));
    fileItems.removeAll("-");
    QCOMPARE(fileItems.first(), QStringLiteral("&Add\tCtrl+N"));
    QVERIFY(fileItems.contains("&Import Price Data..."));
    QVERIFY(fileItems.contains("P&rint Setup..."));
    QVERIFY(fileItems.contains("Recent File"));
    QCOMPARE(fileItems.last(), QStringLiteral("E&xit"));
    QCOMPARE(itemLabels(menuTitled(frame, "&Help")), QStringList({"&About VarkelModel2c..."}));
    QVERIFY(!frame->commandAction(57616)->isEnabled());
    QVERIFY(!frame->commandAction(32805)->isEnabled());
    QVERIFY(frame->commandAction(57601)->isEnabled());

    frame->dispatch(57600);  // Add
    QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(menuTitles(frame).size(), 8);  // the view menus, Window included
    QCOMPARE(frame->mdiArea()->subWindowList().first()->windowTitle(), QStringLiteral("vkm2"));
}

void CommandDispatchTest::recentFileListKeepsFourEntries() {
    Workstation station;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "c.txt"})
        station.app.recentFiles().add(station.directory.filePath(name));
    QSettings store("Local AppWizard-Generated Applications", "VarkelModel2c");
    QStringList stored;
    for (int i = 1; i <= 5; ++i) stored << QFileInfo(store.value(QString("Recent File List/File%1").arg(i)).toString()).fileName();
    QCOMPARE(stored, QStringList({"c.txt", "e.txt", "d.txt", "b.txt", ""}));
    RecentFileList reloaded;
    reloaded.load();
    QCOMPARE(reloaded.files().size(), 4);
}

void CommandDispatchTest::keysDoWhatTheMenuLabelsSay() {
    Workstation station;
    QStringList opened;
    station.answerDialog = [&](QDialog& dialog) {
        opened << dialog.windowTitle();
        return int(QDialog::Rejected);
    };
    QTest::keyClick(station.frame(), Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(station.frame(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(opened, QStringList({"Download Hist File from Internet", "Append Price Data"}));
}

void CommandDispatchTest::windowMenuArrangesAndSwitchesViews() {
    Workstation station;
    CMainFrame* frame = station.frame();
    frame->newDocument();
    frame->newDocument();
    QMenu* menu = menuTitled(frame, "&Window");
    QVERIFY(menu != nullptr);
    emit menu->aboutToShow();
    QCOMPARE(itemLabels(menu), QStringList({"&Cascade", "&Tile", "Ne&xt\tF6", "Pre&vious\tShift+F6", "-", "&1 vkm1",
                                            "&2 vkm2", "&3 vkm3"}));
    const auto checkedItems = [&] {
        emit menu->aboutToShow();
        QStringList checked;
        for (QAction* action : menu->actions())
            if (action->isChecked()) checked << action->text();
        return checked;
    };
    QCOMPARE(checkedItems(), QStringList({"&3 vkm3"}));
    const auto trigger = [&](const QString& label) {
        for (QAction* action : menu->actions())
            if (action->text() == label) action->trigger();
    };
    trigger("&1 vkm1");
    QCOMPARE(frame->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("vkm1"));
    QCOMPARE(checkedItems(), QStringList({"&1 vkm1"}));
    trigger("Ne&xt\tF6");
    QCOMPARE(frame->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("vkm2"));
    trigger("Pre&vious\tShift+F6");
    QCOMPARE(frame->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("vkm1"));

    // Tiled, the three views lie side by side and stay so when another is picked.
    trigger("&Tile");
    trigger("&3 vkm3");
    const QList<QMdiSubWindow*> windows = frame->mdiArea()->subWindowList();
    for (QMdiSubWindow* window : windows) QVERIFY(!window->isMaximized());
    for (int i = 0; i < windows.size(); ++i)
        for (int j = i + 1; j < windows.size(); ++j)
            QVERIFY(!windows[i]->geometry().intersects(windows[j]->geometry()));
    trigger("&Cascade");
    QCOMPARE(windows[0]->size(), windows[1]->size());
    QVERIFY(windows[0]->pos() != windows[1]->pos());
    // A new view fills the area again.
    frame->newDocument();
    QVERIFY(frame->mdiArea()->activeSubWindow()->isMaximized());
}

void CommandDispatchTest::printPreviewOpensReadable() {
    Workstation station;
    QSize size;
    int zoomMode = -1;
    station.answerDialog = [&](QDialog& dialog) {
        size = dialog.size();
        if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) zoomMode = pages->zoomMode();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(57609);
    QVERIFY2(size.width() >= 800 && size.height() >= 600, qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
    QCOMPARE(zoomMode, int(QPrintPreviewWidget::FitToWidth));
}

void CommandDispatchTest::robustnessCommandsOpenTheirWindowsOnTheFrame() {
    Workstation station;
    QStringList dialogs;
    station.answerDialog = [&](QDialog& dialog) {
        dialogs << dialog.objectName() + " " + dialog.windowTitle();
        if (dialog.parentWidget() != station.frame()) dialogs << "not on the frame";
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::parameterSurfaceMenu);
    station.frame()->dispatch(cmd::walkForwardMenu);
    station.frame()->dispatch(cmd::permutationTestMenu);
    station.frame()->dispatch(cmd::scanMenu);
    QCOMPARE(dialogs, QStringList({"parameterSurface Parameter Surface", "walkForward Walk-Forward Analysis",
                                   "permutationTest Permutation Test", "scan Scan"}));
    QVERIFY(station.messages.isEmpty());
}

QTEST_MAIN(CommandDispatchTest)
#include "command_dispatch_test.moc"
