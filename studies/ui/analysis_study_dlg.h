#pragma once

#include "studies/ui/span_dlg.h"

#include <vector>

struct AnalysisStudy;

// The dialog of an analysis study (MACD, RSI, time series correlation, rate of
// change, linear regression, normal distribution, stochastics). Its OK
// computes the study for the product of the workspace and draws it in the
// study's analysis chart.
class CAnalysisStudyDlg : public CSpanDlg {
    Q_OBJECT
public:
    CAnalysisStudyDlg(const AnalysisStudy& study, ChartWorkspace* workspace, QWidget* parent);

    void accept() override;

private:
    // False, with a message, when the history is too short for a span: the
    // computation would leave the bars as they were.
    bool historyFits(const std::vector<int>& spans, int historyLength) const;

    const AnalysisStudy& study_;
    std::vector<QLineEdit*> spanEdits_;
};
