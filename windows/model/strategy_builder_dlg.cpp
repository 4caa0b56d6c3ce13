#include "windows/model/strategy_builder_dlg.h"

#include "model/trade_columns.h"
#include "model/trade_model_file.h"
#include "windows/robustness/parameter_surface_dlg.h"
#include "windows/robustness/robustness_panel.h"
#include "windows/robustness/permutation_test_dlg.h"
#include "report/build_texts.h"
#include "report/permutation_texts.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"
#include "workbench/worker_threads_setting.h"
#include "report/flagged_return.h"
#include "studies/study_catalogue.h"
#include "workbench/settings_store.h"

#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace varkel;

namespace {

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};
const QString processingText = QStringLiteral("Processing..........");

}  // namespace

CStrategyBuilderDlg::CStrategyBuilderDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory,
                                         QWidget* parent)
    : RunDialog(parent),
      indexPicker_(this, {"1021", "1014", "1022", "1015", "1023"}, 200),
      selectionList_(new QComboBox(this)),
      layerTexts_{addReadOut(1024), addReadOut(1025), addReadOut(1026)},
      parameterTexts_{addParameterText(1), addParameterText(2), addParameterText(3)},
      sharpeText_(addReadOut(1029)),
      kellyText_(addReadOut(1030)),
      winningRateText_(addReadOut(1031)),
      curveChart_(new CChartFX(this)),
      robustnessPanel_(new CRobustnessPanel(this)),
      filterCostText_(new QLabel(this)),
      dataQualityText_(new QLabel(this)),
      surfaceButton_(new QPushButton(QStringLiteral("Surface..."), this)),
      permutationButton_(new QPushButton(QStringLiteral("Permutation Test..."), this)),
      saveButton_(new QPushButton(QStringLiteral("Save"), this)),
      progress_(new QProgressBar(this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this)),
      workspace_(workspace),
      startDirectory_(std::move(startDirectory)) {
    setUpEntries();
    layOut(makeButtonRow());
    restoreChoice();
}

