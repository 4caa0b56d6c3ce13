#include "model/ui/strategy_builder_dlg.h"

#include "model/trade_model_file.h"
#include "model/ui/parameter_surface_dlg.h"
#include "model/ui/robustness_panel.h"
#include "report/build_texts.h"
#include "report/flagged_return.h"
#include "studies/study_catalogue.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"
#include "workbench/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
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

QStringList listEntries(const std::vector<const StudyInfo*>& studies) {
    QStringList entries;
    for (const StudyInfo* study : studies) entries << QString::fromLatin1(study->name);
    return entries;
}

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};
const QString processingText = QStringLiteral("Processing..........");

// Progress is redrawn at most this often; the search reports far more often.
constexpr auto progressInterval = std::chrono::milliseconds(50);

int kindOf(const QComboBox* list) {
    return list->currentIndex() < 0 ? static_cast<int>(StudyKind::NotInUse) : studyKindFromListText(list->currentText().toStdString());
}

}  // namespace

CStrategyBuilderDlg::CStrategyBuilderDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory,
                                         QWidget* parent)
    : QDialog(parent),
      baseList_(addIndexList(listEntries(baseStudies()), 1021)),
      use2ndBox_(new QCheckBox(QStringLiteral("2nd Index"), this)),
      secondList_(addIndexList(listEntries(filterStudies()), 1022)),
      use3rdBox_(new QCheckBox(QStringLiteral("3rd Index"), this)),
      thirdList_(addIndexList(listEntries(filterStudies()), 1023)),
      selectionList_(new QComboBox(this)),
      layerTexts_{addReadOut(1024), addReadOut(1025), addReadOut(1026)},
      parameterTexts_{addParameterText(1), addParameterText(2), addParameterText(3)},
      sharpeText_(addReadOut(1029)),
      kellyText_(addReadOut(1030)),
      winningRateText_(addReadOut(1031)),
      curveChart_(new CChartFX(this)),
      robustnessPanel_(new CRobustnessPanel(this)),
      dataQualityText_(new QLabel(this)),
      surfaceButton_(new QPushButton(QStringLiteral("Surface..."), this)),
      saveButton_(new QPushButton(QStringLiteral("Save"), this)),
      progress_(new QProgressBar(this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this)),
      workspace_(workspace),
      startDirectory_(std::move(startDirectory)) {
    setObjectName(QStringLiteral("144"));
    setWindowTitle(QStringLiteral("Strategy Builder"));
    use2ndBox_->setObjectName(QStringLiteral("1014"));
    use3rdBox_->setObjectName(QStringLiteral("1015"));
    curveChart_->setObjectName(QStringLiteral("1012"));
    curveChart_->setMinimumSize(560, 260);
    progress_->setObjectName(QStringLiteral("buildProgress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(QString());
    okButton_->setObjectName(QStringLiteral("1"));
    okButton_->setDefault(true);
    auto* finish = new QPushButton(QStringLiteral("Finish"), this);
    finish->setObjectName(QStringLiteral("2"));
    cancelButton_->setObjectName(QStringLiteral("cancelBuild"));
    cancelButton_->setEnabled(false);
    connect(okButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::accept);
    connect(finish, &QPushButton::clicked, this, &CStrategyBuilderDlg::reject);
    connect(cancelButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::cancelBuild);
    selectionList_->setObjectName(QStringLiteral("selection"));
    selectionList_->addItems({QStringLiteral("Best"), QStringLiteral("Plateau")});
    selectionList_->setToolTip(QStringLiteral(
        "Best: each layer keeps its best trial; plateau: the trial whose grid neighbours earn most on average"));
    surfaceButton_->setObjectName(QStringLiteral("surface"));
    surfaceButton_->setToolTip(QStringLiteral("The returns of the base index's trials over its parameters"));
    surfaceButton_->setEnabled(workspace_ != nullptr && workspace_->lastBuild.has_value());
    connect(surfaceButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::openSurface);
    saveButton_->setObjectName(QStringLiteral("save"));
    saveButton_->setToolTip(QStringLiteral("Replace the product's saved trade model with this build"));
    saveButton_->setAutoDefault(false);
    saveButton_->setEnabled(false);
    connect(saveButton_, &QPushButton::clicked, this, &CStrategyBuilderDlg::saveBuiltModel);

    auto* indexes = new QGridLayout;
    indexes->addWidget(new QLabel(QStringLiteral("Base Index"), this), 0, 0);
    indexes->addWidget(baseList_, 0, 1);
    indexes->addWidget(new QLabel(QStringLiteral("Select"), this), 0, 4);
    indexes->addWidget(selectionList_, 0, 5);
    indexes->addWidget(use2ndBox_, 1, 0);
    indexes->addWidget(secondList_, 1, 1);
    indexes->addWidget(use3rdBox_, 2, 0);
    indexes->addWidget(thirdList_, 2, 1);
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

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progress_, 1);
    buttons->addWidget(cancelButton_);
    buttons->addSpacing(16);
    buttons->addWidget(okButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(surfaceButton_);
    buttons->addWidget(finish);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(indexes);
    layout->addWidget(measures);
    layout->addWidget(robustnessPanel_);
    dataQualityText_->setObjectName(QStringLiteral("dataQuality"));
    dataQualityText_->setWordWrap(true);
    dataQualityText_->setStyleSheet(QStringLiteral("color: #b35c00"));
    layout->addWidget(dataQualityText_);
    layout->addWidget(new QLabel(QStringLiteral("Accumulative PL Curve"), this));
    layout->addWidget(curveChart_, 1);
    layout->addLayout(buttons);
    restoreChoice();
}

CStrategyBuilderDlg::~CStrategyBuilderDlg() {
    // The worker writes into the workspace's bars and reports to this dialog:
    // it must be stopped before either goes.
    if (isBuilding()) {
        cancel_ = true;
        worker_.join();
    }
}

QComboBox* CStrategyBuilderDlg::addIndexList(const QStringList& entries, int id) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString::number(id));
    list->addItems(entries);
    list->setCurrentIndex(-1);
    list->setMinimumWidth(200);
    return list;
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
    dataQualityText_->clear();
}

