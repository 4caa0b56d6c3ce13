#pragma once

#include "robustness/permutation_test.h"
#include "robustness/permutation_report.h"
#include "workbench/run_dialog.h"
#include "workbench/run_controls.h"
#include "windows/robustness/index_picker.h"

#include <QDialog>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class ChartWorkspace;
class QCheckBox;
class QComboBox;
class QCPBars;
class QCustomPlot;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The Permutation Test window: could the builder's search have found the
// model in noise? It runs the build (indexes and trial selection as in the
// Strategy Builder, whose last build it starts from) on the product's history
// and on as many histories as asked whose overnight moves and day shapes are
// shuffled separately (close-to-close moves are not kept)
// (200 unless changed, from a seed), on a copy of the bars on a worker
// thread, with progress, the time left and Cancel (a cancelled run keeps
// nothing). It shows a histogram of the permuted builds' returns with the
// real build's return marked, each layer's p-value, rank and quantiles, and
// one sentence for the trader; "Save CSV..." writes the permuted returns.
class CPermutationTestDlg : public RunDialog {
    Q_OBJECT
public:
    // `workspace`: the active view's, or null when no view is open.
    CPermutationTestDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent);
    ~CPermutationTestDlg() override;

    // The build to test: the choice and selection on screen, and the grids.
    void setBuild(const varkel::IndexChoice& choice, varkel::TrialSelection selection);
    void setGrids(const varkel::BuildGrids& grids) { grids_ = grids; }
    varkel::PermutationTestOptions readOptions() const;

    // The shown result and the build it tested; nothing before a run and
    // after a cancelled or refused one.
    const std::optional<varkel::PermutationReport>& report() const { return report_; }
    const varkel::PermutationBuild& testedBuild() const { return tested_.build; }
    const std::vector<varkel::PermutationRow>& rows() const { return run_.rows; }

    // The histogram of the whole build's permuted returns: bin centres and counts.
    struct Histogram {
        std::vector<double> centres;
        std::vector<int> counts;
    };
    const Histogram& histogram() const { return histogram_; }

    void run();  // validates the entries and starts a run
    // Writes the permuted returns as CSV to `path`; false (with a message) when it cannot.
    bool saveCsv(const QString& path);

private:
    // The constructor's steps, in order.
    void setUpEntries();
    void setUpLayerTable();
    void setUpHistogram();
    void layOut();

    void showProgress(int stage, std::int64_t done, std::int64_t total) override;
    void setBusy(bool busy) override;
    void showEnd(varkel::PermutationRun running);
    void clearResults();
    void showReport();
    void fillTable();
    void drawHistogram();
    void askAndSaveCsv();

    IndexPicker indexPicker_;
    QComboBox* const selectionList_;
    QSpinBox* const permutations_;
    QSpinBox* const seed_;
    QTableWidget* const layerTable_;
    QLabel* const sentence_;
    QLabel* const dataQualityText_;  // the tested history's data-quality findings
    QCustomPlot* const chart_;
    QCPBars* bars_;
    RunControls controls_;

    ChartWorkspace* const workspace_;
    const std::filesystem::path startDirectory_;
    varkel::BuildGrids grids_;
    // What the running or last run tests.
    varkel::PermutationTestOptions tested_;
    std::string testedDataQuality_;  // the note on the tested history's data quality
    varkel::PermutationRun run_;
    std::optional<varkel::PermutationReport> report_;
    Histogram histogram_;
    std::chrono::steady_clock::time_point started_;
};
