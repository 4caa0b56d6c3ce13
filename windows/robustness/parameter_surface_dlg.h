#pragma once

#include "model/layer.h"
#include "robustness/surface_slice.h"
#include "search/parameter_surface.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QComboBox;
class QCPColorMap;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QPushButton;

// A build's base-layer search as the window shows it: the product, the base
// layer the build kept and every base trial's parameters and return.
struct BuiltSurface {
    std::string productName;
    varkel::Layer base;
    varkel::ParameterSurface surface;
};

// The Parameter Surface window: the return of every trial of the last
// build's base-layer search as a heat map over two of its parameters chosen
// from drop-downs; a third parameter is held at the built model's value or
// maximised over. The built model's trial is marked, hovering a cell shows its
// parameters and return in the status line, and the picture can be saved as
// PNG. Without a build of the view's product it says so.
class CParameterSurfaceDlg : public QDialog {
    Q_OBJECT
public:
    // `build`: nothing when the view has no build to show. A surface of fewer
    // than two parameters or no trials is not shown either.
    CParameterSurfaceDlg(std::optional<BuiltSurface> build, QWidget* parent);

    bool hasSurface() const { return build_.has_value(); }
    const varkel::SurfaceSlice& slice() const { return slice_; }
    QCPColorMap* colorMap() const { return colorMap_; }
    // The cell the marker sits on (across, up), or nothing when the chosen
    // trial is not on the surface.
    std::optional<std::pair<int, int>> markerCell() const;
    // What the status line shows for a cell.
    QString describeCell(int acrossIndex, int upIndex) const;
    // Saves the picture as a PNG file; false (with a message) when it cannot.
    bool savePng(const QString& path);

private:
    void fillAxisLists();
    void redraw();
    void showHover(const QPoint& position);
    void askAndSavePng();
    varkel::SliceRequest request() const;
    QString parameterName(std::size_t index) const;

    std::optional<BuiltSurface> build_;
    std::int64_t chosenTrial_ = -1;
    varkel::SurfaceSlice slice_;
    QComboBox* const acrossList_;
    QComboBox* const upList_;
    QComboBox* const restList_;
    QLabel* const summary_;
    QCustomPlot* const plot_;
    QCPColorMap* colorMap_ = nullptr;
    QCPGraph* marker_ = nullptr;
    QLabel* const statusLine_;
    QPushButton* const saveButton_;
};
