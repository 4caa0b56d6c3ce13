#pragma once

#include "windows/studies/span_dlg.h"

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
    // The first entry whose span is below the smallest its parameter takes.
    QLineEdit* firstRefusedEntry(const std::vector<int>& spans) const;

    const AnalysisStudy& study_;
    std::vector<QLineEdit*> spanEdits_;
};
