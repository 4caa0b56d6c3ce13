#include "windows/robustness/permutation_test_dlg.h"

#include "base/atomic_file.h"
#include "robustness/history_cut.h"
#include "report/permutation_texts.h"
#include "robustness/robustness_verdict.h"
#include "studies/study_catalogue.h"
#include "workbench/chart_workspace.h"
#include "data/price_check.h"
#include "report/flagged_return.h"
#include "workbench/seams.h"
#include "workbench/time_left.h"
#include "workbench/window_size.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <limits>

using namespace varkel;

namespace {

// Progress is redrawn at most this often.
constexpr int binCount = 20;

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};
const char* const tableColumns[] = {"Layer", "Real return", "p-value", "Rank", "Mean", "5 %", "Median", "95 %"};

// Equal bins over the returns' range, widened to hold the real return.
CPermutationTestDlg::Histogram binReturns(const std::vector<double>& returns, double real) {
    CPermutationTestDlg::Histogram histogram;
    if (returns.empty()) return histogram;
    const auto [smallest, largest] = std::minmax_element(returns.begin(), returns.end());
    const double from = std::min(*smallest, real);
    const double span = std::max(*largest, real) - from;
    const double width = span > 0.0 ? span / binCount : 1.0;
    histogram.counts.assign(binCount, 0);
    for (int bin = 0; bin < binCount; ++bin) histogram.centres.push_back(from + (bin + 0.5) * width);
    for (const double value : returns)
        ++histogram.counts[std::clamp(static_cast<int>((value - from) / width), 0, binCount - 1)];
    return histogram;
}

QString fixed(double value) { return QString::number(value, 'f', 4); }

}  // namespace

CPermutationTestDlg::CPermutationTestDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory,
                                         QWidget* parent)
    : RunDialog(parent),
      indexPicker_(this, {"baseIndex", "use2nd", "secondIndex", "use3rd", "thirdIndex"}, 180),
      selectionList_(new QComboBox(this)),
      permutations_(new QSpinBox(this)),
      seed_(new QSpinBox(this)),
      layerTable_(new QTableWidget(0, static_cast<int>(std::size(tableColumns)), this)),
      sentence_(new QLabel(this)),
      dataQualityText_(new QLabel(this)),
      chart_(new QCustomPlot(this)),
      controls_(this),
      workspace_(workspace),
      startDirectory_(std::move(startDirectory)) {
    setUpEntries();
    setUpLayerTable();
    setUpHistogram();
    layOut();
}

// The window's name, the test's entries, the texts and the buttons.
void CPermutationTestDlg::setUpEntries() {
    setObjectName(QStringLiteral("permutationTest"));
    setWindowTitle(QStringLiteral("Permutation Test"));
    selectionList_->setObjectName(QStringLiteral("selection"));
    permutations_->setObjectName(QStringLiteral("permutations"));
    seed_->setObjectName(QStringLiteral("seed"));
    layerTable_->setObjectName(QStringLiteral("layerTable"));
    sentence_->setObjectName(QStringLiteral("sentence"));
    chart_->setObjectName(QStringLiteral("permutationHistogram"));

    selectionList_->addItems({QStringLiteral("Best"), QStringLiteral("Plateau")});
    selectionList_->setToolTip(QStringLiteral(
        "Best: each layer keeps its best trial; plateau: the trial whose grid neighbours earn most on average"));
    permutations_->setRange(1, static_cast<int>(maxPermutations));
    permutations_->setValue(static_cast<int>(defaultPermutations));
    permutations_->setToolTip(QStringLiteral("How many shuffled histories the search runs on; more give a finer p-value"));
    seed_->setRange(0, std::numeric_limits<int>::max());
    seed_->setValue(static_cast<int>(defaultPermutationSeed));
    seed_->setToolTip(QStringLiteral("The same seed shuffles the same way on every machine"));
    sentence_->setWordWrap(true);
    dataQualityText_->setObjectName(QStringLiteral("dataQuality"));
    dataQualityText_->setWordWrap(true);
    dataQualityText_->setStyleSheet(QStringLiteral("color: #b35c00"));
    connect(controls_.run, &QPushButton::clicked, this, &CPermutationTestDlg::run);
    connect(controls_.cancel, &QPushButton::clicked, this, &CPermutationTestDlg::cancel);
    connect(controls_.save, &QPushButton::clicked, this, &CPermutationTestDlg::askAndSaveCsv);
}

// One row per layer; the p-value and rank columns say how they are counted.
void CPermutationTestDlg::setUpLayerTable() {
    QStringList headers;
    for (const char* column : tableColumns) headers << QString::fromLatin1(column);
    layerTable_->setHorizontalHeaderLabels(headers);
    layerTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layerTable_->verticalHeader()->setVisible(false);
    layerTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Room for the three layers a build can have, and no more.
    layerTable_->setFixedHeight(layerTable_->horizontalHeader()->sizeHint().height() +
                                3 * layerTable_->verticalHeader()->defaultSectionSize() +
                                2 * layerTable_->frameWidth());
    layerTable_->horizontalHeaderItem(2)->setToolTip(
        QStringLiteral("(1 + shuffled histories whose build did at least as well) / (1 + shuffled histories)"));
    layerTable_->horizontalHeaderItem(3)->setToolTip(
        QStringLiteral("The real build's place among all builds, from the best; ties placed before it"));
}

