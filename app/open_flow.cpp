#include "app/open_flow.h"

#include "app/recent_files.h"
#include "app/start_directory.h"
#include "app/varkel_app.h"
#include "chart/price_chart_setup.h"
#include "chart/workspace_reload.h"
#include "data/price_check.h"
#include "data/price_file.h"
#include "windows/data/price_check_message.h"
#include "windows/data/product_name_dlg.h"
#include "windows/data/bar_fix_dlg.h"
#include "windows/data/price_check_message.h"
#include "windows/data/product_name_dlg.h"
#include "studies/study_catalogue.h"
#include "studies/trend_studies.h"
#include "windows/studies/chart_repaint.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"
#include "workbench/tab_strip.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>

#include <new>

using namespace varkel;

namespace {

constexpr int shortAverageSpan = 20;
constexpr int longAverageSpan = 40;
constexpr const char* openedChartTitle = "Moving Avr (20,40)";

// Tells the user, once the chart is shown, what the load could not use and
// what the data-quality check found in the lines it did use, and offers to
// correct the bars it flags as wrong prices.
void reportLoadProblems(const PriceFileLoad& load, const QString& product, const QString& path) {
    if (load.tooLarge)
        showMessage(QString::fromStdString(priceFileTooLargeMessage(path.toStdString())));
    else if (!load.opened)
        showMessage(QStringLiteral("Could not read the price file %1").arg(path));
    else {
        const PriceCheck check = checkPriceFile(QFile::encodeName(path).toStdString(), product.toStdString());
        reportPriceCheck(check, QFileInfo(path).fileName());
        offerBarFixes(check, path, product);
    }
}

bool sameFile(const std::string& shown, const QString& written) {
    const QFileInfo shownFile(QFile::decodeName(shown.c_str()));
    const QFileInfo writtenFile(written);
    return shownFile.exists() && writtenFile.exists() && shownFile.canonicalFilePath() == writtenFile.canonicalFilePath();
}

}  // namespace

QString openDialogFolder() {
    CVarkelModel2cApp& app = *CVarkelModel2cApp::instance();
    const QStringList& recent = app.recentFiles().files();
    if (!recent.isEmpty()) return QFileInfo(recent.first()).absolutePath();
    const QString samples = sampleFolder();
    return samples.isEmpty() ? QString::fromStdString(app.startDirectory) : samples;
}

void reloadViewsShowing(const QString& path) {
    for (const auto& workspace : CVarkelModel2cApp::instance()->workspaces) {
        if (!workspace->hasPriceChart || !sameFile(workspace->pricePath, path)) continue;
        const PriceFileLoad load = reloadWorkspaceProduct(*workspace);
        if (!load) {
            showMessage(QStringLiteral("Could not read the price file %1").arg(path));
            continue;
        }
        repaintEveryChart(*workspace);
        if (workspace->priceChart != nullptr) finishChart(*workspace->priceChart);
    }
}

void runOpenFlow(QWidget* owner, const QString& pricePath) {
    CProductNameDlg dialog(owner);
    // A file named after its product (USD_JPY.txt) names the product: the
    // dialog offers it, and the user may still change it.
    if (!pricePath.isEmpty())
        dialog.productCombo()->setEditText(QFileInfo(pricePath).completeBaseName().replace(QLatin1Char('_'), QLatin1Char('/')));
    if (runDialog(dialog) != QDialog::Accepted) return;
    ChartWorkspace* workspace = activeWorkspace();
    if (workspace == nullptr) return;
    QString path = pricePath;
    if (path.isEmpty())
        path = askOpenFileName(owner, QStringLiteral("Text Files (*.txt);;All Files (*)"), openDialogFolder());
    if (path.isEmpty()) return;
    openPriceFile(*workspace, dialog.productName(), path);
}

bool openPriceFile(ChartWorkspace& workspace, const QString& product, const QString& path) {
    if (workspace.hasPriceChart) {
        showMessage(QStringLiteral("Product has been on the tab"));
        return false;
    }
    const std::string name = product.toStdString();
    workspace.productName = name;
    auto* chart = new (std::nothrow) CChartFX(workspace.productTab);
    if (chart == nullptr) {
        showMessage(QStringLiteral("Could not generate Chart"));
        return false;
    }
    chart->hide();

    workspace.registry.addProduct(name);
    const PriceFileLoad load = loadPriceFile(workspace.registry, name, QFile::encodeName(path).toStdString());
    static const Product noProduct;
    const Product* found = workspace.registry.findProduct(name);
    const Product& opened = found != nullptr ? *found : noProduct;
    workspace.pricePath = QFile::encodeName(path).toStdString();
    recordStudyRun(workspace, StudyKind::MovingAverages, {shortAverageSpan, longAverageSpan});
    calcMovingAverage(workspace.registry, name, shortAverageSpan, 1);
    calcMovingAverage(workspace.registry, name, longAverageSpan, 2);

    workspace.priceChart = chart;
    applyPriceChartLook(*chart);
    workspace.productTab->insertTab(0, product);
    chart->moveWindow(0, TabStrip::tabRowHeight, workspace.productTab->width(),
                      workspace.productTab->height() - TabStrip::tabRowHeight);
    chart->show();
    workspace.hasPriceChart = true;

    chart->openData(dataValues, 0, 6);
    const PriceRange range = fillOpenedPriceChart(*chart, opened);
    chart->closeData(dataValues);
    applyPriceSeriesStyles(*chart);
    chart->setPlotRange(0.0, range.minLow - workspace.rangeMargin, opened.barCount() + 10,
                        range.maxHigh + workspace.rangeMargin);
    workspace.barsTotal = workspace.barsShown = opened.barCount();
    workspace.maxHigh = range.maxHigh;
    workspace.minLow = range.minLow;
    chart->setTitle(1, openedChartTitle);
    nameAverageLines(workspace, shortAverageSpan, longAverageSpan);
    finishChart(*chart);

    workspace.view->setWindowTitle(product);
    if (load.opened) CVarkelModel2cApp::instance()->recentFiles().add(path);
    reportLoadProblems(load, product, path);
    return true;
}
