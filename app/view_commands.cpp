// The handlers of the chart view's commands, one function per command (the
// routes are in command_table.cpp). A dialog handler makes its dialog, runs it
// modally through runDialog and lets it go; the dialog's OK does the work on
// activeWorkspace().
#include "app/chart_view.h"

#include "app/chart_workspace.h"
#include "app/seams.h"
#include "app/varkel_app.h"
#include "app/view_printing.h"
#include "data/ui/product_name_dlg.h"
#include "model/ui/strategy_builder_dlg.h"
#include "report/ui/performance_viewer_dlg.h"
#include "report/ui/trade_signal_dlg.h"

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
    // Dialog 138 "Specifying number of tick" opens here.
}

void CVarkelModel2cView::onVerticalLine() {
    CVarkelModel2cApp& app = *CVarkelModel2cApp::instance();
    app.verticalLineMode = !app.verticalLineMode;
    for (const auto& each : app.workspaces) each->view->clearVerticalLines();
}

// The handlers below open dialogs that are built with their own features; each
// dialog goes where its comment says.

void CVarkelModel2cView::onDownload() {
    // Dialog 151 "Download Hist File from Internet".
}

void CVarkelModel2cView::onAppendData() {
    // Dialog 150 "Append Price Data".
}

void CVarkelModel2cView::onMovingAverage() {
    // Dialog 156 "Moving Average Calc".
}

void CVarkelModel2cView::onKeltner() {
    // Dialog 157 "Calc Keltner Channels".
}

void CVarkelModel2cView::onRsi() {
    // Dialog 140 "Calc RSI".
}

void CVarkelModel2cView::onTimeSeriesCorrelation() {
    // Dialog 141 "Time Series Correlation".
}

void CVarkelModel2cView::onMacd() {
    // Dialog 139 "Calc MACD".
}

void CVarkelModel2cView::onStochastics() {
    // Dialog 153 "Stochastics Span".
}

void CVarkelModel2cView::onRateOfChange() {
    // Dialog 146 "Calc Range Of Rate".
}

void CVarkelModel2cView::onLinearRegression() {
    // Dialog 142 "Linear Regression Calc".
}

void CVarkelModel2cView::onNormalDistribution() {
    // Dialog 143 "Calc Normal Distribution".
}

void CVarkelModel2cView::onBuildTradeModel() {
    CStrategyBuilderDlg dialog(window());
    runDialog(dialog);
}

// The report dialogs do their work while they are made, before they show.
void CVarkelModel2cView::onTradeSignal() {
    CTradeSignalDlg dialog(window());
    runDialog(dialog);
}

void CVarkelModel2cView::onPerformanceView() {
    CPerformanceViewerDlg dialog(window());
    runDialog(dialog);
}
