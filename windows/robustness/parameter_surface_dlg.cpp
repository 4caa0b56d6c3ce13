#include "windows/robustness/parameter_surface_dlg.h"

#include "base/atomic_file.h"
#include "search/trial_selection.h"
#include "base/atomic_file.h"
#include "search/trial_selection.h"
#include "report/build_texts.h"
#include "robustness/robustness_verdict.h"
#include "studies/study_catalogue.h"
#include "workbench/seams.h"
#include "workbench/window_size.h"

#include <QBuffer>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

using namespace varkel;

namespace {

QString number(double value) {
    return QString::number(value, 'g', 6);
}

// A text ticker naming the grid values at their cell indexes; at most about
// `most` labels, so that long grids stay readable.
QSharedPointer<QCPAxisTickerText> valueTicker(const std::vector<double>& values, std::size_t most) {
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    const std::size_t step = std::max<std::size_t>(1, (values.size() + most - 1) / most);
    for (std::size_t i = 0; i < values.size(); i += step) ticker->addTick(static_cast<double>(i), number(values[i]));
    return ticker;
}

// Losses red, break-even pale, profits green.
QCPColorGradient returnGradient() {
    QCPColorGradient gradient;
    gradient.setColorStopAt(0.0, QColor(165, 0, 38));
    gradient.setColorStopAt(0.5, QColor(255, 255, 191));
    gradient.setColorStopAt(1.0, QColor(0, 104, 55));
    return gradient;
}

}  // namespace

CParameterSurfaceDlg::CParameterSurfaceDlg(std::optional<BuiltSurface> build, QWidget* parent)
    : QDialog(parent),
      acrossList_(new QComboBox(this)),
      upList_(new QComboBox(this)),
      restList_(new QComboBox(this)),
      summary_(new QLabel(this)),
      plot_(new QCustomPlot(this)),
      statusLine_(new QLabel(this)),
      saveButton_(new QPushButton(QStringLiteral("Save PNG..."), this)) {
    setObjectName(QStringLiteral("parameterSurface"));
    setWindowTitle(QStringLiteral("Parameter Surface"));
    acrossList_->setObjectName(QStringLiteral("acrossParameter"));
    upList_->setObjectName(QStringLiteral("upParameter"));
    restList_->setObjectName(QStringLiteral("restParameter"));
    summary_->setObjectName(QStringLiteral("surfaceSummary"));
    summary_->setWordWrap(true);
    statusLine_->setObjectName(QStringLiteral("surfaceStatus"));
    statusLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    saveButton_->setObjectName(QStringLiteral("savePng"));
    plot_->setObjectName(QStringLiteral("surfacePlot"));
    plot_->setMinimumSize(420, 300);
    acrossList_->setToolTip(QStringLiteral("The parameter along the horizontal axis"));
    upList_->setToolTip(QStringLiteral("The parameter along the vertical axis"));
    restList_->setToolTip(
        QStringLiteral("What the remaining parameter does: held at the built model's value, or the best return over all its values"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(saveButton_, &QPushButton::clicked, this, &CParameterSurfaceDlg::askAndSavePng);

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Across"), this));
    choices->addWidget(acrossList_);
    choices->addWidget(new QLabel(QStringLiteral("Up"), this));
    choices->addWidget(upList_);
    choices->addWidget(new QLabel(QStringLiteral("Rest"), this));
    choices->addWidget(restList_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(statusLine_, 1);
    buttons->addWidget(saveButton_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addLayout(choices);
    layout->addWidget(plot_, 1);
    layout->addLayout(buttons);
    rememberWindowSize(this, QStringLiteral("Parameter Surface"), QSize(760, 600));

    if (build && build->surface.parameterCount() >= 2 && build->surface.trialCount() > 0) build_ = std::move(build);
    if (!build_) {
        summary_->setText(QStringLiteral("No build to show yet: build a trade model with Action > Build Trade Model, "
                                         "then open the surface of its base index here."));
        for (QWidget* control : std::initializer_list<QWidget*>{acrossList_, upList_, restList_, saveButton_, plot_})
            control->setEnabled(false);
        return;
    }

    const ParameterSurface& surface = build_->surface;
    chosenTrial_ = findTrial(surface, layerValues(build_->base));
    const StudyInfo* study = findStudy(build_->base.kind);
    QString text = QStringLiteral("%1, base index %2: %3 trials of its search on the whole history.")
                       .arg(QString::fromStdString(build_->productName), QString::fromLatin1(study ? study->name : "?"),
                            QString::fromStdString(withThousandsSeparators(static_cast<std::int64_t>(surface.trialCount()))));
    if (chosenTrial_ >= 0) {
        QStringList values;
        for (std::size_t p = 0; p < surface.parameterCount(); ++p)
            values << parameterName(p) + QLatin1Char(' ') + number(surface.parameter(chosenTrial_, p));
        text += QStringLiteral(" The built model (marked) uses %1 and returned %2.")
                    .arg(values.join(QStringLiteral(", ")), number(surface.returns[chosenTrial_]));
    }
    summary_->setText(text);

    // The title names what the picture shows, on screen and in the saved PNG.
    plot_->plotLayout()->insertRow(0);
    const QString parameters = QString::fromStdString(layerParameterText(build_->base));
    auto* title = new QCPTextElement(
        plot_, QStringLiteral("%1, %2%3").arg(QString::fromStdString(build_->productName),
                                             QString::fromLatin1(study ? study->name : "?"),
                                             parameters.isEmpty() ? QString() : QStringLiteral(": ") + parameters),
        QFont(font().family(), 11, QFont::Bold));
    title->setObjectName(QStringLiteral("surfaceTitle"));
    plot_->plotLayout()->addElement(0, 0, title);
    colorMap_ = new QCPColorMap(plot_->xAxis, plot_->yAxis);
    auto* scale = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(1, 1, scale);
    scale->setType(QCPAxis::atRight);
    scale->axis()->setLabel(QStringLiteral("Return"));
    colorMap_->setColorScale(scale);
    colorMap_->setGradient(returnGradient());
    colorMap_->setInterpolate(false);
    auto* margins = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    scale->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    marker_ = plot_->addGraph();
    marker_->setLineStyle(QCPGraph::lsNone);
    marker_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black, 2), QBrush(Qt::white), 11));
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) { showHover(event->pos()); });

    fillAxisLists();
    auto onAxisChanged = [this](QComboBox* changed, QComboBox* other, int previous) {
        // Two axes on one parameter show nothing: the other axis takes the old one.
        if (changed->currentIndex() == other->currentIndex()) {
            const QSignalBlocker block(other);
            other->setCurrentIndex(previous);
        }
        redraw();
    };
    connect(acrossList_, &QComboBox::currentIndexChanged, this, [this, onAxisChanged](int) {
        onAxisChanged(acrossList_, upList_, acrossList_->property("previous").toInt());
    });
    connect(upList_, &QComboBox::currentIndexChanged, this, [this, onAxisChanged](int) {
        onAxisChanged(upList_, acrossList_, upList_->property("previous").toInt());
    });
    connect(restList_, &QComboBox::currentIndexChanged, this, [this](int) { redraw(); });
    redraw();
}

