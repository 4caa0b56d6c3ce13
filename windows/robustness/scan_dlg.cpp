#include "windows/robustness/scan_dlg.h"

#include "base/atomic_file.h"
#include "report/scan_report.h"
#include "robustness/history_cut.h"
#include "robustness/permutation_test.h"
#include "studies/study_catalogue.h"
#include "windows/robustness/scan_grids.h"
#include "windows/robustness/scan_job.h"
#include "windows/robustness/scan_picture.h"
#include "windows/robustness/sortable_table_item.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"
#include "workbench/time_left.h"
#include "workbench/window_size.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

using namespace varkel;

namespace {

constexpr int kindRole = Qt::UserRole;       // a study list's entry: its StudyKind
constexpr int workspaceRole = Qt::UserRole;  // a product's entry: its view among the open ones
constexpr int scanRowRole = Qt::UserRole;    // a table cell: its row of the scan

// A list of studies to tick, all ticked at first.
void fillStudyList(QListWidget* list, const std::vector<const StudyInfo*>& studies) {
    for (const StudyInfo* study : studies) {
        auto* item = new QListWidgetItem(QString::fromLatin1(study->name), list);
        item->setData(kindRole, static_cast<int>(study->kind));
        item->setCheckState(Qt::Checked);
    }
}

std::vector<StudyKind> tickedKinds(const QListWidget* list) {
    std::vector<StudyKind> kinds;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            kinds.push_back(static_cast<StudyKind>(list->item(i)->data(kindRole).toInt()));
    return kinds;
}

// The combinations of the ticked bases and filters; with no filter ticked,
// each base alone.
std::vector<ScanCombination> tickedCombinations(const std::vector<StudyKind>& bases,
                                                const std::vector<StudyKind>& filters) {
    if (bases.empty()) return {};  // an empty list would mean every base
    std::vector<ScanCombination> combinations = scanCombinations(bases, filters);
    if (filters.empty())
        std::erase_if(combinations, [](const ScanCombination& combination) { return combination.second.has_value(); });
    return combinations;
}

// Tall enough for `rows` entries without scrolling.
void fitRows(QListWidget* list, int rows) {
    list->setFixedHeight(rows * list->sizeHintForRow(0) + 2 * list->frameWidth() + 2);
}

}  // namespace

CScanDlg::CScanDlg(std::vector<ChartWorkspace*> open, ChartWorkspace* active, std::filesystem::path startDirectory,
                   QWidget* parent)
    : RunDialog(parent),
      productList_(new QListWidget(this)),
      baseList_(new QListWidget(this)),
      filterList_(new QListWidget(this)),
      selectionList_(new QComboBox(this)),
      permutations_(new QSpinBox(this)),
      seed_(new QSpinBox(this)),
      table_(new QTableWidget(this)),
      picture_(new ScanPicture(this)),
      sentence_(new QLabel(this)),
      buildButton_(new QPushButton(QStringLiteral("Build this model"), this)),
      controls_(this),
      open_(std::move(open)),
      startDirectory_(std::move(startDirectory)) {
    setUpEntries();
    // A product open in two views is one history of the family.
    for (std::size_t i = 0; i < open_.size(); ++i) {
        const QString name = QString::fromStdString(open_[i]->productName);
        if (!productList_->findItems(name, Qt::MatchExactly).isEmpty()) continue;
        auto* item = new QListWidgetItem(name, productList_);
        item->setData(workspaceRole, static_cast<int>(i));
        item->setToolTip(QString::fromStdString(open_[i]->pricePath));
        item->setCheckState(open_[i] == active ? Qt::Checked : Qt::Unchecked);
    }
    setUpTable();
    layOut();
}

CScanDlg::~CScanDlg() = default;

