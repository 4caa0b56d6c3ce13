#include "windows/report/trade_signal_dlg.h"

#include "report/saved_model_check.h"
#include "report/trade_signal.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

using namespace varkel;

namespace {

// The range of the values a chart was given, from the starting values a chart
// asks for (the highest starts low, the lowest starts high).
struct ValueRange {
    double lowest;
    double highest;
};

// Puts one value per real bar into series 0 of `chart`, with the bar's date as
// its point label, and widens `range` to the values.
void fillChart(CChartFX& chart, const Product& product, const std::function<double(const Bar&)>& valueOf,
               ValueRange& range) {
    chart.setSetting(settingGallery, galleryLines);
    chart.openData(dataStyles, 1, 0);
    chart.seriesStyle(0, styleMarkers, 0);  // thousands of points: a plain line
    chart.closeData(dataStyles);
    chart.openData(dataValues, 0, 0);
    for (int i = 0; i < product.historyLength(); ++i) {
        const Bar& bar = product.bars[static_cast<std::size_t>(i)];
        const double value = valueOf(bar);
        chart.setValue(0, i, value);
        chart.setPointLabel(i, bar.dateText);
        range.highest = std::max(range.highest, value);
        range.lowest = std::min(range.lowest, value);
    }
    chart.closeData(dataValues);
}

void hideGrid(CChartFX& chart) {
    chart.setSetting(settingHorizontalGrid, 0);
    chart.setSetting(settingVerticalGrid, 0);
}

}  // namespace

CTradeSignalDlg::CTradeSignalDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent)
    : QDialog(parent),
      workspace_(workspace),
      startDirectory_(std::move(startDirectory)),
      signalText_(new QLabel(this)),
      netProfitText_(new QLabel(this)),
      signalDayText_(new QLabel(this)),
      priceChart_(addChart(1044, "Price Fluctuation")),
      positionChart_(addChart(1045, "Position Transition")),
      pnlChart_(addChart(1046, "PL Curve")) {
    setObjectName(QStringLiteral("148"));
    setWindowTitle(QStringLiteral("Trade Signal for the next trading day"));
    setFont(QFont(QStringLiteral("Tahoma"), 10));

    signalText_->setObjectName(QStringLiteral("1043"));
    signalText_->setAlignment(Qt::AlignCenter);
    signalText_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    signalText_->setMinimumWidth(180);
    QFont signalFont = signalText_->font();
    signalFont.setBold(true);
    signalText_->setFont(signalFont);
    netProfitText_->setObjectName(QStringLiteral("1012"));
    netProfitText_->setMinimumWidth(140);

    auto* draw = new QPushButton(QStringLiteral("Price / Signal"), this);
    draw->setObjectName(QStringLiteral("1"));
    draw->setDefault(true);
    auto* finish = new QPushButton(QStringLiteral("Finish"), this);
    finish->setObjectName(QStringLiteral("2"));
    finish->setAutoDefault(false);
    connect(draw, &QPushButton::clicked, this, &CTradeSignalDlg::accept);
    connect(finish, &QPushButton::clicked, this, &CTradeSignalDlg::reject);

    auto* readOuts = new QHBoxLayout;
    readOuts->addWidget(new QLabel(QStringLiteral("Trade Signal"), this));
    readOuts->addWidget(signalText_);
    readOuts->addSpacing(24);
    readOuts->addWidget(new QLabel(QStringLiteral("Total Net Profit ="), this));
    readOuts->addWidget(netProfitText_);
    readOuts->addStretch();
    readOuts->addWidget(draw);
    readOuts->addWidget(finish);

    signalDayText_->setObjectName(QStringLiteral("signalDay"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(signalDayText_);
    layout->addLayout(readOuts);
    layout->addWidget(priceChart_, 3);
    layout->addWidget(positionChart_, 2);
    layout->addWidget(pnlChart_, 3);
}

CChartFX* CTradeSignalDlg::addChart(int controlId, const char* title) {
    auto* chart = new CChartFX(this);
    chart->setObjectName(QString::number(controlId));
    chart->setMinimumSize(640, 150);
    chart->setTitle(1, title);
    return chart;
}

QString CTradeSignalDlg::signalText() const {
    return signalText_->text();
}

QString CTradeSignalDlg::netProfitText() const {
    return netProfitText_->text();
}

bool CTradeSignalDlg::runSignal() {
    ChartWorkspace* workspace = withPriceChart(workspace_);
    if (workspace == nullptr) {
        showMessage(QStringLiteral("Open a price file first: the trade signal is for the active chart's product."));
        return false;
    }
    const TradeSignal signal = runDailyTradeSignal(workspace->registry, workspace->productName, startDirectory_);
    showSignalDay(*workspace);
    if (signal.productFound && !signal.modelFound) {
        showMessage(QString::fromStdString(noTradeModelMessage(workspace->productName)));
        return false;
    }
    if (!signal.refusal.empty()) {
        showMessage(QString::fromStdString(signal.refusal));
        return false;
    }
    signalText_->setText(QString::fromStdString(signal.signalText));
    netProfitText_->setText(QString::fromStdString(signal.netProfitText));
    if (!signal.baseUsable) return true;  // nothing was written, as intended
    // The trader relies on these files outside the program; say when they are stale.
    // They are written together or neither: one message for both.
    if (!signal.modelSaved || !signal.strategyWritten)
        showMessage(QStringLiteral("Could not write the trade model file %1 or the strategy file %2:\n%3")
                        .arg(QString::fromStdString(signal.modelPath.string()),
                             QString::fromStdString(signal.strategyPath.string()),
                             QString::fromStdString(signal.modelError)));
    return true;
}

void CTradeSignalDlg::showSignalDay(const ChartWorkspace& workspace) {
    const QString product = QString::fromStdString(workspace.productName);
    const Product* found = workspace.registry.findProduct(workspace.productName);
    const int history = found != nullptr ? found->historyLength() : 0;
    const std::string lastDate = history > 0 ? found->bars[std::size_t(history - 1)].dateText : std::string();
    if (const std::optional<int> next = nextTradingDay(lastDate))
        signalDayText_->setText(QStringLiteral("%1: the signal for %2, the trading day after %3")
                                    .arg(product)
                                    .arg(*next)
                                    .arg(QString::fromStdString(lastDate)));
    else
        signalDayText_->setText(QStringLiteral("%1: the signal for the trading day after the last bar").arg(product));
}

void CTradeSignalDlg::accept() {
    drawSignalCharts();
}

void CTradeSignalDlg::drawSignalCharts() {
    ChartWorkspace* workspace = withPriceChart(workspace_);
    if (workspace == nullptr) return;
    const Product* product = workspace->registry.findProduct(workspace->productName);
    if (product == nullptr) return;
    const double history = product->historyLength();

    ValueRange prices{99999.0, -99999.0};
    fillChart(*priceChart_, *product, [](const Bar& bar) { return bar.close; }, prices);
    priceChart_->setPlotRange(0.0, prices.lowest - 3.0, history, prices.highest + 3.0);
    hideGrid(*priceChart_);

    ValueRange positions{0.0, 0.0};  // the range is fixed
    fillChart(*positionChart_, *product, [](const Bar& bar) { return double(bar.position); }, positions);
    positionChart_->setPlotRange(0.0, -2.0, history, 2.0);
    hideGrid(*positionChart_);

    ValueRange pnl{999999999.0, -99999999.0};
    fillChart(*pnlChart_, *product, [](const Bar& bar) { return bar.cumulativePnl; }, pnl);
    pnlChart_->setPlotRange(0.0, pnl.lowest, history, pnl.highest);
    hideGrid(*pnlChart_);
}
