#include "windows/robustness/scan_picture.h"

#include "robustness/robustness_verdict.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace {

// Green below the 5 % line (where a combination holds up), then pale amber fading to grey: the eye finds the
// combinations that hold up first, and nothing large reads as alarming.
QCPColorGradient adjustedPGradient() {
    QCPColorGradient gradient;
    gradient.setColorStopAt(0.0, QColor(49, 163, 84));
    gradient.setColorStopAt(varkel::permutationHoldsBelow - 0.0001, QColor(161, 217, 155));
    gradient.setColorStopAt(varkel::permutationHoldsBelow, QColor(254, 227, 145));
    gradient.setColorStopAt(0.25, QColor(250, 240, 205));
    gradient.setColorStopAt(1.0, QColor(225, 225, 225));
    // Fine enough that the 5 % step stays sharp: p-values are (k + 1) / (P + 1),
    // never between the two stops unless P is in the ten thousands.
    gradient.setLevelCount(10000);
    return gradient;
}

QSharedPointer<QCPAxisTickerText> namesTicker(const QStringList& names) {
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    for (int i = 0; i < names.size(); ++i) ticker->addTick(i, names[i]);
    return ticker;
}

}  // namespace

ScanPicture::ScanPicture(QWidget* parent)
    : QWidget(parent), productList_(new QComboBox(this)), plot_(new QCustomPlot(this)) {
    setObjectName(QStringLiteral("scanPicture"));
    productList_->setObjectName(QStringLiteral("pictureProduct"));
    plot_->setObjectName(QStringLiteral("adjustedPMap"));
    plot_->setMinimumSize(480, 220);
    colorMap_ = new QCPColorMap(plot_->xAxis, plot_->yAxis);
    auto* scale = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(0, 1, scale);
    scale->setType(QCPAxis::atRight);
    scale->axis()->setLabel(QStringLiteral("Adjusted p"));
    colorMap_->setColorScale(scale);
    colorMap_->setGradient(adjustedPGradient());
    colorMap_->setInterpolate(false);
    colorMap_->setDataRange(QCPRange(0.0, 1.0));
    auto* margins = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    scale->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    plot_->xAxis->setTickLabelRotation(-35);
    plot_->xAxis->setLabel(QStringLiteral("Filters"));
    plot_->yAxis->setLabel(QStringLiteral("Base index"));
    for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
        axis->grid()->setVisible(false);
        axis->setSubTicks(false);
        axis->setTickLength(0, 0);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Adjusted p of every combination of"), this));
    top->addWidget(productList_);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(plot_, 1);
    connect(productList_, &QComboBox::currentIndexChanged, this, [this] { draw(); });
}

void ScanPicture::setGrids(std::vector<AdjustedPGrid> grids) {
    grids_ = std::move(grids);
    const QSignalBlocker quiet(productList_);
    productList_->clear();
    for (const AdjustedPGrid& grid : grids_) productList_->addItem(grid.product);
    productList_->setEnabled(grids_.size() > 1);
    draw();
}

int ScanPicture::shownProduct() const { return productList_->currentIndex(); }

void ScanPicture::showProduct(int index) { productList_->setCurrentIndex(index); }

void ScanPicture::draw() {
    plot_->clearItems();
    const int shown = productList_->currentIndex();
    if (shown < 0 || shown >= static_cast<int>(grids_.size())) {
        colorMap_->data()->clear();
        plot_->replot();
        return;
    }
    const AdjustedPGrid& grid = grids_[static_cast<std::size_t>(shown)];
    const int across = static_cast<int>(grid.filterChoices.size());
    const int up = static_cast<int>(grid.bases.size());
    // The first base on top.
    auto* cells = new QCPColorMapData(across, up, QCPRange(0, std::max(across - 1, 1)),
                                      QCPRange(0, std::max(up - 1, 1)));
    QFont cellFont = font();
    cellFont.setPointSizeF(cellFont.pointSizeF() * 0.85);
    QFont holdsUpFont = cellFont;
    holdsUpFont.setBold(true);
    for (int base = 0; base < up; ++base)
        for (int filter = 0; filter < across; ++filter) {
            const double p = grid.at(base, filter);
            const int row = up - 1 - base;
            // A combination the scan did not build is see-through; its value only has to be in range.
            cells->setCell(filter, row, std::isnan(p) ? 1.0 : p);
            if (std::isnan(p)) {
                cells->setAlpha(filter, row, 0);
                continue;
            }
            auto* label = new QCPItemText(plot_);
            label->position->setCoords(filter, row);
            label->setText(QString::fromStdString(varkel::pValueText(p)));
            label->setFont(p < varkel::permutationHoldsBelow ? holdsUpFont : cellFont);
            label->setColor(QColor(30, 30, 30));
        }
    colorMap_->setData(cells);
    QStringList topDown = grid.bases;
    std::reverse(topDown.begin(), topDown.end());
    plot_->xAxis->setTicker(namesTicker(grid.filterChoices));
    plot_->yAxis->setTicker(namesTicker(topDown));
    plot_->xAxis->setRange(-0.5, across - 0.5);
    plot_->yAxis->setRange(-0.5, up - 0.5);
    plot_->replot();
}