// The window's name, the scan's entries, the sentence and the buttons.
void CScanDlg::setUpEntries() {
    setObjectName(QStringLiteral("scan"));
    setWindowTitle(QStringLiteral("Scan"));
    productList_->setObjectName(QStringLiteral("products"));
    baseList_->setObjectName(QStringLiteral("bases"));
    filterList_->setObjectName(QStringLiteral("filters"));
    selectionList_->setObjectName(QStringLiteral("selection"));
    permutations_->setObjectName(QStringLiteral("permutations"));
    seed_->setObjectName(QStringLiteral("seed"));
    sentence_->setObjectName(QStringLiteral("sentence"));
    buildButton_->setObjectName(QStringLiteral("buildThisModel"));

    productList_->setToolTip(QStringLiteral("The open histories to scan; each is shuffled with its own seed stream"));
    fillStudyList(baseList_, baseStudies());
    fillStudyList(filterList_, filterStudies());
    filterList_->setToolTip(QStringLiteral(
        "Every combination gets no filter, each filter, and each pair of filters; a filter never repeats the base"));
    selectionList_->addItems({QStringLiteral("Best"), QStringLiteral("Plateau")});
    selectionList_->setToolTip(QStringLiteral(
        "Best: each layer keeps its best trial; plateau: the trial whose grid neighbours earn most on average"));
    permutations_->setRange(1, static_cast<int>(maxScanPermutations));
    permutations_->setValue(static_cast<int>(defaultPermutations));
    permutations_->setToolTip(QStringLiteral(
        "How many shuffled histories every combination is built on; more give finer p-values"));
    seed_->setRange(0, std::numeric_limits<int>::max());
    seed_->setValue(static_cast<int>(defaultPermutationSeed));
    seed_->setToolTip(QStringLiteral("The same seed shuffles the same way on every machine"));
    sentence_->setWordWrap(true);
    sentence_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buildButton_->setEnabled(false);
    buildButton_->setToolTip(QStringLiteral("Open the Strategy Builder on the row's product with its combination chosen"));
    connect(controls_.run, &QPushButton::clicked, this, &CScanDlg::run);
    connect(controls_.cancel, &QPushButton::clicked, this, &CScanDlg::cancel);
    connect(controls_.save, &QPushButton::clicked, this, &CScanDlg::askAndSaveCsv);
    connect(buildButton_, &QPushButton::clicked, this, &CScanDlg::buildSelectedModel);
}

// The CSV's columns; a click on a header sorts by it.
void CScanDlg::setUpTable() {
    table_->setObjectName(QStringLiteral("scanTable"));
    setColumns(scanColumns(true, false));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    // Rows as high as their text: a family of hundreds reads better with more of it in view.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSortingEnabled(true);
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { buildButton_->setEnabled(!isRunning() && selectedScanRow() >= 0); });
    connect(table_, &QTableWidget::itemDoubleClicked, this, [this] { buildSelectedModel(); });
}

// The entries on top; the table beside the picture; the sentence and the run's row at the foot.
void CScanDlg::layOut() {
    auto* entries = new QGridLayout;
    entries->addWidget(new QLabel(QStringLiteral("Products"), this), 0, 0);
    entries->addWidget(new QLabel(QStringLiteral("Base indexes"), this), 0, 1);
    entries->addWidget(new QLabel(QStringLiteral("Filters"), this), 0, 2);
    entries->addWidget(productList_, 1, 0, 4, 1);
    entries->addWidget(baseList_, 1, 1, 4, 1);
    entries->addWidget(filterList_, 1, 2, 4, 1);
    entries->addWidget(new QLabel(QStringLiteral("Select"), this), 1, 3);
    entries->addWidget(selectionList_, 1, 4);
    entries->addWidget(new QLabel(QStringLiteral("Permutations"), this), 2, 3);
    entries->addWidget(permutations_, 2, 4);
    entries->addWidget(new QLabel(QStringLiteral("Seed"), this), 3, 3);
    entries->addWidget(seed_, 3, 4);
    entries->setColumnStretch(5, 1);
    const int rows = std::max({baseList_->count(), filterList_->count(), 4});
    for (QListWidget* list : {productList_, baseList_, filterList_}) fitRows(list, rows);

    auto* results = new QSplitter(Qt::Vertical, this);
    results->addWidget(picture_);
    results->addWidget(table_);
    results->setStretchFactor(0, 1);
    results->setStretchFactor(1, 1);

    auto* tableFoot = new QHBoxLayout;
    tableFoot->addWidget(sentence_, 1);
    tableFoot->addWidget(buildButton_, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entries);
    layout->addWidget(results, 1);
    layout->addLayout(tableFoot);
    layout->addLayout(controls_.makeRow());
    rememberWindowSize(this, QStringLiteral("Scan"), QSize(1000, 760));
}

