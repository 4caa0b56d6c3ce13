#pragma once

#include "model/strategy_builder.h"

#include <QDialog>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

class CChartFX;
class CRobustnessPanel;
class ChartWorkspace;
class QCheckBox;
class QComboBox;
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
// trial (best, or the best plateau); a panel shows the build's overfitting
// statistics, and "Surface..." opens the base layer's parameter surface, which
// the workspace keeps. The search runs on a worker
// thread so that the window keeps answering: a progress bar counts the trials
// of the running layer and a Cancel button stops it, leaving the bars as they
// were and writing nothing. "Finish" closes the dialog, stopping a running
// build first.
class CStrategyBuilderDlg : public QDialog {
    Q_OBJECT
public:
    // `workspace`: the active view's, or null when no view is open.
    CStrategyBuilderDlg(ChartWorkspace* workspace, std::filesystem::path startDirectory, QWidget* parent);
    ~CStrategyBuilderDlg() override;

    // The grids the next build searches; the standard ones unless narrowed.
    void setGrids(const varkel::BuildGrids& grids) { grids_ = grids; }

    bool isBuilding() const { return worker_.joinable(); }
    // How long the last finished build took.
    std::chrono::duration<double> lastBuildTime() const { return lastBuildTime_; }

    void accept() override;  // OK: validates the choice and starts a build
    void reject() override;  // Finish, Escape or the close box

signals:
    // A build has ended: built, cancelled or found no product.
    void buildFinished();

private:
    QComboBox* addIndexList(const QStringList& entries, int id);
    QLabel* addReadOut(int id);
    QLabel* addParameterText(int layer);
    void clearFigures();
    // True when no model file of the product is there yet or the user agrees to replace it.
    bool confirmOverwrite(const std::filesystem::path& path) const;
    // "Save": writes the last build's model to the product's model file.
    void saveBuiltModel();
    void rememberChoice() const;
    void restoreChoice();
    varkel::IndexChoice readChoice() const;
    void startBuild(const varkel::IndexChoice& choice);
    void forwardProgress(int layer, std::int64_t done, std::int64_t total);
    void showProgress(int layer, std::int64_t done, std::int64_t total);
    void setBusy(bool busy);
    void cancelBuild();
    void finishBuild();
    void showBuiltModel(const varkel::BuildResult& result);
    void drawCurve();
    void openSurface();

    QComboBox* const baseList_;    // 1021
    QCheckBox* const use2ndBox_;   // 1014
    QComboBox* const secondList_;  // 1022
    QCheckBox* const use3rdBox_;   // 1015
    QComboBox* const thirdList_;   // 1023
    QComboBox* const selectionList_;  // Best, Plateau: how each layer keeps its trial
    QLabel* layerTexts_[3];        // 1024, 1025, 1026
    QLabel* parameterTexts_[3];    // layerParameters1..3
    QLabel* sharpeText_;           // 1029
    QLabel* kellyText_;            // 1030
    QLabel* winningRateText_;      // 1031
    CChartFX* const curveChart_;   // 1012
    CRobustnessPanel* const robustnessPanel_;
    QLabel* const dataQualityText_;  // the history's data-quality findings and their share of the return
    QPushButton* const surfaceButton_;
    QPushButton* const saveButton_;
    QProgressBar* const progress_;
    QPushButton* const okButton_;
    QPushButton* const cancelButton_;

    varkel::BuildGrids grids_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    // Written by the worker before it reports the end; read after joining it.
    varkel::BuildResult result_;
    ChartWorkspace* const workspace_;
    const std::filesystem::path startDirectory_;
    // The product the running or last build works on; fixed while the worker runs.
    std::string buildingProduct_;
    int runningLayer_ = 0;
    std::chrono::steady_clock::time_point buildStarted_;
    std::chrono::duration<double> lastBuildTime_{0.0};
    // Only the worker that reports progress touches this.
    std::chrono::steady_clock::time_point lastProgressSent_;
};