IndexChoice CStrategyBuilderDlg::readChoice() const {
    IndexChoice choice;
    choice.baseKind = kindOf(baseList_);
    choice.use2nd = use2ndBox_->isChecked();
    if (choice.use2nd) choice.secondKind = kindOf(secondList_);
    choice.use3rd = use3rdBox_->isChecked();
    if (choice.use3rd) choice.thirdKind = kindOf(thirdList_);
    return choice;
}

void CStrategyBuilderDlg::accept() {
    if (isBuilding()) return;
    if (withPriceChart(workspace_) == nullptr) return;
    const IndexChoice choice = readChoice();
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
    if (isBuilding() || result_.outcome != BuildOutcome::Built) return;
    const std::filesystem::path path = result_.modelPath;
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(path.string()));
    if (!confirmOverwrite(path)) return;
    if (!saveTradeModel(result_.model, path)) {
        showMessage(QStringLiteral("Could not write the trade model file ") + shown);
        return;
    }
    saveButton_->setEnabled(false);
    progress_->setFormat(QStringLiteral("Saved to %1").arg(shown));
    showMessage(QStringLiteral("Saved the trade model for %1 to\n%2")
                    .arg(QString::fromStdString(buildingProduct_), shown));
}

namespace {

const QString settingsGroup = QStringLiteral("StrategyBuilder");

}  // namespace

void CStrategyBuilderDlg::rememberChoice() const {
    QSettings settings = settingsStore();
    settings.beginGroup(settingsGroup);
    settings.setValue(QStringLiteral("base"), baseList_->currentText());
    settings.setValue(QStringLiteral("use2nd"), use2ndBox_->isChecked());
    settings.setValue(QStringLiteral("second"), secondList_->currentText());
    settings.setValue(QStringLiteral("use3rd"), use3rdBox_->isChecked());
    settings.setValue(QStringLiteral("third"), thirdList_->currentText());
    settings.setValue(QStringLiteral("selection"), selectionList_->currentText());
}

void CStrategyBuilderDlg::restoreChoice() {
    QSettings settings = settingsStore();
    settings.beginGroup(settingsGroup);
    const auto pick = [&settings](QComboBox* list, const char* key) {
        const int index = list->findText(settings.value(QString::fromLatin1(key)).toString());
        if (index >= 0) list->setCurrentIndex(index);
    };
    pick(baseList_, "base");
    pick(secondList_, "second");
    pick(thirdList_, "third");
    pick(selectionList_, "selection");
    use2ndBox_->setChecked(settings.value(QStringLiteral("use2nd"), false).toBool());
    use3rdBox_->setChecked(settings.value(QStringLiteral("use3rd"), false).toBool());
}