std::vector<std::string> CScanDlg::chosenProducts() const {
    std::vector<std::string> names;
    for (const ChartWorkspace* workspace : chosenWorkspaces()) names.push_back(workspace->productName);
    return names;
}

std::vector<ChartWorkspace*> CScanDlg::chosenWorkspaces() const {
    std::vector<ChartWorkspace*> chosen;
    for (int i = 0; i < productList_->count(); ++i)
        if (productList_->item(i)->checkState() == Qt::Checked)
            chosen.push_back(open_[static_cast<std::size_t>(productList_->item(i)->data(workspaceRole).toInt())]);
    return chosen;
}

ScanOptions CScanDlg::readOptions() const {
    ScanOptions options;
    options.combinations = tickedCombinations(tickedKinds(baseList_), tickedKinds(filterList_));
    options.selection = selectionList_->currentIndex() == 1 ? TrialSelection::plateau : TrialSelection::best;
    options.grids = grids_;
    options.permutations = permutations_->value();
    options.seed = static_cast<std::uint64_t>(seed_->value());
    return options;
}

void CScanDlg::run() {
    if (isRunning()) return;
    const std::vector<ChartWorkspace*> workspaces = chosenWorkspaces();
    ScanOptions options = readOptions();
    std::optional<std::string> refusal;
    if (workspaces.empty()) refusal = "Tick at least one product: the scan runs on the open histories ticked under Products.";
    else if (options.combinations.empty()) refusal = "Tick at least one base index.";
    else refusal = validateScanOptions(options);
    if (refusal) {
        showMessage(QString::fromStdString(*refusal));
        return;
    }

    // The job's own copies of the histories, and where to find their flagged bars.
    ScanInputs inputs;
    for (const ChartWorkspace* workspace : workspaces) {
        const Product* product = workspace->registry.findProduct(workspace->productName);
        if (product == nullptr) continue;
        inputs.histories.push_back(historyCutAt(*product, product->historyLength()));
        inputs.names.push_back(product->name);
        inputs.pricePaths.push_back(workspace->pricePath);
    }
    clearResults();
    runTask().watch(options);
    scanned_ = options;
    scannedWorkspaces_ = workspaces;
    started_ = std::chrono::steady_clock::now();
    progressStage_ = 0;
    startRun([inputs = std::move(inputs), options] { return scanWithFlaggedShares(inputs, options); },
             [this](ScanResult running) { showEnd(std::move(running)); });
    controls_.progress->setRange(0, 0);  // no count before the first stage reports
    controls_.progress->setFormat(QStringLiteral("Starting the scan"));
}

void CScanDlg::showProgress(int stage, std::int64_t done, std::int64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (stage != progressStage_) {
        progressStage_ = stage;
        stageStarted_ = now;
    }
    controls_.progress->setRange(0, static_cast<int>(std::max<std::int64_t>(total, 1)));
    controls_.progress->setValue(static_cast<int>(done));
    const double elapsed = std::chrono::duration<double>(now - stageStarted_).count();
    const QString counted = stage == static_cast<int>(ScanStage::PermutedHistories)
                                ? QStringLiteral("%v of %m shuffled histories scanned, ")
                            : stage == static_cast<int>(ScanStage::WalkForwards)
                                ? QStringLiteral("%v of %m combinations walked forward, ")
                                : QStringLiteral("%v of %m layer searches on the real histories, ");
    controls_.progress->setFormat(counted +
                                  timeLeft(secondsLeft(elapsed, static_cast<double>(done), static_cast<double>(total))));
}

void CScanDlg::setBusy(bool busy) {
    controls_.run->setEnabled(!busy);
    controls_.cancel->setEnabled(busy);
    controls_.save->setEnabled(!busy && result_.has_value());
    buildButton_->setEnabled(!busy && selectedScanRow() >= 0);
    for (QWidget* entry : std::initializer_list<QWidget*>{productList_, baseList_, filterList_, selectionList_,
                                                          permutations_, seed_})
        entry->setEnabled(!busy);
}