QString CParameterSurfaceDlg::parameterName(std::size_t index) const {
    return QString::fromStdString(build_->surface.parameterNames[index]);
}

void CParameterSurfaceDlg::fillAxisLists() {
    const std::size_t count = build_->surface.parameterCount();
    for (std::size_t p = 0; p < count; ++p) {
        acrossList_->addItem(parameterName(p));
        upList_->addItem(parameterName(p));
    }
    acrossList_->setCurrentIndex(0);
    upList_->setCurrentIndex(1);
    restList_->addItems({QStringLiteral("held at the built model's value"), QStringLiteral("best over its values")});
    restList_->setEnabled(count > 2);
}

SliceRequest CParameterSurfaceDlg::request() const {
    SliceRequest request;
    request.across = static_cast<std::size_t>(acrossList_->currentIndex());
    request.up = static_cast<std::size_t>(upList_->currentIndex());
    request.bestOverRest = restList_->currentIndex() == 1 || chosenTrial_ < 0;
    const ParameterSurface& surface = build_->surface;
    if (chosenTrial_ >= 0)
        for (std::size_t p = 0; p < surface.parameterCount(); ++p)
            request.heldAt.push_back(surface.parameter(chosenTrial_, p));
    return request;
}

void CParameterSurfaceDlg::redraw() {
    acrossList_->setProperty("previous", acrossList_->currentIndex());
    upList_->setProperty("previous", upList_->currentIndex());
    const SliceRequest wanted = request();
    slice_ = sliceSurface(build_->surface, wanted);
    const int across = static_cast<int>(slice_.acrossValues.size());
    const int up = static_cast<int>(slice_.upValues.size());
    auto* cells = new QCPColorMapData(across, up, QCPRange(0, std::max(across - 1, 1)), QCPRange(0, std::max(up - 1, 1)));
    double lowest = INFINITY;
    double highest = -INFINITY;
    for (double value : slice_.returns)
        if (!std::isnan(value)) {
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        }
    if (lowest > highest) lowest = highest = 0.0;  // no cell tried: nothing to colour
    for (int u = 0; u < up; ++u)
        for (int a = 0; a < across; ++a) {
            const double value = slice_.returns[slice_.cell(a, u)];
            // Cells without a trial are see-through; their value only has to be in range.
            cells->setCell(a, u, std::isnan(value) ? lowest : value);
            if (std::isnan(value)) cells->setAlpha(a, u, 0);
        }
    colorMap_->setData(cells);
    // The scale's middle is break-even, so red is always a loss and green a
    // profit; it reaches the 5th or 95th percentile of the cells, so that a
    // few huge losses do not leave the best region pale. The scale says so.
    const double reach = colourReach(slice_);
    const double fullReach = std::max(std::fabs(lowest), std::fabs(highest));
    colorMap_->setDataRange(reach > 0.0 ? QCPRange(-reach, reach) : QCPRange(-1.0, 1.0));
    colorMap_->colorScale()->axis()->setLabel(
        reach < fullReach ? QStringLiteral("Return (colours end at +-%1, the 5th/95th percentile; beyond: full colour)")
                                .arg(reach, 0, 'f', 0)
                          : QStringLiteral("Return"));
    plot_->xAxis->setTicker(valueTicker(slice_.acrossValues, 12));
    plot_->yAxis->setTicker(valueTicker(slice_.upValues, 12));
    plot_->xAxis->setLabel(parameterName(wanted.across));
    plot_->yAxis->setLabel(parameterName(wanted.up));
    plot_->xAxis->setRange(-0.5, across - 0.5);
    plot_->yAxis->setRange(-0.5, up - 0.5);
    marker_->data()->clear();
    if (const auto cell = markerCell()) marker_->addData(cell->first, cell->second);
    plot_->replot();
    statusLine_->clear();
}

