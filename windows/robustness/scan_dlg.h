#pragma once

#include "robustness/scan.h"
#include "search/build_validation.h"
#include "search/optimiser_grid.h"
#include "search/trial_selection.h"
#include "workbench/run_controls.h"
#include "workbench/run_dialog.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

class ChartWorkspace;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;
class ScanPicture;

// What "Build this model" hands the Strategy Builder: the row's combination,
// built as the scan built it.
struct ScanModelChoice {
    varkel::IndexChoice choice{};
    varkel::TrialSelection selection = varkel::TrialSelection::best;
    varkel::BuildGrids grids{};
};

// The Scan window: which of all the models holds up? It builds every
// combination of the chosen bases and filters the builder accepts on each
// chosen open history, and on as many shuffled histories as asked (from a
// seed), and tests them as one family: each combination's adjusted p says
// whether it stands out after all the others were tried too. The scan runs on
// copies of the bars on the window's background task, with progress, the time
// left and Cancel; closing the window stops it. It shows a sortable table (the
// columns of "Save CSV..."), a picture of the adjusted p of every combination
// (one row per base, one column per filter choice, per product) and the
// family's sentence. "Build this model" opens the Strategy Builder on the
// selected row's product with its combination chosen.
class CScanDlg : public RunDialog {
    Q_OBJECT
public:
    // `open`: the workspaces of the open views that show a product; `active`
    // (one of them, or null) is the product chosen at first.
    CScanDlg(std::vector<ChartWorkspace*> open, ChartWorkspace* active, std::filesystem::path startDirectory,
             QWidget* parent);
    ~CScanDlg() override;

    // The grids every combination searches; the builder's standard ones unless narrowed.
    void setGrids(const varkel::BuildGrids& grids) { grids_ = grids; }
    // The scan the entries ask for (products aside); not validated.
    varkel::ScanOptions readOptions() const;
    // The chosen products' names, in the order the list shows them.
    std::vector<std::string> chosenProducts() const;

    // The shown scan; nothing before a run and after a cancelled or refused one.
    const std::optional<varkel::ScanResult>& result() const { return result_; }

    void run();  // validates the entries and starts a scan
    // Writes the report's CSV to `path`; false (with a message) when it cannot.
    bool saveCsv(const QString& path);
    // Opens the builder with the combination of the table's selected row.
    void buildSelectedModel();

signals:
    // "Build this model": the shell turns to `workspace`'s view and opens the builder there.
    void buildThisModel(ChartWorkspace* workspace, const ScanModelChoice& chosen);

private:
    // The constructor's steps, in order.
    void setUpEntries();
    void setUpTable();
    void layOut();

    void showProgress(int stage, std::int64_t done, std::int64_t total) override;
    void setBusy(bool busy) override;
    void showEnd(varkel::ScanResult running);
    void clearResults();
    void showResult();
    void fillTable();
    void setColumns(const std::vector<std::string>& columns);
    std::vector<ChartWorkspace*> chosenWorkspaces() const;
    void askAndSaveCsv();
    // The scan's row the table's selected row shows, or -1.
    int selectedScanRow() const;

    QListWidget* const productList_;
    QListWidget* const baseList_;
    QListWidget* const filterList_;
    QComboBox* const selectionList_;
    QSpinBox* const permutations_;
    QSpinBox* const seed_;
    QTableWidget* const table_;
    ScanPicture* const picture_;
    QLabel* const sentence_;
    QPushButton* const buildButton_;
    RunControls controls_;

    const std::vector<ChartWorkspace*> open_;
    const std::filesystem::path startDirectory_;
    varkel::BuildGrids grids_;
    // What the running or last scan was asked: its options and the workspaces of its products.
    varkel::ScanOptions scanned_;
    std::vector<ChartWorkspace*> scannedWorkspaces_;
    std::optional<varkel::ScanResult> result_;
    std::chrono::steady_clock::time_point started_;
    // The stage the progress counts and when it started: the time left is the stage's.
    int progressStage_ = 0;
    std::chrono::steady_clock::time_point stageStarted_;
};
