#pragma once

#include "robustness/walk_forward.h"
#include "workbench/run_dialog.h"
#include "workbench/run_controls.h"
#include "windows/robustness/index_picker.h"

#include <filesystem>
#include <string>
#include <vector>

class ChartWorkspace;
class QComboBox;
class QCustomPlot;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The Walk-Forward Analysis window: the builder's layered search run on each
// train window of the history and traded, unseen, on the test window after it.
// The user picks the indexes as in the Strategy Builder, the train and test
// lengths, rolling or anchored train windows and how a layer picks its trial.
// Run works on a copy of the product's bars in a background task, with a progress
// bar and Cancel (a cancelled run shows nothing). The result: one table row per
// fold, the totals, and the stitched out-of-sample cumulative P&L beside the
// whole-history build's over the same bars, the folds' starts marked. "Save
// CSV..." writes the command line's walk-forward CSV.
class CWalkForwardDlg : public RunDialog {
    Q_OBJECT
public:
    // `workspace`: the active view's, or null when no view is open.
    CWalkForwardDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent);
    ~CWalkForwardDlg() override;

    // The grids the next run searches; the builder's standard ones unless narrowed.
    void setGrids(const varkel::BuildGrids& grids) { grids_ = grids; }
    // The report the window shows; empty (no folds) before a run and after a cancelled or refused one.
    const varkel::WalkForwardReport& report() const { return report_; }
    // What the options on screen ask for.
    varkel::WalkForwardOptions readOptions() const;
    varkel::IndexChoice readChoice() const;

    void run();  // validates the entries and starts a run
    // Writes the CSV of the shown report to `path`; false (with a message) when it cannot.
    bool saveCsv(const QString& path);

private:
    // What the background task hands back: the report and the copy of the
    // bars it walked, whose dates the report's table and chart show.
    struct WalkedCopy {
        varkel::WalkForwardReport report;
        varkel::ProductRegistry history;
        std::string productName;
        int testBars = 0;  // the test length asked
    };

    // The constructor's steps, in order.
    void setUpEntries();
    void setUpFoldTable();
    void setUpTotals();
    void setUpChart();
    void setUpTexts();
    void layOut();

    void showProgress(int stage, std::int64_t done, std::int64_t total) override;
    void setBusy(bool busy) override;
    void showEnd(WalkedCopy walked);
    void clearResults();
    void showReport();
    void fillTable();
    void fillTotals();
    void drawCurves();
    void askAndSaveCsv();

    IndexPicker indexPicker_;
    QSpinBox* const trainBars_;
    QSpinBox* const testBars_;
    QComboBox* const windowList_;     // rolling, anchored
    QComboBox* const selectionList_;  // best, plateau
    QTableWidget* const foldTable_;
    QWidget* const totals_;
    QCustomPlot* const chart_;
    // Out-of-sample net, profitable folds, efficiency, the whole-history build,
    // and a last test window the history's end cut short.
    QLabel* const verdictText_;
    QLabel* const parameterKey_;     // what the parameter columns hold
    QLabel* const dataQualityText_;  // the history's findings and their share of the return
    RunControls controls_;
    QLabel* addTotal(const char* name, const QString& caption, const QString& tip);
    std::vector<QLabel*> totalTexts_;

    ChartWorkspace* const workspace_;
    const std::filesystem::path startDirectory_;
    varkel::BuildGrids grids_;
    // The bars the shown report walked, for its dates.
    varkel::ProductRegistry history_;
    std::string productName_;
    int askedTestBars_ = 0;  // the test length the shown report was asked for
    varkel::WalkForwardReport report_;
};
