#pragma once

#include <QDialog>

#include <map>

class CChartFX;
class QLabel;

// Dialog 147 "Performance Viewer": the trade model saved for the product of the
// active workspace, read from its model file while the dialog is made: the
// studies of its three indexes with their parameters and the figures stored
// with it. "Show Performance Trans." re-applies the model to the product's bars
// and plots every real bar's rolling 20-bar Sharpe ratio. Without a model file
// the studies read "N/A" and the button does nothing.
class CPerformanceViewerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPerformanceViewerDlg(QWidget* parent);

    // The read-out with the given control id, or null.
    QLabel* readOut(int controlId) const;

    void drawSharpeTransition();

private:
    QLabel* addReadOut(int controlId);
    void fillTexts();

    std::map<int, QLabel*> readOuts_;  // the twenty-two read-outs by control id
    CChartFX* const sharpeChart_;      // 1055
};
