#pragma once

#include <QDialog>

#include <filesystem>

class CChartFX;
class ChartWorkspace;
class QLabel;

// Dialog 148 "Trade Signal for the next trading day", made for the product of
// a workspace. runSignal() applies the product's saved trade model to the bars
// (the next-day bar receives the next day's position), back-tests it, writes
// the model back with refreshed figures, writes the strategy file and shows the
// signal and the total net profit, naming the product and the day the signal
// is for; without a saved model it says to build one. "Price / Signal" fills the price, position
// and P&L charts; "Finish" closes.
class CTradeSignalDlg : public QDialog {
    Q_OBJECT
public:
    // Only builds the window. `workspace`: the active view's, or null when no
    // view is open; the model and strategy files lie in `startDirectory`.
    CTradeSignalDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent);

    // Computes the signal and writes the files; the shell runs it before
    // showing the dialog. False, after saying why, when there is no signal to
    // show (no product's chart, no model, or one the history cannot serve):
    // the window then does not open.
    bool runSignal();

    QString signalText() const;
    QString netProfitText() const;

    void accept() override;  // "Price / Signal": draws the charts, stays open
    void drawSignalCharts();

private:
    CChartFX* addChart(int controlId, const char* title);
    // Names the product and the day the signal is for above the read-outs.
    void showSignalDay(const ChartWorkspace& workspace);

    ChartWorkspace* const workspace_;
    const std::filesystem::path startDirectory_;
    QLabel* const signalText_;     // 1043
    QLabel* const netProfitText_;  // 1012
    QLabel* const signalDayText_;  // the product and the day the signal is for
    CChartFX* const priceChart_;     // 1044
    CChartFX* const positionChart_;  // 1045
    CChartFX* const pnlChart_;       // 1046
};