std::optional<std::pair<int, int>> CParameterSurfaceDlg::markerCell() const {
    if (!build_ || chosenTrial_ < 0) return std::nullopt;
    const ParameterSurface& surface = build_->surface;
    const SliceRequest wanted = request();
    auto indexOf = [](const std::vector<double>& values, double value) {
        return static_cast<int>(std::find(values.begin(), values.end(), value) - values.begin());
    };
    return std::pair{indexOf(slice_.acrossValues, surface.parameter(chosenTrial_, wanted.across)),
                     indexOf(slice_.upValues, surface.parameter(chosenTrial_, wanted.up))};
}

QString CParameterSurfaceDlg::describeCell(int acrossIndex, int upIndex) const {
    if (!build_ || acrossIndex < 0 || upIndex < 0 || acrossIndex >= static_cast<int>(slice_.acrossValues.size()) ||
        upIndex >= static_cast<int>(slice_.upValues.size()))
        return {};
    const std::int64_t trial = slice_.trials[slice_.cell(acrossIndex, upIndex)];
    const SliceRequest wanted = request();
    if (trial < 0)
        return QStringLiteral("%1 %2, %3 %4: not tried")
            .arg(parameterName(wanted.across), number(slice_.acrossValues[acrossIndex]), parameterName(wanted.up),
                 number(slice_.upValues[upIndex]));
    const ParameterSurface& surface = build_->surface;
    QStringList values;
    for (std::size_t p = 0; p < surface.parameterCount(); ++p)
        values << parameterName(p) + QLatin1Char(' ') + number(surface.parameter(trial, p));
    return values.join(QStringLiteral(", ")) + QStringLiteral(": return ") +
           QString::number(surface.returns[trial], 'f', 2);
}

void CParameterSurfaceDlg::showHover(const QPoint& position) {
    const int across = static_cast<int>(std::lround(plot_->xAxis->pixelToCoord(position.x())));
    const int up = static_cast<int>(std::lround(plot_->yAxis->pixelToCoord(position.y())));
    statusLine_->setText(describeCell(across, up));
}

bool CParameterSurfaceDlg::savePng(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    std::string error;
    if (!plot_->toPixmap().save(&buffer, "PNG") ||
        !writeFileAtomically(path.toStdString(), std::string_view(bytes.constData(), bytes.size()), &error)) {
        showMessage(QStringLiteral("Could not write the picture ") + path +
                    (error.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(error)));
        return false;
    }
    return true;
}

void CParameterSurfaceDlg::askAndSavePng() {
    const QString path =
        askSaveFileName(this, QStringLiteral("parameter-surface.png"), QStringLiteral("PNG Pictures (*.png);;All Files (*)"));
    if (!path.isEmpty()) savePng(path);
}
