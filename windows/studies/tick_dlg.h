#pragma once

#include "windows/studies/span_dlg.h"

// Dialog 138 "Specifying number of tick" (commands Tick and Zoom Chart): how
// many of the latest bars every chart of the workspace shows. Its OK
// repaints the price chart and every study chart with that many bars.
class CTickDlg : public CSpanDlg {
    Q_OBJECT
public:
    CTickDlg(ChartWorkspace* workspace, QWidget* parent);

    void accept() override;

private:
    QLineEdit* const ticks_;  // control 1006
};
