#pragma once

#include <QDialog>

class CChartFX;
class QLabel;

// Dialog 148 "Trade Signal for the next trading day". Made for the product of
// the active workspace, it applies the product's saved trade model to the bars
// (the next-day bar receives the next day's position), back-tests it, writes
// the model back with refreshed figures, writes the strategy file and shows the
// signal and the total net profit. "Price / Signal" fills the price, position
// and P&L charts; "Finish" closes.
class CTradeSignalDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTradeSignalDlg(QWidget* parent);

    QString signalText() const;
    QString netProfitText() const;

    void accept() override;  // "Price / Signal": draws the charts, stays open
    void drawSignalCharts();

private:
    CChartFX* addChart(int controlId, const char* title);
    void runSignal();

    QLabel* const signalText_;     // 1043
    QLabel* const netProfitText_;  // 1012
    CChartFX* const priceChart_;     // 1044
    CChartFX* const positionChart_;  // 1045
    CChartFX* const pnlChart_;       // 1046
};
