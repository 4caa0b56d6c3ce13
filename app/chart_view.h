#pragma once

#include <QWidget>

class ChartWorkspace;
class TabStrip;
class VerticalLineOverlay;

// The working surface of one child frame: the product tab strip with the price
// chart in the upper two thirds, the study tab strip with one analysis chart
// per study below. Its workspace is created when it is first laid out. The view
// also holds the handlers of the commands that act on the active chart.
class CVarkelModel2cView : public QWidget {
    Q_OBJECT
public:
    explicit CVarkelModel2cView(QWidget* parent = nullptr);
    ~CVarkelModel2cView() override;

    TabStrip* const productTab;  // control 1002
    TabStrip* const studyTab;    // control 1001

    // This view's workspace; null until the view is first laid out.
    ChartWorkspace* workspace() const;

    // The view's frame became active: its workspace becomes the active one and
    // the view shows the product's name.
    void onActivated();

    void clearVerticalLines();
    int verticalLineCount() const;

    // Command handlers (view_commands.cpp).
    void onFileOpen();
    void onFileClose();
    void onDownload();
    void onAppendData();
    void onPrint();
    void onPrintPreview();
    void onTick();
    void onVerticalLine();
    void onMovingAverage();
    void onKeltner();
    void onRsi();
    void onTimeSeriesCorrelation();
    void onMacd();
    void onStochastics();
    void onRateOfChange();
    void onLinearRegression();
    void onNormalDistribution();
    void onBuildTradeModel();
    void onTradeSignal();
    void onPerformanceView();
    void onParameterSurface();
    void onWalkForward();
    void onPermutationTest();
    void onScan();
    void onCorrectFlaggedBars();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOutFirst();
    void layOut(int width, int height);
    void onStudyTabSelected(int index);

    VerticalLineOverlay* const lineOverlay_;
    bool laidOut_ = false;
    quint64 lastMoveTimestamp_ = 0;
    QPointF lastMovePosition_{qQNaN(), qQNaN()};  // equal to no position
};
