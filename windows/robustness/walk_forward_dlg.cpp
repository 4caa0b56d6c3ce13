#include "windows/robustness/walk_forward_dlg.h"

#include "base/atomic_file.h"
#include "search/build_validation.h"
#include "robustness/history_cut.h"
#include "report/walk_forward_texts.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"
#include "workbench/window_size.h"
#include "workbench/worker_threads_setting.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>

using namespace varkel;

namespace {

const char* const foldColumns[] = {"Fold", "Train", "Test", "Base", "2nd", "3rd", "In-sample", "Out-of-sample",
                                   "Efficiency"};

QString dates(const Product& product, int from, int to) {
    return QString::fromStdString(product.bars[from].dateText + " - " + product.bars[to - 1].dateText);
}

QString fixed(double value) {
    return QString::number(value, 'f', 4);
}

QString optional(const std::optional<double>& value) {
    return QString::fromStdString(optionalText(value, "%.4f"));
}

// The running sum of `daily` from 0.0, in bar order.
QVector<double> cumulative(const std::vector<double>& daily) {
    QVector<double> sums;
    double sum = 0.0;
    for (double value : daily) sums << (sum += value);
    return sums;
}

}  // namespace

CWalkForwardDlg::CWalkForwardDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent)
    : RunDialog(parent),
      indexPicker_(this, {"baseIndex", "use2nd", "secondIndex", "use3rd", "thirdIndex"}, 180),
      trainBars_(new QSpinBox(this)),
      testBars_(new QSpinBox(this)),
      windowList_(new QComboBox(this)),
      selectionList_(new QComboBox(this)),
      foldTable_(new QTableWidget(0, std::size(foldColumns), this)),
      totals_(new QWidget(this)),
      chart_(new QCustomPlot(this)),
      verdictText_(new QLabel(this)),
      parameterKey_(new QLabel(this)),
      dataQualityText_(new QLabel(this)),
      controls_(this),
      workspace_(workspace),
      startDirectory_(std::move(startDirectory)) {
    setUpEntries();
    setUpFoldTable();
    setUpTotals();
    setUpChart();
    setUpTexts();
    layOut();
}

// The window's name, the run's entries and the buttons.
void CWalkForwardDlg::setUpEntries() {
    setObjectName(QStringLiteral("walkForward"));
    setWindowTitle(QStringLiteral("Walk-Forward Analysis"));
    trainBars_->setObjectName(QStringLiteral("trainBars"));
    testBars_->setObjectName(QStringLiteral("testBars"));
    windowList_->setObjectName(QStringLiteral("trainWindows"));
    selectionList_->setObjectName(QStringLiteral("selection"));
    foldTable_->setObjectName(QStringLiteral("foldTable"));
    chart_->setObjectName(QStringLiteral("walkForwardChart"));

    for (QSpinBox* bars : {trainBars_, testBars_}) {
        bars->setRange(0, 1000000);
        bars->setSuffix(QStringLiteral(" bars"));
    }
    const FoldSettings defaults;
    trainBars_->setValue(defaults.trainBars);
    testBars_->setValue(defaults.testBars);
    trainBars_->setToolTip(QStringLiteral("Bars each fold builds its model on (at least %1)").arg(smallestTrainLength));
    testBars_->setToolTip(QStringLiteral("Bars each fold then trades its model on, unseen"));
    windowList_->addItems({QStringLiteral("Rolling"), QStringLiteral("Anchored")});
    windowList_->setToolTip(
        QStringLiteral("Rolling: train on the last train-length bars; anchored: train on every bar from the first"));
    selectionList_->addItems({QStringLiteral("Best"), QStringLiteral("Plateau")});
    selectionList_->setToolTip(QStringLiteral(
        "Best: each layer keeps its best trial; plateau: the trial whose grid neighbours earn most on average"));
    connect(controls_.run, &QPushButton::clicked, this, &CWalkForwardDlg::run);
    connect(controls_.cancel, &QPushButton::clicked, this, &CWalkForwardDlg::cancel);
    connect(controls_.save, &QPushButton::clicked, this, &CWalkForwardDlg::askAndSaveCsv);
}

// One row per fold; every column says what it holds.
void CWalkForwardDlg::setUpFoldTable() {
    QStringList headers;
    for (const char* column : foldColumns) headers << QString::fromLatin1(column);
    foldTable_->setHorizontalHeaderLabels(headers);
    foldTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    foldTable_->verticalHeader()->setVisible(false);
    foldTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    foldTable_->horizontalHeader()->setStretchLastSection(true);
    const char* const columnTips[] = {
        "The fold's number",
        "The bars the fold's model was built on",
        "The bars the fold's model then traded, unseen",
        "The base index's parameters chosen on the train bars",
        "The 2nd index's span and threshold",
        "The 3rd index's span and threshold",
        "What the chosen model earned on its train bars",
        "What it earned on the test bars it had not seen",
        "Out-of-sample profit per bar over in-sample profit per bar"};
    for (int column = 0; column < foldTable_->columnCount(); ++column)
        foldTable_->horizontalHeaderItem(column)->setToolTip(QString::fromLatin1(columnTips[column]));
}

