#include "app/command_table.h"

#include "app/chart_view.h"
#include "app/command_ids.h"
#include "app/main_frame.h"

namespace {

using View = CVarkelModel2cView;
using Frame = CMainFrame;

// Every command of the menus, the toolbar and the accelerators. The two ids of
// a menu item and its toolbar button run the same handler. The view's handlers
// are in view_commands.cpp, one function per command.
constexpr CommandRoute commandTable[] = {
    // File
    {cmd::fileNew, nullptr, &Frame::onFileNew},
    {cmd::fileOpen, &View::onFileOpen, &Frame::onFileOpenWithoutView},
    {cmd::downloadMenu, &View::onDownload, nullptr},
    {cmd::downloadButton, &View::onDownload, nullptr},
    {cmd::appendMenu, &View::onAppendData, nullptr},
    {cmd::appendButton, &View::onAppendData, nullptr},
    {cmd::importMenu, nullptr, &Frame::onImportPriceData},
    {cmd::fileClose, &View::onFileClose, nullptr},
    {cmd::print, &View::onPrint, nullptr},
    {cmd::printPreview, &View::onPrintPreview, nullptr},
    {cmd::printSetup, nullptr, &Frame::onPrintSetup},
    {cmd::recentFile1, nullptr, &Frame::onRecentFile},
    {cmd::recentFile1 + 1, nullptr, &Frame::onRecentFile},
    {cmd::recentFile1 + 2, nullptr, &Frame::onRecentFile},
    {cmd::recentFile1 + 3, nullptr, &Frame::onRecentFile},
    {cmd::exit, nullptr, &Frame::onExit},
    // Edit: listed so that their items show, disabled
    {cmd::undo, nullptr, nullptr},
    {cmd::cut, nullptr, nullptr},
    {cmd::copy, nullptr, nullptr},
    {cmd::paste, nullptr, nullptr},
    // View
    {cmd::toolbar, nullptr, &Frame::onToggleToolbar},
    {cmd::statusBar, nullptr, &Frame::onToggleStatusBar},
    {cmd::tickMenu, &View::onTick, nullptr},
    {cmd::zoomButton, &View::onTick, nullptr},
    {cmd::verticalLine, &View::onVerticalLine, nullptr},
    {cmd::nextPane, nullptr, &Frame::onNextPane},
    {cmd::previousPane, nullptr, &Frame::onPreviousPane},
    // Studies
    {cmd::movingAverageMenu, &View::onMovingAverage, nullptr},
    {cmd::movingAverageButton, &View::onMovingAverage, nullptr},
    {cmd::keltnerMenu, &View::onKeltner, nullptr},
    {cmd::keltnerButton, &View::onKeltner, nullptr},
    {cmd::rsiMenu, &View::onRsi, nullptr},
    {cmd::rsiButton, &View::onRsi, nullptr},
    {cmd::correlationMenu, &View::onTimeSeriesCorrelation, nullptr},
    {cmd::correlationButton, &View::onTimeSeriesCorrelation, nullptr},
    {cmd::macdMenu, &View::onMacd, nullptr},
    {cmd::macdButton, &View::onMacd, nullptr},
    {cmd::stochasticsMenu, &View::onStochastics, nullptr},
    {cmd::stochasticsButton, &View::onStochastics, nullptr},
    {cmd::rateOfChangeMenu, &View::onRateOfChange, nullptr},
    {cmd::rateOfChangeButton, &View::onRateOfChange, nullptr},
    {cmd::regressionMenu, &View::onLinearRegression, nullptr},
    {cmd::regressionButton, &View::onLinearRegression, nullptr},
    {cmd::normalDistMenu, &View::onNormalDistribution, nullptr},
    {cmd::normalDistButton, &View::onNormalDistribution, nullptr},
    // Action
    {cmd::buildModelMenu, &View::onBuildTradeModel, nullptr},
    {cmd::buildModelButton, &View::onBuildTradeModel, nullptr},
    {cmd::tradeSignalMenu, &View::onTradeSignal, nullptr},
    {cmd::tradeSignalButton, &View::onTradeSignal, nullptr},
    {cmd::performanceMenu, &View::onPerformanceView, nullptr},
    {cmd::performanceButton, &View::onPerformanceView, nullptr},
    {cmd::parameterSurfaceMenu, &View::onParameterSurface, nullptr},
    {cmd::walkForwardMenu, &View::onWalkForward, nullptr},
    {cmd::permutationTestMenu, &View::onPermutationTest, nullptr},
    {cmd::scanMenu, &View::onScan, nullptr},
    // Data Check
    {cmd::correctFlaggedBarsMenu, &View::onCorrectFlaggedBars, nullptr},
    // Help
    {cmd::about, nullptr, &Frame::onAbout},
};

}  // namespace

const CommandRoute* findCommandRoute(int id) {
    for (const CommandRoute& route : commandTable)
        if (route.id == id) return &route;
    return nullptr;
}