// The histogram of the permuted builds' returns.
void CPermutationTestDlg::setUpHistogram() {
    chart_->setMinimumSize(480, 240);
    chart_->xAxis->setLabel(QStringLiteral("Return of the whole build on a shuffled history"));
    chart_->yAxis->setLabel(QStringLiteral("Histories"));
    bars_ = new QCPBars(chart_->xAxis, chart_->yAxis);
    bars_->setName(QStringLiteral("Shuffled histories"));
    bars_->setPen(QPen(QColor(60, 90, 160)));
    bars_->setBrush(QColor(120, 150, 220));
    chart_->legend->setVisible(true);
}

// The entries on top, the histogram over the table, the texts and the run's row at the foot.
void CPermutationTestDlg::layOut() {
    auto* entries = new QGridLayout;
    indexPicker_.place(entries);
    entries->addWidget(new QLabel(QStringLiteral("Select"), this), 0, 2);
    entries->addWidget(selectionList_, 0, 3);
    entries->addWidget(new QLabel(QStringLiteral("Permutations"), this), 1, 2);
    entries->addWidget(permutations_, 1, 3);
    entries->addWidget(new QLabel(QStringLiteral("Seed"), this), 2, 2);
    entries->addWidget(seed_, 2, 3);
    entries->setColumnStretch(4, 1);


    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entries);
    layout->addWidget(chart_, 1);
    layout->addWidget(layerTable_);
    layout->addWidget(sentence_);
    layout->addWidget(dataQualityText_);
    layout->addLayout(controls_.makeRow());
    rememberWindowSize(this, QStringLiteral("Permutation Test"), QSize(860, 640));
}

CPermutationTestDlg::~CPermutationTestDlg() = default;

void CPermutationTestDlg::setBuild(const IndexChoice& choice, TrialSelection selection) {
    indexPicker_.setChoice(choice);
    selectionList_->setCurrentIndex(selection == TrialSelection::plateau ? 1 : 0);
}

PermutationTestOptions CPermutationTestDlg::readOptions() const {
    PermutationTestOptions options;
    options.build.choice = indexPicker_.choice();
    options.build.selection = selectionList_->currentIndex() == 1 ? TrialSelection::plateau : TrialSelection::best;
    options.build.grids = grids_;
    options.permutations = permutations_->value();
    options.seed = static_cast<std::uint64_t>(seed_->value());
    return options;
}

void CPermutationTestDlg::run() {
    if (isRunning()) return;
    const Product* product =
        withPriceChart(workspace_) != nullptr ? workspace_->registry.findProduct(workspace_->productName) : nullptr;
    if (product == nullptr) {
        showMessage(QStringLiteral("Open a price file first: the permutation test runs on the active chart's product."));
        return;
    }
    PermutationTestOptions options = readOptions();
    std::optional<std::string> refusal = validatePermutationOptions(options);
    if (!refusal) refusal = validateHistoryLength(product->name, product->historyLength(), options.build.choice);
    if (refusal) {
        showMessage(QString::fromStdString(*refusal));
        return;
    }

    clearResults();
    // Named with the result, as the builder and walk-forward name them: the
    // shuffles keep whatever faults the history's moves hold.
    testedDataQuality_ = dataQualityNote(checkPriceFile(workspace_->pricePath, product->name), {}, {});
    runTask().watch(options);
    tested_ = options;
    started_ = std::chrono::steady_clock::now();
    startRun(
        [history = historyCutAt(*product, product->historyLength()), name = product->name, options] {
            return runPermutationTest(history, name, options);
        },
        [this](PermutationRun running) { showEnd(std::move(running)); });
    controls_.progress->setRange(0, 0);  // the real build first: no count yet
    controls_.progress->setFormat(QStringLiteral("Building on the real history"));
}

void CPermutationTestDlg::showProgress(int /*stage*/, std::int64_t done, std::int64_t total) {
    controls_.progress->setRange(0, static_cast<int>(std::max<std::int64_t>(total, 1)));
    controls_.progress->setValue(static_cast<int>(done));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double left = secondsLeft(elapsed, static_cast<double>(done), static_cast<double>(total));
    controls_.progress->setFormat(QStringLiteral("%v of %m shuffled histories built, ") + timeLeft(left));
}

void CPermutationTestDlg::setBusy(bool busy) {
    controls_.run->setEnabled(!busy);
    controls_.cancel->setEnabled(busy);
    controls_.save->setEnabled(!busy && report_.has_value());
    indexPicker_.setEnabled(!busy);
    for (QWidget* entry : std::initializer_list<QWidget*>{selectionList_, permutations_, seed_})
        entry->setEnabled(!busy);
}

