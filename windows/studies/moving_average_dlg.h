#pragma once

#include "windows/studies/span_dlg.h"

// Dialog 156 "Moving Average Calc": the spans of the two moving averages drawn
// over the prices. Its OK recomputes both lines and repaints the price chart
// with them in place of the Keltner bands.
class CMovingAverageDlg : public CSpanDlg {
    Q_OBJECT
public:
    CMovingAverageDlg(ChartWorkspace* workspace, QWidget* parent);

    void accept() override;

private:
    QLineEdit* const span1_;  // control 1051
    QLineEdit* const span2_;  // control 1052
};