// The totals of all folds, a caption and a value each.
void CWalkForwardDlg::setUpTotals() {
    auto* totalsLayout = new QGridLayout(totals_);
    totalsLayout->setContentsMargins(0, 0, 0, 0);
    addTotal("netProfit", QStringLiteral("Net profit"),
             QStringLiteral("What the stitched out-of-sample trades earned in all"));
    addTotal("sharpe", QStringLiteral("Sharpe ratio"),
             QStringLiteral("Mean over standard deviation of the out-of-sample daily P&L, per bar and x sqrt(252)"));
    addTotal("maxDrawdown", QStringLiteral("Max drawdown"),
             QStringLiteral("The largest fall of the out-of-sample curve from a peak"));
    addTotal("profitableFolds", QStringLiteral("Profitable folds"),
             QStringLiteral("Folds whose test bars made a profit"));
    addTotal("efficiency", QStringLiteral("Efficiency"),
             QStringLiteral("Out-of-sample profit per bar over in-sample profit per bar, all folds; near 1 holds up"));
    addTotal("parameterChanges", QStringLiteral("Base changes"),
             QStringLiteral("Folds whose base parameters differ from the fold before: many mean an unstable choice"));
    addTotal("wholeHistory", QStringLiteral("Whole-history build"),
             QStringLiteral("What a normal build on all bars earns over the same test bars: an in-sample figure"));
    totalsLayout->setRowStretch(static_cast<int>(totalTexts_.size()), 1);
}

// The stitched out-of-sample curve and the whole-history build's, the legend under them.
void CWalkForwardDlg::setUpChart() {
    chart_->setMinimumSize(360, 200);
    // The legend stands in a row of its own under the plot, never over the curves.
    chart_->legend->setVisible(true);
    auto* legendRow = new QCPLayoutGrid;
    chart_->plotLayout()->addElement(1, 0, legendRow);
    legendRow->setMargins(QMargins(5, 0, 5, 5));
    legendRow->addElement(0, 0, chart_->legend);
    chart_->legend->setFillOrder(QCPLegend::foColumnsFirst);
    chart_->plotLayout()->setRowStretchFactor(1, 0.001);
    chart_->xAxis->setLabel(QStringLiteral("Date (start of each test window)"));
    chart_->yAxis->setLabel(QStringLiteral("Cumulative P&L"));
}