void CPermutationTestDlg::showEnd(PermutationRun running) {
    controls_.progress->setRange(0, 1);
    controls_.progress->setValue(running.done() ? 1 : 0);
    switch (running.outcome) {
        case RunOutcome::Done: {
            run_ = std::move(running);
            report_ = summarisePermutationRun(run_.layers, run_.real, run_.rows, tested_.seed);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
            showReport();
            controls_.progress->setFormat(QStringLiteral("%1 shuffled histories built in %2 s")
                                     .arg(run_.rows.size())
                                     .arg(seconds, 0, 'f', 1));
            break;
        }
        case RunOutcome::Cancelled: controls_.progress->setFormat(QStringLiteral("Cancelled: nothing kept")); break;
        case RunOutcome::Refused:
            controls_.progress->setFormat(QStringLiteral("Refused"));
            showMessage(QString::fromStdString(running.refusal));
            break;
    }
}

void CPermutationTestDlg::clearResults() {
    report_.reset();
    run_ = PermutationRun();
    histogram_ = {};
    layerTable_->setRowCount(0);
    sentence_->clear();
    dataQualityText_->clear();
    bars_->data()->clear();
    chart_->clearItems();
    chart_->replot();
}

void CPermutationTestDlg::showReport() {
    fillTable();
    const PermutationSummary& whole = report_->wholeBuild();
    const bool holds = whole.pValue < permutationHoldsBelow;
    sentence_->setText(QString::fromStdString(permutationSentence(whole)));
    // Amber, not red: a large p says the test could not tell, not that the model is a fluke.
    sentence_->setStyleSheet(holds ? QStringLiteral("color: #1a7f37; font-weight: bold")
                                   : QStringLiteral("color: #b35c00; font-weight: bold"));
    dataQualityText_->setText(QString::fromStdString(testedDataQuality_));
    drawHistogram();
}

void CPermutationTestDlg::fillTable() {
    for (std::size_t layer = 0; layer < report_->layers.size(); ++layer) {
        if (!report_->layers[layer]) continue;
        const PermutationSummary& s = *report_->layers[layer];
        const int row = layerTable_->rowCount();
        layerTable_->insertRow(row);
        const QString cells[] = {QString::fromLatin1(layerNames[layer]),
                                 fixed(s.real),
                                 QString::fromStdString(pValueText(s.pValue)),
                                 QStringLiteral("%1 of %2").arg(s.rank).arg(s.permutations + 1),
                                 fixed(s.mean),
                                 fixed(s.quantile5),
                                 fixed(s.median),
                                 fixed(s.quantile95)};
        for (int column = 0; column < layerTable_->columnCount(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            layerTable_->setItem(row, column, item);
        }
    }
}

void CPermutationTestDlg::drawHistogram() {
    std::size_t whole = 0;
    for (std::size_t layer = 0; layer < run_.layers.size(); ++layer)
        if (run_.layers[layer]) whole = layer;
    std::vector<double> returns;
    for (const PermutationRow& row : run_.rows) returns.push_back(row.returns[whole]);
    const double real = run_.real[whole];
    histogram_ = binReturns(returns, real);
    const QVector<double> centres(histogram_.centres.begin(), histogram_.centres.end());
    const QVector<double> counts(histogram_.counts.begin(), histogram_.counts.end());
    const double width = centres.size() > 1 ? centres[1] - centres[0] : 1.0;
    bars_->setWidth(width);
    bars_->setData(centres, counts, true);
    auto* marker = new QCPItemStraightLine(chart_);
    marker->point1->setCoords(real, 0);
    marker->point2->setCoords(real, 1);
    marker->setPen(QPen(QColor(198, 40, 40), 2));
    auto* label = new QCPItemText(chart_);
    label->setText(QStringLiteral("Real build %1").arg(fixed(real)));
    label->setColor(QColor(198, 40, 40));
    label->position->setTypeX(QCPItemPosition::ptPlotCoords);
    label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label->position->setCoords(real, 0.02);
    label->setPositionAlignment(Qt::AlignTop | (real > centres.front() + (centres.back() - centres.front()) / 2
                                                    ? Qt::AlignRight
                                                    : Qt::AlignLeft));
    chart_->xAxis->setRange(centres.front() - width, centres.back() + width);
    chart_->yAxis->setRange(0, *std::max_element(counts.begin(), counts.end()) * 1.15);
    chart_->replot();
}

bool CPermutationTestDlg::saveCsv(const QString& path) {
    std::string error = "nothing to save";
    if (!report_ || !writeFileAtomically(path.toStdString(), permutationCsv(run_.layers, run_.rows), &error)) {
        showMessage(QStringLiteral("Could not write ") + path + QStringLiteral(": ") + QString::fromStdString(error));
        return false;
    }
    return true;
}

void CPermutationTestDlg::askAndSaveCsv() {
    const QString suggested = QString::fromStdString((startDirectory_ / "permutations.csv").string());
    const QString path = askSaveFileName(this, suggested, QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (!path.isEmpty()) saveCsv(path);
}