void CStrategyBuilderDlg::startBuild(const IndexChoice& choice) {
    const std::string startDirectory = startDirectory_.string();
    BuildOptions options;
    options.cancel = &cancel_;
    options.grids = grids_;
    options.robustness = true;
    options.saveModel = false;  // "Save" does, when the user wants this build
    options.selection = selectionList_->currentIndex() == 1 ? TrialSelection::plateau : TrialSelection::best;
    options.onLayerStarted = [this](int layer) {
        QMetaObject::invokeMethod(
            this,
            [this, layer] {
                runningLayer_ = layer;
                layerTexts_[layer - 1]->setText(processingText);
                showProgress(layer, 0, 1);
            },
            Qt::QueuedConnection);
    };
    options.onLayerDone = [this](int layer, double bestReturn) {
        QMetaObject::invokeMethod(
            this,
            [this, layer, text = QString::fromStdString(layerReturnText(bestReturn))] {
                layerTexts_[layer - 1]->setText(text);
            },
            Qt::QueuedConnection);
    };
    options.onProgress = [this](int layer, std::int64_t done, std::int64_t total) {
        forwardProgress(layer, done, total);
    };

    cancel_ = false;
    // Nothing of an earlier build stays beside the one that starts.
    clearFigures();
    buildingProduct_ = workspace_->productName;
    runningLayer_ = 0;
    lastProgressSent_ = {};
    setBusy(true);
    buildStarted_ = std::chrono::steady_clock::now();
    // While the modal dialog runs, nothing else reads or writes the product's bars.
    worker_ = std::thread([this, choice, startDirectory, options] {
        result_ = buildStrategy(workspace_->registry, buildingProduct_, choice, startDirectory, options);
        QMetaObject::invokeMethod(this, [this] { finishBuild(); }, Qt::QueuedConnection);
    });
}

void CStrategyBuilderDlg::forwardProgress(int layer, std::int64_t done, std::int64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now - lastProgressSent_ < progressInterval) return;
    lastProgressSent_ = now;
    QMetaObject::invokeMethod(
        this,
        [this, layer, done, total] { showProgress(layer, done, total); },
        Qt::QueuedConnection);
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
    for (QWidget* entry :
         std::initializer_list<QWidget*>{baseList_, use2ndBox_, secondList_, use3rdBox_, thirdList_, selectionList_})
        entry->setEnabled(!busy);
    surfaceButton_->setEnabled(!busy && workspace_->lastBuild.has_value());
    if (busy) saveButton_->setEnabled(false);
}

void CStrategyBuilderDlg::cancelBuild() {
    // The worker sees the request between trials and reports its end as usual.
    if (isBuilding()) cancel_ = true;
}

void CStrategyBuilderDlg::reject() {
    if (isBuilding()) {
        cancel_ = true;
        finishBuild();
    }
    QDialog::reject();
}

void CStrategyBuilderDlg::finishBuild() {
    if (!isBuilding()) return;  // already finished when the dialog was closed
    worker_.join();
    // Reports the worker queued before a close are out of date; it sends no more.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    lastBuildTime_ = std::chrono::steady_clock::now() - buildStarted_;
    setBusy(false);
    switch (result_.outcome) {
    case BuildOutcome::Built:
        showBuiltModel(result_);
        progress_->setFormat(QStringLiteral("Built in %1 s, not saved").arg(lastBuildTime_.count(), 0, 'f', 1));
        saveButton_->setEnabled(true);
        break;
    case BuildOutcome::Cancelled:
        if (runningLayer_ > 0) layerTexts_[runningLayer_ - 1]->setText(QStringLiteral("Cancelled"));
        progress_->setFormat(QStringLiteral("Cancelled"));
        break;
    case BuildOutcome::Refused:  // a history too short for the chosen studies
        progress_->setFormat(QStringLiteral("Refused"));
        showMessage(QString::fromStdString(result_.refusal));
        break;
    case BuildOutcome::NoProduct:  // the product is the one the view shows
        break;
    }
    emit buildFinished();
}

void CStrategyBuilderDlg::showBuiltModel(const BuildResult& result) {
    const int trades = result.model.tradeCount;
    sharpeText_->setText(QString::fromStdString(buildMeasureText(result.model.sharpeRatio, trades)));
    kellyText_->setText(QString::fromStdString(buildMeasureText(result.model.kellyFormula, trades)));
    winningRateText_->setText(QString::fromStdString(buildMeasureText(result.model.winningRate, trades)));
    for (int layer = 1; layer <= 3; ++layer)
        parameterTexts_[layer - 1]->setText(QString::fromStdString(layerParameterText(result.model, layer)));
    drawCurve();
    robustnessPanel_->showRobustness(result.robustness);
    if (const Product* product = workspace_->registry.findProduct(buildingProduct_))
        dataQualityText_->setText(QString::fromStdString(builtModelDataQualityNote(workspace_->pricePath, *product)));
    workspace_->lastBuild = LastBuild{buildingProduct_, result.model, result.robustness};
    surfaceButton_->setEnabled(true);
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
    CParameterSurfaceDlg surface(workspace_, this);
    runDialog(surface);
}