// The verdict, the parameter columns' key and the data-quality note.
void CWalkForwardDlg::setUpTexts() {
    verdictText_->setObjectName(QStringLiteral("verdict"));
    verdictText_->setStyleSheet(QStringLiteral("font-weight: bold"));
    parameterKey_->setObjectName(QStringLiteral("parameterKey"));
    dataQualityText_->setObjectName(QStringLiteral("dataQuality"));
    dataQualityText_->setStyleSheet(QStringLiteral("color: #b35c00"));
    for (QLabel* text : {verdictText_, parameterKey_, dataQualityText_}) {
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}

// The entries on top, the table over the chart and totals, the texts and the run's row at the foot.
void CWalkForwardDlg::layOut() {
    auto* indexes = new QGridLayout;
    indexPicker_.place(indexes);
    indexes->addWidget(new QLabel(QStringLiteral("Train"), this), 0, 2);
    indexes->addWidget(trainBars_, 0, 3);
    indexes->addWidget(new QLabel(QStringLiteral("Test"), this), 1, 2);
    indexes->addWidget(testBars_, 1, 3);
    indexes->addWidget(new QLabel(QStringLiteral("Windows"), this), 0, 4);
    indexes->addWidget(windowList_, 0, 5);
    indexes->addWidget(new QLabel(QStringLiteral("Select"), this), 1, 4);
    indexes->addWidget(selectionList_, 1, 5);
    indexes->setColumnStretch(6, 1);

    auto* results = new QSplitter(Qt::Vertical, this);
    results->addWidget(foldTable_);
    auto* lower = new QWidget(results);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(chart_, 1);
    lowerLayout->addWidget(totals_);
    results->addWidget(lower);
    results->setStretchFactor(0, 2);
    results->setStretchFactor(1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(indexes);
    layout->addWidget(results, 1);
    layout->addWidget(verdictText_);
    layout->addWidget(parameterKey_);
    layout->addWidget(dataQualityText_);
    layout->addLayout(controls_.makeRow());
    rememberWindowSize(this, QStringLiteral("Walk-Forward Analysis"), QSize(980, 660));
}

CWalkForwardDlg::~CWalkForwardDlg() = default;

QLabel* CWalkForwardDlg::addTotal(const char* name, const QString& caption, const QString& tip) {
    auto* layout = static_cast<QGridLayout*>(totals_->layout());
    const int row = static_cast<int>(totalTexts_.size());
    auto* label = new QLabel(caption, totals_);
    auto* value = new QLabel(totals_);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLabel* each : {label, value}) each->setToolTip(tip);
    layout->addWidget(label, row, 0);
    layout->addWidget(value, row, 1);
    totalTexts_.push_back(value);
    return value;
}

IndexChoice CWalkForwardDlg::readChoice() const { return indexPicker_.choice(); }

WalkForwardOptions CWalkForwardDlg::readOptions() const {
    WalkForwardOptions options;
    options.folds.trainBars = trainBars_->value();
    options.folds.testBars = testBars_->value();
    options.folds.anchored = windowList_->currentIndex() == 1;
    options.selection = selectionList_->currentIndex() == 1 ? TrialSelection::plateau : TrialSelection::best;
    options.grids = grids_;
    options.threads = storedWorkerThreads();
    return options;
}

void CWalkForwardDlg::run() {
    if (isRunning()) return;
    const Product* product =
        withPriceChart(workspace_) != nullptr ? workspace_->registry.findProduct(workspace_->productName) : nullptr;
    if (product == nullptr) {
        showMessage(QStringLiteral("Open a price file first: the walk-forward runs on the active chart's product."));
        return;
    }
    const IndexChoice choice = readChoice();
    if (const auto refusal = validateIndexChoice(choice)) {
        showMessage(QString::fromStdString(*refusal));
        return;
    }
    WalkForwardOptions options = readOptions();
    const FoldPlan plan = planFolds(product->historyLength(), options.folds);
    if (plan.refusal != FoldRefusal::None) {
        showMessage(QString::fromStdString(foldRefusalText(plan.refusal, product->historyLength(), options.folds)));
        return;
    }

    clearResults();
    runTask().watch(options);
    startRun(
        [history = historyCutAt(*product, product->historyLength()), name = product->name, choice, options]() mutable {
            WalkForwardReport report = runWalkForward(history, name, choice, options);
            return WalkedCopy{std::move(report), std::move(history), std::move(name), options.folds.testBars};
        },
        [this](WalkedCopy walked) { showEnd(std::move(walked)); });
    showProgress(static_cast<int>(WalkForwardStage::BaseSearch), 0, 1);
}

void CWalkForwardDlg::showProgress(int stage, std::int64_t done, std::int64_t total) {
    controls_.progress->setRange(0, static_cast<int>(std::max<std::int64_t>(total, 1)));
    controls_.progress->setValue(static_cast<int>(done));
    controls_.progress->setFormat(stage == static_cast<int>(WalkForwardStage::BaseSearch) ? QStringLiteral("Base search: %v of %m trials")
                                                               : QStringLiteral("Folds built: %v of %m"));
}

void CWalkForwardDlg::setBusy(bool busy) {
    controls_.run->setEnabled(!busy);
    controls_.cancel->setEnabled(busy);
    controls_.save->setEnabled(!busy && !report_.folds.empty());
    indexPicker_.setEnabled(!busy);
    for (QWidget* entry : std::initializer_list<QWidget*>{trainBars_, testBars_, windowList_, selectionList_})
        entry->setEnabled(!busy);
}

void CWalkForwardDlg::showEnd(WalkedCopy walked) {
    if (walked.report.done()) {
        report_ = std::move(walked.report);
        history_ = std::move(walked.history);
        productName_ = std::move(walked.productName);
        askedTestBars_ = walked.testBars;
        showReport();
        controls_.progress->setFormat(QStringLiteral("%1 folds walked").arg(report_.folds.size()));
    } else {
        const bool cancelled = walked.report.outcome == RunOutcome::Cancelled;
        controls_.progress->setFormat(cancelled ? QStringLiteral("Cancelled") : QStringLiteral("Nothing to show"));
        // The choice and the folds were checked before the run: what is left
        // is a walk-forward that wants more memory than it may take.
        if (!cancelled) showMessage(QString::fromStdString(walked.report.refusal));
    }
}

void CWalkForwardDlg::clearResults() {
    report_ = WalkForwardReport();
    foldTable_->setRowCount(0);
    for (QLabel* text : totalTexts_) text->clear();
    for (QLabel* text : {verdictText_, parameterKey_, dataQualityText_}) text->clear();
    chart_->clearGraphs();
    chart_->clearItems();
    chart_->replot();
}

void CWalkForwardDlg::showReport() {
    fillTable();
    fillTotals();
    drawCurves();
    std::string verdict = walkForwardVerdict(report_);
    if (const std::string cut = cutTestWindowText(report_, askedTestBars_); !cut.empty()) verdict += "\n" + cut;
    verdictText_->setText(QString::fromStdString(verdict));
    parameterKey_->setText(QStringLiteral("Columns: ") + QString::fromStdString(parameterColumnKey(report_)));
    if (workspace_ != nullptr)
        dataQualityText_->setText(QString::fromStdString(
            walkForwardDataQualityNote(report_, *history_.findProduct(productName_), workspace_->pricePath)));
}

void CWalkForwardDlg::fillTable() {
    const Product& product = *history_.findProduct(productName_);
    foldTable_->setRowCount(static_cast<int>(report_.folds.size()));
    for (int k = 0; k < static_cast<int>(report_.folds.size()); ++k) {
        const FoldResult& fold = report_.folds[k];
        const TradeModel& m = fold.model;
        const QString cells[] = {
            QString::number(k + 1),
            dates(product, fold.bars.trainFrom, fold.bars.trainTo),
            dates(product, fold.bars.testFrom, fold.bars.testTo),
            QString::fromStdString(foldBaseText(m.layers[0])),
            QString::fromStdString(foldFilterText(m.layers[1])),
            QString::fromStdString(foldFilterText(m.layers[2])),
            fixed(fold.inSampleReturn),
            fixed(fold.outOfSampleReturn),
            optional(fold.efficiency())};
        for (int column = 0; column < foldTable_->columnCount(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 0 || column >= 6) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            foldTable_->setItem(k, column, item);
        }
    }
}

void CWalkForwardDlg::fillTotals() {
    const WalkForwardTotals& totals = report_.totals;
    const int folds = static_cast<int>(report_.folds.size());
    const QString texts[] = {
        fixed(totals.netProfit),
        optional(totals.sharpePerBar) + QStringLiteral(" per bar, ") + optional(totals.sharpeAnnualised()) +
            QStringLiteral(" a year"),
        fixed(totals.maxDrawdown),
        QStringLiteral("%1 of %2 (%3 %)").arg(totals.profitableFolds).arg(totals.folds).arg(
            totals.profitableFoldShare() * 100.0, 0, 'f', 1),
        optional(totals.efficiency),
        QStringLiteral("%1 of %2").arg(totals.parameterChanges).arg(std::max(folds - 1, 0)),
        fixed(report_.wholeHistoryTestReturn)};
    for (std::size_t i = 0; i < totalTexts_.size(); ++i) totalTexts_[i]->setText(texts[i]);
}

void CWalkForwardDlg::drawCurves() {
    const Product& product = *history_.findProduct(productName_);
    const int firstTest = report_.folds.front().bars.testFrom;
    QVector<double> bars;
    for (int i = 0; i < static_cast<int>(report_.outOfSampleDaily.size()); ++i) bars << firstTest + i;
    QCPGraph* outOfSample = chart_->addGraph();
    outOfSample->setName(QStringLiteral("Walk-forward (out of sample)"));
    outOfSample->setPen(QPen(QColor(0, 90, 200), 2));
    outOfSample->setData(bars, cumulative(report_.outOfSampleDaily), true);
    QCPGraph* whole = chart_->addGraph();
    whole->setName(QStringLiteral("Whole-history build (in sample)"));
    whole->setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    whole->setData(bars, cumulative(report_.wholeHistoryDaily), true);

    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    const std::size_t step = std::max<std::size_t>(1, (report_.folds.size() + 5) / 6);
    for (std::size_t k = 0; k < report_.folds.size(); ++k) {
        const int from = report_.folds[k].bars.testFrom;
        auto* boundary = new QCPItemStraightLine(chart_);
        boundary->point1->setCoords(from, 0);
        boundary->point2->setCoords(from, 1);
        boundary->setPen(QPen(QColor(110, 110, 110), 1, Qt::DashLine));
        if (k % step == 0) ticker->addTick(from, QString::fromStdString(product.bars[from].dateText));
    }
    chart_->xAxis->setTicker(ticker);
    chart_->rescaleAxes();
    chart_->xAxis->setRange(firstTest, product.historyLength());
    chart_->replot();
}

bool CWalkForwardDlg::saveCsv(const QString& path) {
    const Product* product = history_.findProduct(productName_);
    std::string error = "nothing to save";
    if (product == nullptr || report_.folds.empty() ||
        !writeFileAtomically(path.toStdString(), walkForwardCsv(report_, *product), &error)) {
        showMessage(QStringLiteral("Could not write ") + path + QStringLiteral(": ") + QString::fromStdString(error));
        return false;
    }
    return true;
}

void CWalkForwardDlg::askAndSaveCsv() {
    const QString suggested = QString::fromStdString((startDirectory_ / "walkforward.csv").string());
    const QString path = askSaveFileName(this, suggested, QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (!path.isEmpty()) saveCsv(path);
}
