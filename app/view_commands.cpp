// The handlers of the chart view's commands, one function per command (the
// routes are in command_table.cpp). A dialog handler makes its dialog for the
// active workspace and the start directory, runs it modally through runDialog
// and lets it go; the dialog's OK does the work on that workspace.
#include "app/chart_view.h"

#include "app/main_frame.h"
#include "app/open_flow.h"
#include "app/varkel_app.h"
#include "app/view_printing.h"
#include "windows/data/append_data_dlg.h"
#include "windows/data/bar_fix_dlg.h"
#include "windows/data/download_dlg.h"
#include "windows/robustness/parameter_surface_dlg.h"
#include "windows/robustness/permutation_test_dlg.h"
#include "windows/robustness/scan_dlg.h"
#include "windows/model/strategy_builder_dlg.h"
#include "windows/robustness/walk_forward_dlg.h"
#include "windows/report/performance_viewer_dlg.h"
#include "windows/report/trade_signal_dlg.h"
#include "windows/studies/analysis_study.h"
#include "windows/studies/analysis_study_dlg.h"
#include "windows/studies/keltner_dlg.h"
#include "windows/studies/moving_average_dlg.h"
#include "windows/studies/tick_dlg.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

const std::string& startDirectory() {
    return CVarkelModel2cApp::instance()->startDirectory;
}

// The Strategy Builder on `workspace` over `owner`, set up by `prepare`
// before it shows; its builds stay with the workspace.
template <typename Prepare>
void runStrategyBuilder(ChartWorkspace* workspace, QWidget* owner, Prepare prepare) {
    CStrategyBuilderDlg dialog(workspace, startDirectory(), owner);
    dialog.showLastBuild(lastBuildOf(workspace));
    if (workspace != nullptr)
        QObject::connect(&dialog, &CStrategyBuilderDlg::modelBuilt, &dialog, [workspace](const LastBuild& build) {
            CVarkelModel2cApp::instance()->lastBuilds[workspace] = build;
        });
    prepare(dialog);
    runDialog(dialog);
}

// Brings the view of `workspace` to the front, so that the product a window
// turns to is the active one.
void activateViewOf(const ChartWorkspace& workspace) {
    for (QWidget* frame = workspace.view; frame != nullptr; frame = frame->parentWidget()) {
        if (auto* childFrame = qobject_cast<QMdiSubWindow*>(frame)) {
            if (QMdiArea* area = childFrame->mdiArea()) area->setActiveSubWindow(childFrame);
            return;
        }
    }
}

}  // namespace

void CVarkelModel2cView::onFileOpen() {
    runOpenFlow(window());
}

void CVarkelModel2cView::onFileClose() {
    for (QWidget* frame = parentWidget(); frame != nullptr; frame = frame->parentWidget()) {
        if (auto* childFrame = qobject_cast<QMdiSubWindow*>(frame)) {
            childFrame->close();
            return;
        }
    }
}

void CVarkelModel2cView::onPrint() {
    printView(*this);
}

void CVarkelModel2cView::onPrintPreview() {
    previewViewPrint(*this);
}

