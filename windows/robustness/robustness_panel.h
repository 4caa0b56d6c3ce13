#pragma once

#include "robustness/build_robustness.h"
#include "robustness/permutation_statistics.h"

#include <QGroupBox>

#include <cstdint>
#include <vector>

class QCPBars;
class QCustomPlot;
class QGridLayout;
class QLabel;

// The Strategy Builder's robustness figures of a build: the PBO of every
// layer, the deflated and probabilistic Sharpe ratios with the Sharpe ratio
// they judge (per bar and annualised) and SR0, the number of trials K,
// the whole build's permutation-test p-value once a test has been run for
// it (the verdict then rests on the test; PBO and DSR stay beside it as
// figures), the plain verdict in green ("holds up"), red ("likely a fluke",
// from PBO and DSR before a test) or amber (a test that could not tell the
// model from noise, with the return it would have needed) and a
// small histogram of the base layer's CSCV logits with the zero line (logits
// left of it are splits where the in-sample best did worse than the median
// out of sample).
class CRobustnessPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CRobustnessPanel(QWidget* parent);

    void showRobustness(const varkel::BuildRobustness& robustness);
    // The whole build's result of a permutation test of the shown build.
    void showPermutationTest(const varkel::PermutationSummary& wholeBuild);
    void clear();

    // The histogram's bins: their centres and the number of logits in each.
    struct Histogram {
        std::vector<double> centres;
        std::vector<int> counts;
    };
    const Histogram& histogram() const { return histogram_; }

private:
    QLabel* addFigure(int row, int column, const QString& caption, const char* name, const QString& tip);
    enum class Verdict { holds, fluke, notFromNoise };
    void showVerdict(const QString& sentence, Verdict verdict);

    QGridLayout* const figures_;
    QLabel* pboTexts_[3];
    QLabel* dsrText_;
    QLabel* psrText_;
    QLabel* sr0Text_;
    QLabel* srPerBarText_;  // the Sharpe ratio the DSR deflates, per bar and annualised
    QLabel* srAnnualText_;
    QLabel* trialsText_;
    QLabel* permutationText_;
    QLabel* sentence_;
    QCustomPlot* const logitChart_;
    QCPBars* logitBars_;
    Histogram histogram_;
    // The shown build's figures, for the verdict once a permutation test comes.
    std::int64_t trials_ = 0;
    std::vector<double> layerPbos_;
    double dsr_ = 0.0;
    bool plateau_ = false;
};