// The window's name, the selection, the curve, the progress bar and the notes.
void CStrategyBuilderDlg::setUpEntries() {
    setObjectName(QStringLiteral("144"));
    setWindowTitle(QStringLiteral("Strategy Builder"));
    curveChart_->setObjectName(QStringLiteral("1012"));
    curveChart_->setMinimumSize(560, 260);
    progress_->setObjectName(QStringLiteral("buildProgress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(QString());
    selectionList_->setObjectName(QStringLiteral("selection"));
    selectionList_->addItems({QStringLiteral("Best"), QStringLiteral("Plateau")});
    selectionList_->setToolTip(QStringLiteral(
        "Best: each layer keeps its best trial; plateau: the trial whose grid neighbours earn most on average"));
    for (QLabel* note : {filterCostText_, dataQualityText_}) {
        note->setWordWrap(true);
        note->setStyleSheet(QStringLiteral("color: #b35c00"));
    }
    filterCostText_->setObjectName(QStringLiteral("filterCost"));
    dataQualityText_->setObjectName(QStringLiteral("dataQuality"));
}

// The progress bar and the buttons at the window's foot, connected.
QHBoxLayout* CStrategyBuilderDlg::makeButtonRow() {
    okButton_->setObjectName(QStringLiteral("1"));
    okButton_->setDefault(true);
    auto* finish = new QPushButton(QStringLiteral("Finish"), this);
    finish->setObjectName(QStringLiteral("2"));
    cancelButton_->setObjectName(QStringLiteral("cancelBuild"));
    cancelButton_->setEnabled(false);
    connect(okButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::accept);
    connect(finish, &QPushButton::clicked, this, &CStrategyBuilderDlg::reject);
    connect(cancelButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::cancel);
    surfaceButton_->setObjectName(QStringLiteral("surface"));
    surfaceButton_->setToolTip(QStringLiteral("The returns of the base index's trials over its parameters"));
    surfaceButton_->setEnabled(false);
    connect(surfaceButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::openSurface);
    permutationButton_->setObjectName(QStringLiteral("permutationTest"));
    permutationButton_->setToolTip(
        QStringLiteral("Could the search have found this model in noise? Build on histories with %1")
            .arg(QString::fromLatin1(shuffleDescription)));
    permutationButton_->setEnabled(false);
    connect(permutationButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::openPermutationTest);
    saveButton_->setObjectName(QStringLiteral("save"));
    saveButton_->setToolTip(QStringLiteral("Replace the product's saved trade model with this build"));
    saveButton_->setAutoDefault(false);
    saveButton_->setEnabled(false);
    connect(saveButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::saveBuiltModel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progress_, 1);
    buttons->addWidget(cancelButton_);
    buttons->addSpacing(16);
    buttons->addWidget(okButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(surfaceButton_);
    buttons->addWidget(permutationButton_);
    buttons->addWidget(finish);
    return buttons;
}

// The indexes with their layers' read-outs on top, the measures, the notes,
// the robustness panel, the curve and `buttons` at the foot.
void CStrategyBuilderDlg::layOut(QHBoxLayout* buttons) {
    auto* indexes = new QGridLayout;
    indexPicker_.place(indexes);
    indexes->addWidget(new QLabel(QStringLiteral("Select"), this), 0, 4);
    indexes->addWidget(selectionList_, 0, 5);
    for (int layer = 0; layer < 3; ++layer) {
        indexes->addWidget(layerTexts_[layer], layer, 2);
        indexes->addWidget(parameterTexts_[layer], layer, 3);
    }
    indexes->setColumnStretch(3, 1);

    auto* measures = new QGroupBox(QStringLiteral("Performance Indicator"), this);
    auto* measureRow = new QHBoxLayout(measures);
    const std::pair<const char*, QLabel*> measureTexts[] = {
        {"Sharpe Ratio", sharpeText_}, {"Kelly Formula", kellyText_}, {"Winning Rate", winningRateText_}};
    for (const auto& [caption, text] : measureTexts) {
        measureRow->addWidget(new QLabel(QString::fromLatin1(caption), this));
        measureRow->addWidget(text, 1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(indexes);
    layout->addWidget(measures);
    layout->addWidget(filterCostText_);
    layout->addWidget(robustnessPanel_);
    layout->addWidget(dataQualityText_);
    layout->addWidget(new QLabel(QStringLiteral("Accumulative PL Curve"), this));
    layout->addWidget(curveChart_, 1);
    layout->addLayout(buttons);
}

CStrategyBuilderDlg::~CStrategyBuilderDlg() = default;

void CStrategyBuilderDlg::setChoice(const IndexChoice& choice, TrialSelection selection) {
    indexPicker_.setChoice(choice);
    selectionList_->setCurrentIndex(selection == TrialSelection::plateau ? 1 : 0);
}

void CStrategyBuilderDlg::showLastBuild(std::optional<LastBuild> build) {
    lastBuild_ = std::move(build);
    surfaceButton_->setEnabled(!isRunning() && lastBuild_.has_value());
}

QLabel* CStrategyBuilderDlg::addReadOut(int id) {
    auto* text = new QLabel(this);
    text->setObjectName(QString::number(id));
    text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The texts are padded printf fields; a fixed pitch keeps their digits aligned.
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumWidth(170);
    return text;
}

QLabel* CStrategyBuilderDlg::addParameterText(int layer) {
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("layerParameters%1").arg(layer));
    text->setMinimumWidth(220);
    return text;
}

void CStrategyBuilderDlg::clearFigures() {
    for (QLabel* text : layerTexts_) text->clear();
    for (QLabel* text : parameterTexts_) text->clear();
    for (QLabel* text : {sharpeText_, kellyText_, winningRateText_}) text->clear();
    curveChart_->clearData();
    robustnessPanel_->clear();
    filterCostText_->clear();
    dataQualityText_->clear();
}

void CStrategyBuilderDlg::accept() {
    if (isRunning()) return;
    if (withPriceChart(workspace_) == nullptr) {
        showMessage(QStringLiteral("Open a price file first: the Strategy Builder builds a model for the active "
                                   "chart's product."));
        return;
    }
    const IndexChoice choice = indexPicker_.choice();
    if (const auto refusal = validateIndexChoice(choice)) {
        showMessage(QString::fromStdString(*refusal));
        return;
    }
    rememberChoice();
    startBuild(choice);
}

bool CStrategyBuilderDlg::confirmOverwrite(const std::filesystem::path& path) const {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return true;
    return askYesNo(QStringLiteral("A trade model for %1 is already saved in\n%2\nReplace it with this build?")
                        .arg(QString::fromStdString(buildingProduct_),
                             QDir::toNativeSeparators(QString::fromStdString(path.string()))));
}

void CStrategyBuilderDlg::saveBuiltModel() {
    if (isRunning() || !lastBuild_) return;
    const std::filesystem::path path = performanceFilePath(startDirectory_, lastBuild_->productName);
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(path.string()));
    if (!confirmOverwrite(path)) return;
    std::string error;
    if (!saveTradeModel(lastBuild_->model, path, &error)) {
        showMessage(QStringLiteral("Could not write the trade model file ") + shown + QStringLiteral(": ") +
                    QString::fromStdString(error));
        return;
    }
    saveButton_->setEnabled(false);
    progress_->setFormat(QStringLiteral("Saved to %1").arg(shown));
    showMessage(QStringLiteral("Saved the trade model for %1 to\n%2")
                    .arg(QString::fromStdString(lastBuild_->productName), shown));
}

namespace {

const QString settingsGroup = QStringLiteral("StrategyBuilder");

// A study as the builder's lists name it; empty for none.
QString studyName(std::optional<StudyKind> kind) {
    const StudyInfo* study = kind ? findStudy(*kind) : nullptr;
    return study != nullptr ? QString::fromLatin1(study->name) : QString();
}

}  // namespace

void CStrategyBuilderDlg::rememberChoice() const {
    const IndexChoice choice = indexPicker_.choice();
    QSettings settings = settingsStore();
    settings.beginGroup(settingsGroup);
    settings.setValue(QStringLiteral("base"), studyName(choice.baseKind));
    settings.setValue(QStringLiteral("use2nd"), choice.use2nd);
    settings.setValue(QStringLiteral("second"), studyName(choice.secondKind));
    settings.setValue(QStringLiteral("use3rd"), choice.use3rd);
    settings.setValue(QStringLiteral("third"), studyName(choice.thirdKind));
    settings.setValue(QStringLiteral("selection"), selectionList_->currentText());
}

void CStrategyBuilderDlg::restoreChoice() {
    QSettings settings = settingsStore();
    settings.beginGroup(settingsGroup);
    const auto kind = [&settings](const char* key) {
        return studyKindFromListText(settings.value(QString::fromLatin1(key)).toString().toStdString());
    };
    IndexChoice choice;
    choice.baseKind = kind("base");
    choice.use2nd = settings.value(QStringLiteral("use2nd"), false).toBool();
    choice.secondKind = kind("second");
    choice.use3rd = settings.value(QStringLiteral("use3rd"), false).toBool();
    choice.thirdKind = kind("third");
    indexPicker_.setChoice(choice);
    const int selection = selectionList_->findText(settings.value(QStringLiteral("selection")).toString());
    if (selection >= 0) selectionList_->setCurrentIndex(selection);
}

void CStrategyBuilderDlg::startBuild(const IndexChoice& choice) {
    TaskControl& control = runTask();
    BuildOptions options;
    control.watch(options);
    options.grids = grids_;
    options.threads = storedWorkerThreads();
    options.robustness = true;
    options.selection = selectionList_->currentIndex() == 1 ? TrialSelection::plateau : TrialSelection::best;
    builtSelection_ = options.selection;
    options.onStageStarted = [this, &control](int layer) {
        control.post([this, layer] {
            runningLayer_ = layer;
            layerTexts_[layer - 1]->setText(processingText);
            showProgress(layer, 0, 1);
        });
    };
    options.onLayerDone = [this, &control](int layer, double bestReturn) {
        control.post([this, layer, text = QString::fromStdString(layerReturnText(bestReturn))] {
            layerTexts_[layer - 1]->setText(text);
        });
    };

    // Nothing of an earlier build stays beside the one that starts.
    clearFigures();
    buildingProduct_ = workspace_->productName;
    runningLayer_ = 0;
    buildStarted_ = std::chrono::steady_clock::now();
    // The build runs on a copy; the chart's bars are only touched on this thread.
    startRun(
        [registry = workspace_->registry, product = buildingProduct_, choice, options]() mutable {
            BuildResult result = buildStrategy(registry, product, choice, options);
            return BuiltCopy{std::move(result), std::move(registry)};
        },
        [this](BuiltCopy built) { showEnd(std::move(built)); });
}

void CStrategyBuilderDlg::showProgress(int layer, std::int64_t done, std::int64_t total) {
    // The largest layer has 810,000 trials, well inside the bar's int range.
    progress_->setRange(0, static_cast<int>(std::max<std::int64_t>(total, 1)));
    progress_->setValue(static_cast<int>(done));
    // The work of a layer is its trials and their scoring; the trial counts
    // themselves stand in the panel and on the surface.
    progress_->setFormat(QStringLiteral("%1: %p %").arg(QString::fromLatin1(layerNames[layer - 1])));
}

void CStrategyBuilderDlg::setBusy(bool busy) {
    okButton_->setEnabled(!busy);
    cancelButton_->setEnabled(busy);
    // The choice on screen stays the one being built.
    indexPicker_.setEnabled(!busy);
    selectionList_->setEnabled(!busy);
    surfaceButton_->setEnabled(!busy && lastBuild_.has_value());
    permutationButton_->setEnabled(!busy && lastBuild_.has_value());
    if (busy) saveButton_->setEnabled(false);
}

void CStrategyBuilderDlg::showEnd(BuiltCopy built) {
    const BuildResult& result = built.result;
    lastBuildTime_ = std::chrono::steady_clock::now() - buildStarted_;
    switch (result.outcome) {
    case RunOutcome::Done:
        if (Product* product = workspace_->registry.findProduct(buildingProduct_))
            copyTradeColumns(*built.registry.findProduct(buildingProduct_), *product);
        showBuiltModel(result);
        progress_->setFormat(QStringLiteral("Built in %1 s, not saved").arg(lastBuildTime_.count(), 0, 'f', 1));
        saveButton_->setEnabled(true);
        break;
    case RunOutcome::Cancelled:
        if (runningLayer_ > 0) layerTexts_[runningLayer_ - 1]->setText(QStringLiteral("Cancelled"));
        progress_->setFormat(QStringLiteral("Cancelled"));
        break;
    case RunOutcome::Refused:  // a history too short for the chosen studies
        progress_->setFormat(QStringLiteral("Refused"));
        showMessage(QString::fromStdString(result.refusal));
        break;
    }
}

void CStrategyBuilderDlg::showBuiltModel(const BuildResult& result) {
    const int trades = result.model.tradeCount;
    sharpeText_->setText(QString::fromStdString(buildMeasureText(result.model.sharpeRatio, trades)));
    kellyText_->setText(QString::fromStdString(buildMeasureText(result.model.kellyFormula, trades)));
    winningRateText_->setText(QString::fromStdString(buildMeasureText(result.model.winningRate, trades)));
    for (int layer = 1; layer <= 3; ++layer)
        parameterTexts_[layer - 1]->setText(QString::fromStdString(layerParameterText(result.model.layers[layer - 1])));
    std::string costs;
    for (const std::string& cost : filterCostTexts(result.layerReturns, result.model))
        costs += (costs.empty() ? "" : "\n") + cost;
    filterCostText_->setText(QString::fromStdString(costs));
    drawCurve();
    robustnessPanel_->showRobustness(result.robustness);
    if (const Product* product = workspace_->registry.findProduct(buildingProduct_))
        dataQualityText_->setText(QString::fromStdString(builtModelDataQualityNote(workspace_->pricePath, *product)));
    lastBuild_ = LastBuild{buildingProduct_, result.model, result.robustness, builtSelection_};
    emit modelBuilt(*lastBuild_);
    surfaceButton_->setEnabled(true);
    permutationButton_->setEnabled(true);
}

void CStrategyBuilderDlg::drawCurve() {
    const Product* product = workspace_->registry.findProduct(buildingProduct_);
    if (product == nullptr) return;
    const int history = product->historyLength();
    double lowest = 0.0;
    double highest = 0.0;
    curveChart_->setSetting(settingGallery, galleryLines);
    curveChart_->openData(dataStyles, 1, 0);
    curveChart_->seriesStyle(0, styleMarkers, 0);
    curveChart_->closeData(dataStyles);
    curveChart_->openData(dataValues, 0, 0);
    for (int i = 0; i < history; ++i) {
        const Bar& bar = product->bars[static_cast<std::size_t>(i)];
        curveChart_->setValue(0, i, bar.cumulativePnl);
        curveChart_->setPointLabel(i, bar.dateText);
        lowest = std::min(lowest, bar.cumulativePnl);
        highest = std::max(highest, bar.cumulativePnl);
    }
    curveChart_->closeData(dataValues);
    // The control does not scale itself: the whole curve, with room above and below.
    const double margin = std::max((highest - lowest) * 0.05, 1.0);
    curveChart_->setPlotRange(0.0, lowest - margin, history, highest + margin);
}

void CStrategyBuilderDlg::openSurface() {
    CParameterSurfaceDlg surface(surfaceToShow(lastBuild_, workspace_->productName), this);
    runDialog(surface);
}

void CStrategyBuilderDlg::openPermutationTest() {
    if (!lastBuild_) return;
    const IndexChoice built = indexChoiceOf(lastBuild_->model);
    const TrialSelection selection = lastBuild_->selection;
    CPermutationTestDlg test(workspace_, startDirectory_, this);
    test.setGrids(grids_);
    test.setBuild(built, selection);
    // Only a test of the build on screen speaks for it.
    connect(&test, &CPermutationTestDlg::runFinished, this, [this, &test, built, selection] {
        const PermutationBuild& tested = test.testedBuild();
        if (test.report() && tested.choice == built && tested.selection == selection)
            robustnessPanel_->showPermutationTest(test.report()->wholeBuild());
    });
    runDialog(test);
}
