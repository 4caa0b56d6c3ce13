#include "windows/robustness/robustness_panel.h"

#include "report/robustness_texts.h"
#include "report/permutation_texts.h"
#include "robustness/robustness_verdict.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

using namespace varkel;

namespace {

constexpr int binCount = 15;

// Equal bins over the logits' range, widened to hold the zero line.
CRobustnessPanel::Histogram binLogits(const std::vector<double>& logits) {
    CRobustnessPanel::Histogram histogram;
    if (logits.empty()) return histogram;
    const auto [smallest, largest] = std::minmax_element(logits.begin(), logits.end());
    const double from = std::min(*smallest, -0.5);
    const double width = (std::max(*largest, 0.5) - from) / binCount;
    histogram.counts.assign(binCount, 0);
    for (int bin = 0; bin < binCount; ++bin) histogram.centres.push_back(from + (bin + 0.5) * width);
    for (double logit : logits)
        ++histogram.counts[std::clamp(static_cast<int>((logit - from) / width), 0, binCount - 1)];
    return histogram;
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

CRobustnessPanel::CRobustnessPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Robustness"), parent), figures_(new QGridLayout), logitChart_(new QCustomPlot(this)) {
    setObjectName(QStringLiteral("robustnessPanel"));
    const QString pboTip = QStringLiteral(
        "Probability of backtest overfitting: how often the in-sample best trial falls below the median out of "
        "sample (below 0.5 holds up)");
    const char* const layerCaptions[3] = {"PBO Base", "PBO 2nd", "PBO 3rd"};
    const char* const layerNames[3] = {"pboBase", "pbo2nd", "pbo3rd"};
    for (int layer = 0; layer < 3; ++layer)
        pboTexts_[layer] = addFigure(0, layer, QString::fromLatin1(layerCaptions[layer]), layerNames[layer], pboTip);
    dsrText_ = addFigure(1, 0, QStringLiteral("DSR"), "dsr",
                         QStringLiteral("Deflated Sharpe ratio: the chance the model's Sharpe ratio beats the best "
                                        "that luck gives so many trials (above 0.95 holds up)"));
    psrText_ = addFigure(1, 1, QStringLiteral("PSR"), "psr",
                         QStringLiteral("Probabilistic Sharpe ratio: the chance the model's true Sharpe ratio is above 0"));
    sr0Text_ = addFigure(1, 2, QStringLiteral("SR0"), "sr0",
                         QStringLiteral("The per-bar Sharpe ratio the best of K trials reaches by luck alone: the DSR's "
                                        "benchmark"));
    const QString dsrSharpeTip = QStringLiteral(
        "The Sharpe ratio of the built model's daily P&L that the DSR and PSR judge; not the \"Sharpe Ratio\" "
        "above, the mean of its 20-bar ratios");
    srPerBarText_ = addFigure(2, 0, QStringLiteral("DSR's SR/bar"), "srPerBar", dsrSharpeTip);
    srAnnualText_ = addFigure(2, 1, QStringLiteral("DSR's SR/yr"), "srAnnualised", dsrSharpeTip + QStringLiteral(" (x sqrt 252)"));
    trialsText_ = addFigure(2, 2, QStringLiteral("K (trials)"), "trials",
                            QStringLiteral("Trials tried by all layers of the build: the more tried, the luckier the best"));
    permutationText_ = addFigure(
        0, 3, QStringLiteral("Perm. p"), "permutationP",
        QStringLiteral("Permutation test: the share of histories with %1 on which the search found a model at least "
                       "as good (below 0.05 holds up against noise)")
            .arg(QString::fromLatin1(shuffleDescription)));
    sentence_ = new QLabel(this);
    sentence_->setObjectName(QStringLiteral("verdict"));
    sentence_->setWordWrap(true);
    sentence_->setToolTip(QStringLiteral(
        "After a permutation test: holds up against noise when its p is below 0.05, else the test could not tell the "
        "model from noise; before a test, holds up when every layer's PBO is below 0.5 and the DSR above 0.95"));

    logitChart_->setObjectName(QStringLiteral("logitHistogram"));
    logitChart_->setFixedSize(230, 96);
    logitChart_->setToolTip(QStringLiteral(
        "The base layer's CSCV logits, one per split: right of the zero line the in-sample best stayed above the "
        "median out of sample"));
    logitChart_->xAxis->setTickLabelFont(QFont(font().family(), 7));
    logitChart_->yAxis->setTickLabelFont(QFont(font().family(), 7));
    logitChart_->axisRect()->setAutoMargins(QCP::msLeft | QCP::msBottom);
    logitChart_->axisRect()->setMargins(QMargins(0, 4, 4, 0));
    logitBars_ = new QCPBars(logitChart_->xAxis, logitChart_->yAxis);
    logitBars_->setPen(QPen(QColor(60, 90, 160)));
    logitBars_->setBrush(QColor(120, 150, 220));
    auto* zero = new QCPItemStraightLine(logitChart_);
    zero->point1->setCoords(0, 0);
    zero->point2->setCoords(0, 1);
    zero->setPen(QPen(Qt::red, 1, Qt::DashLine));

    auto* left = new QVBoxLayout;
    left->addLayout(figures_);
    left->addWidget(sentence_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addLayout(left, 1);
    layout->addWidget(logitChart_);
    clear();
}

QLabel* CRobustnessPanel::addFigure(int row, int column, const QString& caption, const char* name, const QString& tip) {
    auto* label = new QLabel(caption, this);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    value->setMinimumWidth(70);
    for (QLabel* each : {label, value}) each->setToolTip(tip);
    figures_->addWidget(label, row, 2 * column);
    figures_->addWidget(value, row, 2 * column + 1);
    return value;
}

void CRobustnessPanel::clear() {
    for (QLabel* figure : {pboTexts_[0], pboTexts_[1], pboTexts_[2], dsrText_, psrText_, sr0Text_, srPerBarText_,
                           srAnnualText_, trialsText_, permutationText_})
        figure->clear();
    sentence_->clear();
    histogram_ = {};
    logitBars_->data()->clear();
    logitChart_->replot();
}

void CRobustnessPanel::showRobustness(const BuildRobustness& robustness) {
    clear();
    if (!robustness.computed) return;
    for (std::size_t layer = 0; layer < robustness.layers.size(); ++layer) {
        const auto& pbo = robustness.layers[layer];
        pboTexts_[layer]->setText(!pbo ? QStringLiteral("-")
                                       : text(pbo->valid ? robustnessFigure(pbo->pbo) : std::string("n/a")));
    }
    const DeflatedSharpe* sharpe = robustness.sharpe ? &*robustness.sharpe : nullptr;
    dsrText_->setText(text(robustnessFigure(robustness.deflatedSharpe())));
    psrText_->setText(text(robustnessFigure(sharpe ? sharpe->probabilistic : std::nan(""))));
    sr0Text_->setText(text(robustnessFigure(sharpe ? sharpe->benchmark : std::nan(""))));
    srPerBarText_->setText(text(robustnessFigure(sharpe ? sharpe->moments.sharpe : std::nan(""))));
    srAnnualText_->setText(text(robustnessFigure(sharpe ? sharpe->annualisedSharpe : std::nan(""))));
    trialsText_->setText(text(withThousandsSeparators(robustness.trials)));
    trials_ = robustness.trials;
    layerPbos_ = robustness.layerPbos();
    dsr_ = robustness.deflatedSharpe();
    plateau_ = robustness.plateau;
    showVerdict(text(robustnessSentence(trials_, layerPbos_, dsr_, plateau_)),
                holdsUp(layerPbos_, dsr_) ? Verdict::holds : Verdict::fluke);

    const auto& base = robustness.layers[0];
    histogram_ = binLogits(base && base->valid ? base->logits : std::vector<double>{});
    if (histogram_.counts.empty()) return;
    QVector<double> centres(histogram_.centres.begin(), histogram_.centres.end());
    QVector<double> counts(histogram_.counts.begin(), histogram_.counts.end());
    logitBars_->setWidth(centres.size() > 1 ? centres[1] - centres[0] : 1.0);
    logitBars_->setData(centres, counts, true);
    const double halfBin = logitBars_->width() / 2;
    logitChart_->xAxis->setRange(centres.front() - halfBin, centres.back() + halfBin);
    logitChart_->yAxis->setRange(0, *std::max_element(counts.begin(), counts.end()) * 1.1);
    logitChart_->replot();
}

void CRobustnessPanel::showPermutationTest(const PermutationSummary& wholeBuild) {
    permutationText_->setText(text(pValueText(wholeBuild.pValue)));
    showVerdict(text(permutationVerdictSentence(trials_, wholeBuild, layerPbos_, dsr_, plateau_)),
                wholeBuild.pValue < permutationHoldsBelow ? Verdict::holds : Verdict::notFromNoise);
}

void CRobustnessPanel::showVerdict(const QString& sentence, Verdict verdict) {
    sentence_->setText(sentence);
    const QString colour = verdict == Verdict::holds   ? QStringLiteral("#1a7f37")
                           : verdict == Verdict::fluke ? QStringLiteral("#c62828")
                                                       : QStringLiteral("#b35c00");
    sentence_->setStyleSheet(QStringLiteral("color: %1; font-weight: bold").arg(colour));
}
