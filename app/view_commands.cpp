// The handlers of the chart view's commands, one function per command (the
// routes are in command_table.cpp). A dialog handler makes its dialog, runs it
// modally through runDialog and lets it go; the dialog's OK does the work on
// activeWorkspace().
#include "app/chart_view.h"

#include "app/chart_workspace.h"
#include "app/seams.h"
#include "app/varkel_app.h"
#include "app/view_printing.h"
#include "data/ui/append_data_dlg.h"
#include "data/ui/download_dlg.h"
#include "data/ui/product_name_dlg.h"
#include "studies/ui/analysis_study.h"
#include "studies/ui/analysis_study_dlg.h"
#include "studies/ui/keltner_dlg.h"
#include "studies/ui/moving_average_dlg.h"
#include "studies/ui/tick_dlg.h"

#include <QMdiSubWindow>

void CVarkelModel2cView::onFileOpen() {
    CProductNameDlg dialog(window());
    runDialog(dialog);
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
    CTickDlg dialog(window());
    runDialog(dialog);
}

void CVarkelModel2cView::onVerticalLine() {
    CVarkelModel2cApp& app = *CVarkelModel2cApp::instance();
    app.verticalLineMode = !app.verticalLineMode;
    for (const auto& each : app.workspaces) each->view->clearVerticalLines();
}

// The handlers below open dialogs that are built with their own features; each
// dialog goes where its comment says.

void CVarkelModel2cView::onDownload() {
    const CVarkelModel2cApp& app = *CVarkelModel2cApp::instance();
    CDownloadDlg dialog(app.getStartDirectory(), app.dataServerOption);
    runDialog(dialog);
}

void CVarkelModel2cView::onAppendData() {
    CAppendDataDlg dialog;
    runDialog(dialog);
}

void CVarkelModel2cView::onMovingAverage() {
    CMovingAverageDlg dialog(window());
    runDialog(dialog);
}

void CVarkelModel2cView::onKeltner() {
    CKeltnerDlg dialog(window());
    runDialog(dialog);
}

void CVarkelModel2cView::onRsi() {
    CAnalysisStudyDlg dialog(rsiStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onTimeSeriesCorrelation() {
    CAnalysisStudyDlg dialog(timeSeriesCorrelationStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onMacd() {
    CAnalysisStudyDlg dialog(macdStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onStochastics() {
    CAnalysisStudyDlg dialog(stochasticsStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onRateOfChange() {
    CAnalysisStudyDlg dialog(rateOfChangeStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onLinearRegression() {
    CAnalysisStudyDlg dialog(linearRegressionStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onNormalDistribution() {
    CAnalysisStudyDlg dialog(normalDistributionStudy, window());
    runDialog(dialog);
}

void CVarkelModel2cView::onBuildTradeModel() {
    // Dialog 144 "Strategy Builder".
}

void CVarkelModel2cView::onTradeSignal() {
    // Dialog 148 "Trade Signal for the next trading day".
}

void CVarkelModel2cView::onPerformanceView() {
    // Dialog 147 "Performance Viewer".
}
