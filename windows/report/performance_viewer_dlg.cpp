#include "windows/report/performance_viewer_dlg.h"

#include "model/trade_model_file.h"
#include "report/performance_texts.h"
#include "report/saved_model_check.h"
#include "report/sharpe_transition.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace varkel;

namespace {

// The model saved for the product; the "not used" model when there is no
// readable file, so that every study reads "N/A".
TradeModel loadSavedModel(const std::filesystem::path& startDirectory, const std::string& productName) {
    TradeModel model;
    loadTradeModel(model, performanceFilePath(startDirectory, productName));
    return model;
}

}  // namespace

CPerformanceViewerDlg::CPerformanceViewerDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory,
                                             QWidget* parent)
    : QDialog(parent),
      workspace_(workspace),
      startDirectory_(std::move(startDirectory)),
      sharpeChart_(new CChartFX(this)) {
    setObjectName(QStringLiteral("147"));
    setWindowTitle(QStringLiteral("Performance Viewer"));
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    auto* figures = new QGridLayout;
    const std::pair<const char*, int> figureRows[] = {
        {"Winning Rate", 1031}, {"Sharpe Ratio", 1029},     {"Kelly Formula", 1032},     {"Gross Profit", 1035},
        {"Gross Loss", 1036},   {"Net Profit", 1037},       {"Number of Trades", 1033}, {"Number of Winnings", 1034}};
    for (int row = 0; const auto& [caption, id] : figureRows) {
        figures->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
        figures->addWidget(addReadOut(id), row++, 1);
    }
    figures->setRowStretch(8, 1);

    // Each index: its caption and name, then its parameter lines below it with
    // line 4 (the filter value) on the right.
    struct IndexRows {
        const char* caption;
        int name;
        int lines[3];
        int line4;
    };
    const IndexRows indexRows[] = {{"Base Index", 1021, {1038, 1039, 1040}, 1041},
                                   {"Secondary Index", 1022, {1042, 1043, 0}, 1044},
                                   {"Third Index", 1023, {1045, 1046, 0}, 1047}};
    auto* indexes = new QGridLayout;
    int row = 0;
    for (const IndexRows& index : indexRows) {
        indexes->addWidget(new QLabel(QString::fromLatin1(index.caption), this), row, 0);
        indexes->addWidget(addReadOut(index.name), row++, 1, 1, 2);
        indexes->addWidget(addReadOut(index.line4), row, 2);
        for (const int line : index.lines)
            if (line != 0) indexes->addWidget(addReadOut(line), row++, 1);
    }
    indexes->setColumnMinimumWidth(1, 150);
    indexes->setColumnMinimumWidth(2, 200);

    auto* texts = new QHBoxLayout;
    texts->addLayout(figures);
    texts->addSpacing(24);
    texts->addLayout(indexes, 1);

    sharpeChart_->setObjectName(QStringLiteral("1055"));
    sharpeChart_->setMinimumSize(560, 240);
    sharpeChart_->setTitle(1, "Sharpe Ratio Transition");

    auto* showButton = new QPushButton(QStringLiteral("Show Performance Trans."), this);
    showButton->setObjectName(QStringLiteral("1057"));
    showButton->setAutoDefault(false);
    auto* exitButton = new QPushButton(QStringLiteral("EXIT"), this);
    exitButton->setObjectName(QStringLiteral("1"));
    exitButton->setDefault(true);
    connect(showButton, &QPushButton::clicked, this, &CPerformanceViewerDlg::drawSharpeTransition);
    connect(exitButton, &QPushButton::clicked, this, &CPerformanceViewerDlg::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(showButton);
    buttons->addWidget(exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(addReadOut(1030));
    layout->addLayout(texts);
    layout->addWidget(sharpeChart_, 1);
    layout->addLayout(buttons);
}

QLabel* CPerformanceViewerDlg::addReadOut(int controlId) {
    auto* text = new QLabel(this);
    text->setObjectName(QString::number(controlId));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readOuts_[controlId] = text;
    return text;
}

QLabel* CPerformanceViewerDlg::readOut(int controlId) const {
    const auto found = readOuts_.find(controlId);
    return found != readOuts_.end() ? found->second : nullptr;
}

bool CPerformanceViewerDlg::showSavedModel() {
    // An empty view has no product: a default model's zeros would read as figures.
    if (withPriceChart(workspace_) == nullptr) {
        showMessage(QStringLiteral("Open a price file first: the Performance Viewer shows the model saved for the "
                                   "active chart's product."));
        return false;
    }
    const std::string& product = workspace_->productName;
    TradeModel model;
    if (!loadTradeModel(model, performanceFilePath(startDirectory_, product))) {
        showMessage(QString::fromStdString(noTradeModelMessage(product)));
        return false;
    }
    const PerformanceTexts texts = performanceTexts(product, model);
    for (const PerformanceText& entry : texts.entries)
        if (QLabel* text = readOut(entry.controlId)) text->setText(QString::fromStdString(entry.text));
    return true;
}

void CPerformanceViewerDlg::drawSharpeTransition() {
    ChartWorkspace* workspace = withPriceChart(workspace_);
    if (workspace == nullptr) return;
    const Product* product = workspace->registry.findProduct(workspace->productName);
    if (product == nullptr) return;
    const TradeModel model = loadSavedModel(startDirectory_, workspace->productName);
    if (!recomputeSharpeTransition(workspace->registry, workspace->productName, model)) return;

    const int history = product->historyLength();
    double highest = -99999.0;
    double lowest = 99999.0;
    sharpeChart_->setSetting(settingGallery, galleryLines);
    sharpeChart_->openData(dataStyles, 1, 0);
    sharpeChart_->seriesStyle(0, styleMarkers, 0);  // thousands of points: a plain line
    sharpeChart_->closeData(dataStyles);
    sharpeChart_->openData(dataValues, 0, 0);
    for (int i = 0; i < history; ++i) {
        const double ratio = product->bars[static_cast<std::size_t>(i)].rolling20Ratio;
        sharpeChart_->setValue(0, i, ratio);
        sharpeChart_->setPointLabel(i, product->bars[static_cast<std::size_t>(i)].dateText);
        highest = std::max(highest, ratio);
        lowest = std::min(lowest, ratio);
    }
    sharpeChart_->closeData(dataValues);
    sharpeChart_->setPlotRange(0.0, lowest - 3.0, history, highest + 3.0);
}