void CScanDlg::showEnd(ScanResult running) {
    controls_.progress->setRange(0, 1);
    controls_.progress->setValue(running.done() ? 1 : 0);
    switch (running.outcome) {
        case RunOutcome::Done: {
            result_ = std::move(running);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
            showResult();
            controls_.progress->setFormat(QStringLiteral("%1 combinations built and tested in %2 s")
                                              .arg(result_->rows.size())
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

void CScanDlg::clearResults() {
    result_.reset();
    table_->setRowCount(0);
    picture_->setGrids({});
    sentence_->clear();
}

void CScanDlg::showResult() {
    fillTable();
    picture_->setGrids(adjustedPGrids(*result_));
    sentence_->setText(QString::fromStdString(scanFamilySentence(*result_)));
    // Amber, not red: a large p says the test could not tell, not that the combinations are flukes.
    sentence_->setStyleSheet(rowsHoldingUp(*result_) > 0 ? QStringLiteral("color: #1a7f37; font-weight: bold")
                                                         : QStringLiteral("color: #b35c00; font-weight: bold"));
}

// The rows in the report's ranked order, each cell the report's own text.
void CScanDlg::fillTable() {
    table_->setSortingEnabled(false);
    // The report's columns: p-values and walk-forward figures when any row has them.
    const auto anyRow = [this](auto has) { return std::any_of(result_->rows.begin(), result_->rows.end(), has); };
    setColumns(scanColumns(anyRow([](const ScanRow& row) { return row.permutation.has_value(); }),
                           anyRow([](const ScanRow& row) { return row.walkForward.has_value(); })));
    const std::vector<std::size_t> ranked = rankedRows(*result_);
    table_->setRowCount(static_cast<int>(ranked.size()));
    for (std::size_t rank = 0; rank < ranked.size(); ++rank) {
        const std::vector<std::string> cells = scanCells(*result_, ranked[rank], rank + 1);
        for (int column = 0; column < table_->columnCount(); ++column) {
            auto* item = new SortableTableItem(QString::fromStdString(cells[static_cast<std::size_t>(column)]));
            item->setData(scanRowRole, static_cast<int>(ranked[rank]));
            table_->setItem(static_cast<int>(rank), column, item);
        }
    }
    table_->setSortingEnabled(true);
    table_->sortItems(0, Qt::AscendingOrder);
}

void CScanDlg::setColumns(const std::vector<std::string>& columns) {
    QStringList headers;
    for (const std::string& column : columns) headers << QString::fromStdString(column);
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
}

int CScanDlg::selectedScanRow() const {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    if (!result_ || selected.isEmpty()) return -1;
    return selected.front()->data(scanRowRole).toInt();
}

void CScanDlg::buildSelectedModel() {
    const int row = selectedScanRow();
    if (row < 0 || isRunning()) return;
    const ScanRow& chosen = result_->rows[static_cast<std::size_t>(row)];
    const auto workspace = std::find_if(scannedWorkspaces_.begin(), scannedWorkspaces_.end(),
                                        [&](const ChartWorkspace* each) { return each->productName == chosen.product; });
    if (workspace == scannedWorkspaces_.end()) return;
    emit buildThisModel(*workspace, ScanModelChoice{chosen.combination.choice(), scanned_.selection, scanned_.grids});
}

bool CScanDlg::saveCsv(const QString& path) {
    std::string error = "nothing to save";
    if (!result_ || !writeFileAtomically(path.toStdString(), scanCsv(*result_), &error)) {
        showMessage(QStringLiteral("Could not write ") + path + QStringLiteral(": ") + QString::fromStdString(error));
        return false;
    }
    return true;
}

void CScanDlg::askAndSaveCsv() {
    const QString suggested = QString::fromStdString((startDirectory_ / "scan.csv").string());
    const QString path = askSaveFileName(this, suggested, QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (!path.isEmpty()) saveCsv(path);
}
