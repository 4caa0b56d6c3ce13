#pragma once

#include "windows/studies/span_dlg.h"

// Dialog 157 "Calc Keltner Channels": the EMA and ATR spans and the multiplier
// of the Keltner bands. Its OK computes the bands and repaints the price chart
// with them in place of the moving averages.
class CKeltnerDlg : public CSpanDlg {
    Q_OBJECT
public:
    CKeltnerDlg(ChartWorkspace* workspace, QWidget* parent);

    void accept() override;

private:
    QLineEdit* const emaSpan_;     // control 1052
    QLineEdit* const atrSpan_;     // control 1053
    QLineEdit* const multiplier_;  // control 1054
};
