#pragma once

#include <QDialog>

#include <filesystem>
#include <map>

class CChartFX;
class ChartWorkspace;
class QLabel;

// Dialog 147 "Performance Viewer": the trade model saved for the product of a
// workspace, read from its model file by showSavedModel(): the studies of its
// three indexes with their parameters and the figures stored with it. "Show
// Performance Trans." re-applies the model to the product's bars and plots
// every real bar's rolling 20-bar Sharpe ratio. Without a model file the
// studies read "N/A" and the button does nothing.
class CPerformanceViewerDlg : public QDialog {
    Q_OBJECT
public:
    // Only builds the window. `workspace`: the active view's, or null when no
    // view is open; the model file lies in `startDirectory`.
    CPerformanceViewerDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent);

    // Reads the saved model into the read-outs; the shell runs it before
    // showing the dialog. Without a product's chart, or without a saved
    // model, it says so and returns false: there are no figures to show, and
    // the window does not open.
    bool showSavedModel();

    // The read-out with the given control id, or null.
    QLabel* readOut(int controlId) const;

    void drawSharpeTransition();

private:
    QLabel* addReadOut(int controlId);

    ChartWorkspace* const workspace_;
    const std::filesystem::path startDirectory_;
    std::map<int, QLabel*> readOuts_;  // the twenty-two read-outs by control id
    CChartFX* const sharpeChart_;      // 1055
};
