#pragma once

#include "builder/strategy_builder.h"
#include "windows/model/last_build.h"
#include "workbench/run_dialog.h"
#include "windows/robustness/index_picker.h"

#include <chrono>
#include <filesystem>
#include <optional>

class CChartFX;
class CRobustnessPanel;
class ChartWorkspace;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;

// Dialog 144 "Strategy Builder": the user picks a base index and up to two
// filter indexes; OK searches the best trade model for the product of the
// workspace, shows each layer's return and chosen parameters, the model's
// measures and its accumulated P&L curve. The build leaves the saved model
// alone: "Save" writes the built model to its file in the start directory
// (asking once when one is there already) and says where. A new build clears
// every figure of the previous one; the window remembers the last base,
// filters and rule. "Select" picks how every layer keeps its
// trial (best, or the best plateau); a filter layer that earns less than the
// layers before it is named under the measures; a panel shows the build's overfitting
// statistics, and "Surface..." opens the base layer's parameter surface of the
// last build (which the shell keeps per view: showLastBuild, modelBuilt). "Permutation
// Test..." tests the build on shuffled histories; once a test of this build
// has run, the panel shows its p-value and the verdict rests on it. The
// search runs on a copy of the bars in a background task so that the window
// keeps answering: a progress bar counts the trials
// of the running layer and a Cancel button stops it, leaving the bars as they
// were and writing nothing. "Finish" closes the dialog, stopping a running
// build first.
class CStrategyBuilderDlg : public RunDialog {
    Q_OBJECT
public:
    // `workspace`: the active view's, or null when no view is open.
    CStrategyBuilderDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent);
    ~CStrategyBuilderDlg() override;

    // The grids the next build searches; the standard ones unless narrowed.
    void setGrids(const varkel::BuildGrids& grids) { grids_ = grids; }

    // Shows `choice` and `selection` in place of the remembered ones: a
    // combination another window (the Scan) asks to build.
    void setChoice(const varkel::IndexChoice& choice, varkel::TrialSelection selection);

    // The view's last build, as the shell kept it; the Surface button shows it.
    void showLastBuild(std::optional<LastBuild> build);
    const std::optional<LastBuild>& lastBuild() const { return lastBuild_; }
    // How long the last finished build took.
    std::chrono::duration<double> lastBuildTime() const { return lastBuildTime_; }

    void accept() override;  // OK: validates the choice and starts a build

signals:
    // A model was built (before runFinished): the shell keeps it for the view.
    void modelBuilt(const LastBuild& build);

private:
    // What the background task hands back: the build and the copy of the
    // products it ran on, whose trade columns come back into the chart's bars.
    struct BuiltCopy {
        varkel::BuildResult result;
        varkel::ProductRegistry registry;
    };

    QLabel* addReadOut(int id);
    QLabel* addParameterText(int layer);
    void clearFigures();
    // True when no model file of the product is there yet or the user agrees to replace it.
    bool confirmOverwrite(const std::filesystem::path& path) const;
    // "Save": writes the last build's model to the product's model file.
    void saveBuiltModel();
    void rememberChoice() const;
    void restoreChoice();
    // The constructor's steps, in order.
    void setUpEntries();
    QHBoxLayout* makeButtonRow();
    void layOut(QHBoxLayout* buttons);
    void startBuild(const varkel::IndexChoice& choice);
    void showProgress(int layer, std::int64_t done, std::int64_t total) override;
    void setBusy(bool busy) override;
    void showEnd(BuiltCopy built);
    void showBuiltModel(const varkel::BuildResult& result);
    void drawCurve();
    void openSurface();
    void openPermutationTest();

    IndexPicker indexPicker_;      // 1021, 1014, 1022, 1015, 1023
    QComboBox* const selectionList_;  // Best, Plateau: how each layer keeps its trial
    QLabel* layerTexts_[3];        // 1024, 1025, 1026
    QLabel* parameterTexts_[3];    // layerParameters1..3
    QLabel* sharpeText_;           // 1029
    QLabel* kellyText_;            // 1030
    QLabel* winningRateText_;      // 1031
    CChartFX* const curveChart_;   // 1012
    CRobustnessPanel* const robustnessPanel_;
    QLabel* const filterCostText_;   // a filter layer that lowers the return the layers before it earn
    QLabel* const dataQualityText_;  // the history's data-quality findings and their share of the return
    QPushButton* const surfaceButton_;
    QPushButton* const permutationButton_;
    QPushButton* const saveButton_;
    QProgressBar* const progress_;
    QPushButton* const okButton_;
    QPushButton* const cancelButton_;

    varkel::BuildGrids grids_;
    std::optional<LastBuild> lastBuild_;
    // How the running build's layers keep their trials.
    varkel::TrialSelection builtSelection_ = varkel::TrialSelection::best;
    ChartWorkspace* const workspace_;
    const std::filesystem::path startDirectory_;
    // The product the running or last build works on; fixed while the worker runs.
    std::string buildingProduct_;
    int runningLayer_ = 0;
    std::chrono::steady_clock::time_point buildStarted_;
    std::chrono::duration<double> lastBuildTime_{0.0};
};