// Tick and Zoom Chart check the view state before their dialog opens.
void CVarkelModel2cView::onTick() {
    ChartWorkspace* active = activeWorkspace();
    if (active == nullptr) {
        showMessage(QStringLiteral("No chart active"));
        return;
    }
    if (!active->hasPriceChart) {
        showMessage(QStringLiteral("No chart avtive"));
        return;
    }
    CTickDlg dialog(active, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onVerticalLine() {
    CVarkelModel2cApp& app = *CVarkelModel2cApp::instance();
    app.verticalLineMode = !app.verticalLineMode;
    for (const auto& each : app.workspaces)
        if (auto* view = qobject_cast<CVarkelModel2cView*>(each->view)) view->clearVerticalLines();
}

// The handlers below open dialogs that are built with their own features; each
// dialog goes where its comment says.

void CVarkelModel2cView::onDownload() {
    const CVarkelModel2cApp& app = *CVarkelModel2cApp::instance();
    CDownloadDlg dialog(app.getStartDirectory(), app.dataServerOption);
    if (runDialog(dialog) != QDialog::Accepted || !dialog.openRequested()) return;
    CVarkelModel2cView* view = app.mainFrame()->newDocument();
    openPriceFile(*view->workspace(), dialog.productName(), dialog.downloadedPath());
}

void CVarkelModel2cView::onAppendData() {
    CAppendDataDlg dialog;
    // The file most likely wanted: the active chart's, else where price files were opened last.
    const ChartWorkspace* workspace = withPriceChart(activeWorkspace());
    dialog.setFileToOffer(workspace != nullptr ? QFile::decodeName(workspace->pricePath.c_str()) : openDialogFolder());
    runDialog(dialog);
}

void CVarkelModel2cView::onMovingAverage() {
    CMovingAverageDlg dialog(activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onKeltner() {
    CKeltnerDlg dialog(activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onRsi() {
    CAnalysisStudyDlg dialog(rsiStudy, activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onTimeSeriesCorrelation() {
    CAnalysisStudyDlg dialog(timeSeriesCorrelationStudy, activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onMacd() {
    CAnalysisStudyDlg dialog(macdStudy, activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onStochastics() {
    CAnalysisStudyDlg dialog(stochasticsStudy, activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onRateOfChange() {
    CAnalysisStudyDlg dialog(rateOfChangeStudy, activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onLinearRegression() {
    CAnalysisStudyDlg dialog(linearRegressionStudy, activeWorkspace(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onNormalDistribution() {
    CAnalysisStudyDlg dialog(normalDistributionStudy, activeWorkspace(), window());
    runDialog(dialog);
}

// The builder's last build stays with the workspace for the Parameter Surface window.
void CVarkelModel2cView::onBuildTradeModel() {
    runStrategyBuilder(activeWorkspace(), window(), [](CStrategyBuilderDlg&) {});
}

// The report dialogs do their work before they show: the signal (which writes
// the model and strategy files) and the saved model's texts.
void CVarkelModel2cView::onTradeSignal() {
    CTradeSignalDlg dialog(activeWorkspace(), startDirectory(), window());
    if (dialog.runSignal()) runDialog(dialog);
}

void CVarkelModel2cView::onPerformanceView() {
    CPerformanceViewerDlg dialog(activeWorkspace(), startDirectory(), window());
    if (dialog.showSavedModel()) runDialog(dialog);
}

// Robustness: the last build's parameter surface, the builder walked forward,
// and the builder's search on shuffled histories.
void CVarkelModel2cView::onParameterSurface() {
    const ChartWorkspace* workspace = activeWorkspace();
    CParameterSurfaceDlg dialog(
        workspace != nullptr ? surfaceToShow(lastBuildOf(workspace), workspace->productName) : std::nullopt, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onWalkForward() {
    CWalkForwardDlg dialog(activeWorkspace(), startDirectory(), window());
    runDialog(dialog);
}

void CVarkelModel2cView::onPermutationTest() {
    ChartWorkspace* workspace = activeWorkspace();
    CPermutationTestDlg dialog(workspace, startDirectory(), window());
    // The Strategy Builder's last build of this product, when there is one.
    if (const std::optional<LastBuild> build = lastBuildOf(workspace);
        build && workspace != nullptr && build->productName == workspace->productName)
        dialog.setBuild(indexChoiceOf(build->model), build->selection);
    runDialog(dialog);
}

// Every open history may take part; a row's "Build this model" turns to its
// product's view and opens the builder there with the row's combination.
void CVarkelModel2cView::onScan() {
    std::vector<ChartWorkspace*> open;
    for (const auto& workspace : CVarkelModel2cApp::instance()->workspaces)
        if (withPriceChart(workspace.get()) != nullptr) open.push_back(workspace.get());
    CScanDlg dialog(open, activeWorkspace(), startDirectory(), window());
    QObject::connect(&dialog, &CScanDlg::buildThisModel, &dialog,
                     [&dialog](ChartWorkspace* workspace, const ScanModelChoice& chosen) {
                         activateViewOf(*workspace);
                         runStrategyBuilder(workspace, &dialog, [&chosen](CStrategyBuilderDlg& builder) {
                             builder.setGrids(chosen.grids);
                             builder.setChoice(chosen.choice, chosen.selection);
                         });
                     });
    runDialog(dialog);
}

void CVarkelModel2cView::onCorrectFlaggedBars() {
    const ChartWorkspace* workspace = activeWorkspace();
    if (workspace == nullptr || !workspace->hasPriceChart) return;
    correctFlaggedBars(QFile::decodeName(workspace->pricePath.c_str()), QString::fromStdString(workspace->productName));
}
